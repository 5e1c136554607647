#include "AppleScriptShortcut.h"

#include "AppleScriptShortcut/ScriptText.h"
#include "FormatText.h"
#include "Platform.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QMimeData>
#include <QPushButton>
#include <QTextCursor>

namespace zelk::editor {

namespace K = AppleScriptShortcutKeys;
namespace M = AppleScriptShortcutModels;

namespace {

const AppleScriptShortcutClass& cls() { return paneClassObject<AppleScriptShortcutClass>(); }

const QStringList& scriptFileTypes()
{
    static const QStringList types{QStringLiteral("scpt"), QStringLiteral("sh"), QStringLiteral("py"),
                                   QStringLiteral("pl"), QStringLiteral("rb")};
    return types;
}

} // namespace

// --- Class side ----------------------------------------------------------------------------------

QVariantMap AppleScriptShortcutClass::dataForAction(int model, const QString& scriptText, const QByteArray& scriptData,
                                                    const QString& scriptFile) const
{
    switch (model) {
    case M::ScriptFile:
        return {{K::Action, qint64(model)},
                {K::Path, scriptFile},
                {K::FSRef, scriptFile.isEmpty() ? QByteArray() : QVEAction::FSRefForPath(scriptFile)}};
    case M::ScriptText: {
        if (!scriptData.isEmpty())
            return {{K::Action, qint64(model)}, {K::Source, QString()}, {K::CompiledScript, scriptData}};
        const QByteArray compiled = script::compiledScriptWithSource(scriptText);
        if (compiled.isEmpty())
            return {{K::Action, qint64(model)}, {K::Source, scriptText}, {K::CompiledScript, QByteArray()}};
        return {{K::Action, qint64(model)}, {K::Source, QString()}, {K::CompiledScript, compiled}};
    }
    default:
        return {};
    }
}

QString AppleScriptShortcutClass::nameForAction(int model, const QString& scriptFile) const
{
    switch (model) {
    case M::ScriptText:
        return localizedActionName(model);
    case M::ScriptFile:
        return fillFormat(localizedActionName(model),
                          {fileBaseDisplayName(scriptFile)});
    default:
        return {};
    }
}

QVariantMap AppleScriptShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model, {}, {}, {}),
                           ActionPane::suggestsNameForNew() ? nameForAction(model, {}) : QString());
}

QStringList AppleScriptShortcutClass::pasteboardTypes() const
{
    return {QStringLiteral("text/plain"), QString::fromLatin1(kFilenamesPboardType)};
}

QList<int> AppleScriptShortcutClass::modelsIDForPasteboard(const QMimeData* pasteboard) const
{
    if (!pasteboard)
        return {};
    const QStringList files = filePathsOfPasteboard(pasteboard);
    if (!files.isEmpty()) {
        bool anyText = false;
        for (const QString& file : files) {
            const QString target = resolvedPath(file);
            if (script::isScriptFileAtPath(target))
                continue;
            if (!QVEAction::isTextFileAtPath(target))
                return {};
            anyText = true;
        }
        if (anyText)
            return {M::ScriptText};
        return {M::ScriptText, M::ScriptFile};
    }
    if (pasteboard->hasText())
        return {M::ScriptText};
    return {};
}

QVariantList AppleScriptShortcutClass::newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const
{
    if (!pasteboard)
        return {};
    const bool suggest = ActionPane::suggestsNameForNew();
    QVariantList records;
    const QStringList files = filePathsOfPasteboard(pasteboard);
    if (!files.isEmpty()) {
        for (const QString& file : files) {
            if (forAction == M::ScriptFile) {
                records.append(newActionRecord(*this, dataForAction(M::ScriptFile, {}, {}, file),
                                               suggest ? nameForAction(M::ScriptFile, file) : QString()));
                continue;
            }
            // The file's text goes through the check like a typed script:
            // only a script that passes it is stored compiled.
            const QString target = resolvedPath(file);
            const QString text = !script::isScriptFileAtPath(target) && QVEAction::isTextFileAtPath(target)
                                     ? QVEAction::stringWithPath(target)
                                     : script::sourceWithCompiledScript(script::compiledScriptWithPath(target)).value_or(QString());
            records.append(newActionRecord(*this, dataForAction(M::ScriptText, text, {}, {}),
                                           suggest ? nameForAction(M::ScriptText, {}) : QString()));
        }
        return records;
    }
    if (pasteboard->hasText())
        records.append(newActionRecord(*this, dataForAction(forAction, pasteboard->text(), {}, {}),
                                       suggest ? nameForAction(forAction, {}) : QString()));
    return records;
}

// --- Reading, validity -----------------------------------------------------------------------------------

bool AppleScriptShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

bool AppleScriptShortcut::isValid() const
{
    if (category() != M::ScriptFile)
        return true;
    const QFileInfo info(bestPath());
    return info.isFile() && info.isReadable();
}

QString AppleScriptShortcut::notValidString() const
{
    if (category() != M::ScriptFile)
        return {};
    const QString path = bestPath();
    if (fileExistsAtPath(path))
        return {};
    return fillFormat(localizedStr(QStringLiteral("ScriptNonValide")), {path});
}

QString AppleScriptShortcut::scriptSource() const
{
    if (!CUTCompiledScript.isEmpty())
        return script::sourceWithCompiledScript(CUTCompiledScript).value_or(QString());
    return CUTSource;
}

// --- The editing cycle ----------------------------------------------------------------------------------

void AppleScriptShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    if (cat == M::ScriptText) {
        m_unreadable = !CUTCompiledScript.isEmpty() && !script::sourceWithCompiledScript(CUTCompiledScript);
        CUTSourceTextView->setPlainText(scriptSource());
    } else {
        CUTLastPath = bestPath();
        setPathButton(CUTLastPath);
    }
    m_editing = true;
    showPaneView(accessoryView, CUTView);
}

bool AppleScriptShortcut::keepsUnreadableScript(const QString& text) const
{
    return m_unreadable && text.isEmpty();
}

QVariantMap AppleScriptShortcut::scriptKeysForText(const QString& text, bool compiles) const
{
    if (compiles && !text.isEmpty())
        return {{K::Source, QString()}, {K::CompiledScript, text.toUtf8()}};
    return {{K::Source, text}, {K::CompiledScript, QByteArray()}};
}

QVariantMap AppleScriptShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!m_editing)
        return data;
    if (category() == M::ScriptFile) {
        data.insert(K::Path, CUTLastPath);
        data.insert(K::FSRef, QVEAction::FSRefForPath(CUTLastPath));
    } else if (category() == M::ScriptText) {
        const QString text = CUTSourceTextView->toPlainText();
        if (keepsUnreadableScript(text))
            return data;
        const QVariantMap keys = scriptKeysForText(text, text.isEmpty() || script::checkSource(text).compiles);
        for (auto it = keys.cbegin(); it != keys.cend(); ++it)
            data.insert(it.key(), it.value());
    }
    return data;
}

void AppleScriptShortcut::showScriptError(const script::CheckResult& check)
{
    alertPanel(actionClass(), check.message,
               QStringLiteral("(%1)").arg(fillFormat(localizedStr(QStringLiteral("ErreurApplescriptNumero")), {check.number})),
               QStringLiteral("OK"));
    if (!CUTSourceTextView)
        return;
    // Clipped to the text: a checker may name a line past its end.
    const int size = int(CUTSourceTextView->toPlainText().size());
    const int start = std::clamp(check.start, 0, size);
    QTextCursor cursor(CUTSourceTextView->document());
    cursor.setPosition(start);
    cursor.setPosition(std::clamp(start + check.length, start, size), QTextCursor::KeepAnchor);
    CUTSourceTextView->setTextCursor(cursor);
}

bool AppleScriptShortcut::willValidateEditing()
{
    if (m_editing && category() == M::ScriptText) {
        const QString text = CUTSourceTextView->toPlainText();
        if (!keepsUnreadableScript(text)) {
            bool compiles = true;
            if (!text.isEmpty()) {
                const script::CheckResult check = script::checkSource(text);
                compiles = check.compiles;
                if (!compiles) {
                    showScriptError(check);
                    const int answer = alertPanel(actionClass(), localizedStr(QStringLiteral("ScriptPasCompiler1")),
                                                  localizedStr(QStringLiteral("ScriptPasCompiler2")),
                                                  localizedStr(QStringLiteral("Modifier")),
                                                  localizedStr(QStringLiteral("Sauvegarder")));
                    if (answer != 0)
                        return false; // back to the text, the error selected
                }
            }
            const QVariantMap keys = scriptKeysForText(text, compiles);
            for (auto it = keys.cbegin(); it != keys.cend(); ++it)
                CUTPersoDict.insert(it.key(), it.value());
            readParameters(CUTPersoDict);
        }
    } else if (m_editing && category() == M::ScriptFile) {
        std::lock_guard lock(m_pathMutex);
        CUTPath = CUTLastPath;
        CUTFSRef = QVEAction::FSRefForPath(CUTPath);
        CUTPersoDict.insert(K::Path, CUTPath);
        CUTPersoDict.insert(K::FSRef, CUTFSRef);
    }
    m_editing = false;
    CUTLastPath.clear();
    return ActionPane::willValidateEditing();
}

void AppleScriptShortcut::abortEditing()
{
    m_editing = false;
    CUTLastPath.clear();
}

// --- Controls ---------------------------------------------------------------------------------------------------

void AppleScriptShortcut::checkScriptWithText()
{
    if (!CUTSourceTextView)
        return;
    const QString text = CUTSourceTextView->toPlainText();
    if (text.isEmpty())
        return;
    const script::CheckResult check = script::checkSource(text);
    if (!check.compiles)
        showScriptError(check);
}

void AppleScriptShortcut::setPathButton(const QString& path)
{
    if (CUTPathButton)
        showFileInPopUp(CUTPathButton, path);
}

void AppleScriptShortcut::modifyPath()
{
    if (!m_editing)
        return;
    const QString path = QVEAction::getDocumentOfTypes(scriptFileTypes(), CUTLastPath);
    if (path.isEmpty())
        return;
    const QString name = suggestsNameForModified() ? cls().nameForAction(M::ScriptFile, path) : possibleNameValue();
    setFilePath(path, name, false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierScript")), {displayNameAtPath(path)}));
}

void AppleScriptShortcut::editScriptWithPath()
{
    if (!CUTLastPath.isEmpty())
        Platform::instance().workspace().openPath(CUTLastPath);
}

void AppleScriptShortcut::setFilePath(const QString& path, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldPath = CUTLastPath, oldName = possibleNameValue()] { setFilePath(oldPath, oldName, true, {}); },
            [=, this] { setFilePath(path, withCutName, true, {}); }))
        return;
    if (path != CUTLastPath) {
        CUTLastPath = path;
        setPathButton(path);
    }
    setPossibleNameValue(withCutName);
    setPossibleImageOfFile(path);
}

QWidget* AppleScriptShortcut::makeView(int category)
{
    auto* view = new QWidget;
    view->setObjectName(category == M::ScriptText ? QStringLiteral("RunTextView") : QStringLiteral("RunFileView"));
    auto* form = new QFormLayout(view);
    if (category == M::ScriptText) {
        CUTSourceTextView = new QPlainTextEdit(view);
        CUTSourceTextView->setObjectName(QStringLiteral("CUTSourceTextView"));
        CUTSourceTextView->setAccessibleName(localizedStr(QStringLiteral("ScriptLabel")));
        CUTSourceTextView->setLineWrapMode(QPlainTextEdit::NoWrap);
        CUTSourceTextView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        form->addRow(localizedStr(QStringLiteral("ScriptLabel")), CUTSourceTextView);
        auto* check = new QPushButton(localizedStr(QStringLiteral("CheckButton")), view);
        check->setObjectName(QStringLiteral("CUTCheckButton"));
        QObject::connect(check, &QPushButton::clicked, view, [this] { checkScriptWithText(); });
        form->addRow(QString(), check);
        return view;
    }
    CUTPathButton = addScriptFileRows(
        cls(), form, view, [this] { modifyPath(); }, [this] { editScriptWithPath(); });
    return view;
}

ZELK_REGISTER_ACTION_PANE(AppleScriptShortcutClass)

} // namespace zelk::editor
