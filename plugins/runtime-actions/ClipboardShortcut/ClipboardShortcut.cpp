#include "ClipboardShortcut.h"

#include "KeyboardShortcut/CalendarFormat.h"
#include "Log.h"
#include "Platform.h"

#include <QUrl>
#include <chrono>
#include <mutex>
#include <thread>

namespace zelk::engine {

namespace K = ClipboardShortcutKeys;
namespace M = ClipboardShortcutModels;

namespace {

constexpr uint16_t kCommandKey = 55;

ClipboardService& clipboard() { return Platform::instance().clipboard(); }

std::mutex& savedMutex()
{
    static std::mutex mutex;
    return mutex;
}

QList<ClipboardItem>& savedItems()
{
    static QList<ClipboardItem> items;
    return items;
}

void sleepFor(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

} // namespace

bool ClipboardShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString ClipboardShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    if (!controller)
        return {};
    QVActionController& c = *controller;
    switch (CUTAction) {
    case M::PutText: return copyStringToClipboard(CUTText, CUTAdd, CUTPaste, c);
    case M::PutDate: return copyDateToClipboard(CUTText, CUTAdd, CUTPaste, c);
    case M::Copy: return copySelectionToClipboardAndAdd(CUTAdd, c);
    case M::Cut: return cutSelectionToClipboardAndAdd(CUTAdd, c);
    case M::PasteClipboard: return pasteClipboardFromObject(c);
    case M::UpperCase: return upperCaseSelectionFromObject(c);
    case M::LowerCase: return lowerCaseSelectionFromObject(c);
    case M::Capitalize: return capitalizeWordsSelectionFromObject(c);
    case M::ReplaceRules: return replaceSelectionWithRules(CUTRules, c);
    case M::SelectionPaths: return copySelectionPathToClipboardAndAdd(CUTAdd, c);
    case M::Save: return saveClipboardFromObject(c);
    case M::Restore: return restoreClipboardFromObject(c);
    default: return {};
    }
}

QString ClipboardShortcut::clipboardStringValue() { return clipboard().text().value_or(QString()); }

QString ClipboardShortcut::copyStringToClipboard(const QString& text, bool add, bool paste, QVActionController& fromObject)
{
    const QString prefix = add ? clipboardStringValue() : QString();
    clipboard().setText(prefix + text);
    if (paste)
        pasteClipboardFromObject(fromObject);
    return {};
}

QString ClipboardShortcut::copyDateToClipboard(const QString& format, bool add, bool paste, QVActionController& fromObject)
{
    return copyStringToClipboard(stringForDateFormat(format), add, paste, fromObject);
}

bool ClipboardShortcut::strikeEditKey(char32_t key)
{
    ClipboardService& board = clipboard();
    const quint64 before = board.changeCount();
    startBeingExclusiveSourceOfEvents();
    releaseAllNormalKeys();
    postVirtualKeyEvent(kCommandKey, true);
    typeCharacter(key);
    postVirtualKeyEvent(kCommandKey, false);
    bool changed = false;
    if (key == U'v') {
        sleepFor(kPasteSeconds);
    } else {
        // Bounded: an application that copies nothing never changes it.
        changed = pollWhileRunning(nullptr, 0.02, kChangeWaitSeconds, [&] { return board.changeCount() != before; });
    }
    stopBeingExclusiveSourceOfEvents();
    return changed;
}

std::optional<QString> ClipboardShortcut::copySelection()
{
    if (!strikeEditKey(U'c'))
        return std::nullopt;
    return clipboardStringValue();
}

QString ClipboardShortcut::copySelectionToClipboardAndAdd(bool add, QVActionController& /*fromObject*/)
{
    const QString old = add ? clipboardStringValue() : QString();
    // With nothing selected the clipboard stays as it is: its text is not
    // appended to itself.
    if (strikeEditKey(U'c') && add)
        clipboard().setText(old + clipboardStringValue());
    return {};
}

QString ClipboardShortcut::cutSelectionToClipboardAndAdd(bool add, QVActionController& /*fromObject*/)
{
    const QString old = add ? clipboardStringValue() : QString();
    if (strikeEditKey(U'x') && add)
        clipboard().setText(old + clipboardStringValue());
    return {};
}

QString ClipboardShortcut::pasteClipboardFromObject(QVActionController& /*fromObject*/)
{
    strikeEditKey(U'v');
    return {};
}

QString ClipboardShortcut::convertSelection(const std::function<std::optional<QString>(const QString&)>& convert)
{
    ClipboardService& board = clipboard();
    const QList<ClipboardItem> users = board.items();
    if (const std::optional<QString> selection = copySelection()) {
        if (const std::optional<QString> converted = convert(*selection)) {
            board.setText(*converted);
            strikeEditKey(U'v');
        }
    }
    board.setItems(users);
    return {};
}

QString ClipboardShortcut::upperCaseSelectionFromObject(QVActionController& /*fromObject*/)
{
    return convertSelection([](const QString& text) { return std::optional(text.toUpper()); });
}

QString ClipboardShortcut::lowerCaseSelectionFromObject(QVActionController& /*fromObject*/)
{
    return convertSelection([](const QString& text) { return std::optional(text.toLower()); });
}

QString ClipboardShortcut::capitalizeWordsSelectionFromObject(QVActionController& /*fromObject*/)
{
    return convertSelection([](const QString& text) { return std::optional(capitalizedString(text)); });
}

QString ClipboardShortcut::capitalizedString(const QString& string)
{
    QString result;
    result.reserve(string.size());
    bool wordStart = true;
    for (const QChar c : string) {
        if (c.isSpace()) {
            wordStart = true;
            result += c;
            continue;
        }
        result += wordStart ? c.toUpper() : c.toLower();
        wordStart = false;
    }
    return result;
}

QString ClipboardShortcut::interpretString(const QString& string)
{
    QString result = string;
    qsizetype b = result.indexOf(QLatin1Char('\\'));
    while (b >= 0 && b + 3 < result.size()) {
        int value = 0;
        for (qsizetype i = b + 1; i <= b + 3 && result.at(i).isDigit() && result.at(i).unicode() < 128; ++i)
            value = value * 10 + (result.at(i).unicode() - '0');
        if (value > 0 && value <= 255)
            result.replace(b, 4, QChar(value));
        b = result.indexOf(QLatin1Char('\\'), b + 1);
    }
    return result;
}

QString ClipboardShortcut::applyRule(const QString& text, const QVariantMap& rule)
{
    const QString search = interpretString(rule.value(K::Search).toString());
    if (search.isEmpty())
        return text;
    const QString replacement = interpretString(rule.value(K::Replace).toString());
    QString result = text;
    result.replace(search, replacement, M::ruleIsCaseSensitive(rule) ? Qt::CaseSensitive : Qt::CaseInsensitive);
    return result;
}

QString ClipboardShortcut::replaceSelectionWithRules(const QVariantList& rules, QVActionController& fromObject)
{
    return convertSelection([&rules, &fromObject](const QString& text) -> std::optional<QString> {
        QString working = text;
        for (const QVariant& rule : rules) {
            if (!fromObject.canGoRunning())
                return std::nullopt; // a stop between rules leaves the selection as it was
            working = applyRule(working, rule.toMap());
        }
        if (!fromObject.canGoRunning())
            return std::nullopt;
        return working;
    });
}

QString ClipboardShortcut::copySelectionPathToClipboardAndAdd(bool add, QVActionController& fromObject)
{
    ClipboardService& board = clipboard();
    const QList<ClipboardItem> before = board.items();
    const QString old = add ? clipboardStringValue() : QString();
    if (!strikeEditKey(U'c'))
        return {};
    QString list;
    for (const ClipboardItem& item : board.items()) {
        if (item.type != QLatin1String("text/uri-list"))
            continue;
        for (const QByteArray& line : item.data.split('\n')) {
            if (!fromObject.canGoRunning())
                break;
            const QUrl url(QString::fromUtf8(line.trimmed()));
            if (url.isLocalFile() && !url.toLocalFile().isEmpty())
                list += url.toLocalFile() + QLatin1Char('\n');
        }
    }
    if (!fromObject.canGoRunning() || list.isEmpty()) {
        // Not files (or stopped): the user's clipboard comes back.
        board.setItems(before);
        return {};
    }
    board.setText(old + list);
    return {};
}

void ClipboardShortcut::savePasteboard()
{
    QList<ClipboardItem> items = clipboard().items();
    std::lock_guard lock(savedMutex());
    savedItems() = std::move(items);
}

void ClipboardShortcut::restorePasteboard()
{
    QList<ClipboardItem> items;
    {
        std::lock_guard lock(savedMutex());
        items = savedItems();
    }
    // Nothing saved yet: the clipboard is left alone.
    if (items.isEmpty())
        return;
    clipboard().setItems(items);
}

QList<ClipboardItem> ClipboardShortcut::savedPasteboard()
{
    std::lock_guard lock(savedMutex());
    return savedItems();
}

QString ClipboardShortcut::saveClipboardFromObject(QVActionController& /*fromObject*/)
{
    savePasteboard();
    return {};
}

QString ClipboardShortcut::restoreClipboardFromObject(QVActionController& /*fromObject*/)
{
    restorePasteboard();
    return {};
}

ZELK_REGISTER_ACTION_RUNNER(ClipboardShortcut)

} // namespace zelk::engine
