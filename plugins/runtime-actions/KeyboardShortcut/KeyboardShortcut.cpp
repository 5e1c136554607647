#include "KeyboardShortcut.h"

#include "KeyboardShortcut/CalendarFormat.h"
#include "Log.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <chrono>
#include <optional>
#include <thread>

namespace zelk::engine {

namespace K = KeyboardShortcutKeys;
namespace M = KeyboardShortcutModels;

bool KeyboardShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString KeyboardShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    if (!controller)
        return {};
    QVActionController& c = *controller;
    switch (categoryOfAction(CUTAction)) {
    case M::TypeText:
        return typeText(CUTText, CUTCharSecond, c);
    case M::TypeDate:
        return typeDate(CUTText, CUTCharSecond, c);
    case M::TypeFile:
        if (!loadTextFile())
            return localized(classObject(), "FichierNonValide", {bestPath()});
        return typeText(loadedText(), CUTCharSecond, c);
    case M::TypeClipboard:
        return typeClipboardAtCharSecond(CUTCharSecond, c);
    default:
        return {};
    }
}

bool KeyboardShortcut::loadTextFile()
{
    const QString path = bestPath();
    if (!fileExistsAtPath(path))
        return false;
    const QFileInfo info(path);
    const QDateTime modified = info.lastModified();
    std::lock_guard lock(m_textMutex);
    if (m_textLoaded) {
        // Read again when the file changed, or the path leads to another
        // file: an older file put in its place counts as a change too.
        if (!modified.isValid()
            || (path == m_loadedPath && modified == m_loadedModified && info.size() == m_loadedSize))
            return true;
        m_textLoaded = false;
        CUTText.clear();
    }
    if (isTextFileAtPath(path)) {
        CUTText = stringWithPath(path);
        m_textLoaded = true;
        m_loadedPath = path;
        m_loadedModified = modified;
        m_loadedSize = info.size();
    } else {
        CUTText.clear();
    }
    return true;
}

QString KeyboardShortcut::loadedText() const
{
    std::lock_guard lock(m_textMutex);
    return CUTText;
}

QString KeyboardShortcut::typeText(const QString& text, int atCharSecond, QVActionController& fromObject)
{
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1.0 / M::validCharSecond(atCharSecond)));
    // Late by more than this (a stalled machine), the schedule starts
    // afresh rather than typing what is overdue in one burst.
    constexpr auto kLongestLag = std::chrono::milliseconds(100);
    constexpr auto step = std::chrono::milliseconds(10);

    startBeingExclusiveSourceOfEvents();
    releaseAllNormalKeys();
    const QList<uint> characters = text.toUcs4();
    if (tracing())
        zlog("KeyboardShortcut", "typeText") << "plugin: typeText:" << text << "(" << characters.size() << "characters)";
    QList<uint> untyped;
    // Each character has its own deadline on one schedule: sleeping a
    // period after each one would add every wake-up's delay to the next.
    auto deadline = Clock::now();
    for (qsizetype i = 0; i < characters.size(); ++i) {
        if (!fromObject.canGoRunning())
            break;
        const uint character = characters[i];
        const char32_t typed = character == U'\n' ? U'\r' : char32_t(character);
        if (typeCharacter(typed) != 0 && !untyped.contains(character))
            untyped.append(character);
        // The user's own input goes through between characters.
        stopBeingExclusiveSourceOfEvents();
        deadline += period;
        if (Clock::now() - deadline > kLongestLag)
            deadline = Clock::now();
        // Nothing to pace after the last one.
        for (auto now = Clock::now(); i + 1 < characters.size() && now < deadline; now = Clock::now())
            std::this_thread::sleep_for(std::min<Clock::duration>(step, deadline - now));
        startBeingExclusiveSourceOfEvents();
    }
    stopBeingExclusiveSourceOfEvents();
    if (untyped.isEmpty())
        return {};
    const QString skipped = QString::fromUcs4(reinterpret_cast<const char32_t*>(untyped.constData()), untyped.size());
    zlog("KeyboardShortcut", "typeText") << "the keyboard layout cannot type" << skipped;
    return localized(classObject(), "CaracteresNonTapes", {skipped});
}

QString KeyboardShortcut::typeDate(const QString& format, int atCharSecond, QVActionController& fromObject)
{
    return typeText(stringForDateFormat(format), atCharSecond, fromObject);
}

QString KeyboardShortcut::typeClipboardAtCharSecond(int charSecond, QVActionController& fromObject)
{
    std::optional<QString> text;
    runOnMainThread([&text] {
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            zlog("KeyboardShortcut", "typeClipboardAtCharSecond") << "no window system: no clipboard";
            return;
        }
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (data && data->hasText())
            text = data->text();
    });
    if (!text)
        return localized(classObject(), "PasTextePressePapier");
    return typeText(*text, charSecond, fromObject);
}

ZELK_REGISTER_ACTION_RUNNER(KeyboardShortcut)

} // namespace zelk::engine
