#include "CommandShortcut.h"

#include "FormatText.h"
#include "Platform.h"

#include <QFormLayout>
#include <QMimeData>
#include <QPushButton>

namespace zelk::editor {

namespace K = CommandShortcutKeys;
namespace M = CommandShortcutModels;

namespace {

const CommandShortcutClass& cls() { return paneClassObject<CommandShortcutClass>(); }

const QStringList& commandFileTypes()
{
    static const QStringList types{QStringLiteral("txt"), QStringLiteral("rtf"), QStringLiteral("rtfd"),
                                   QStringLiteral("'TEXT'")};
    return types;
}

} // namespace

// --- Class side ----------------------------------------------------------------------------------

QVariantMap CommandShortcutClass::dataForAction(int model, const QString& commandText, const QString& commandFile) const
{
    switch (model) {
    case M::CommandText:
        return {{K::Action, qint64(model)}, {K::Source, commandText}, {K::InTerminal, false}};
    case M::CommandFile:
        return {{K::Action, qint64(model)},
                {K::Path, commandFile},
                {K::FSRef, commandFile.isEmpty() ? QByteArray() : QVEAction::FSRefForPath(commandFile)},
                {K::InTerminal, false}};
    default:
        return {};
    }
}

QString CommandShortcutClass::nameForAction(int model, const QString& commandFile) const
{
    switch (model) {
    case M::CommandText:
        return localizedActionName(model);
    case M::CommandFile:
        return fillFormat(localizedActionName(model),
                          {fileBaseDisplayName(commandFile)});
    default:
        return {};
    }
}

QVariantMap CommandShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model, {}, {}),
                           ActionPane::suggestsNameForNew() ? nameForAction(model, {}) : QString());
}

QStringList CommandShortcutClass::pasteboardTypes() const
{
    return {QStringLiteral("text/plain"), QString::fromLatin1(kFilenamesPboardType)};
}

QList<int> CommandShortcutClass::modelsIDForPasteboard(const QMimeData* pasteboard) const
{
    if (!pasteboard)
        return {};
    const QStringList files = filePathsOfPasteboard(pasteboard);
    if (!files.isEmpty()) {
        for (const QString& file : files)
            if (!QVEAction::isTextFileAtPath(resolvedPath(file)))
                return {};
        return {M::CommandText, M::CommandFile};
    }
    if (pasteboard->hasText())
        return {M::CommandText};
    return {};
}

QVariantList CommandShortcutClass::newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const
{
    if (!pasteboard)
        return {};
    const bool suggest = ActionPane::suggestsNameForNew();
    QVariantList records;
    const QStringList files = filePathsOfPasteboard(pasteboard);
    if (!files.isEmpty()) {
        for (const QString& file : files) {
            if (forAction == M::CommandFile)
                records.append(newActionRecord(*this, dataForAction(M::CommandFile, {}, file),
                                               suggest ? nameForAction(M::CommandFile, file) : QString()));
            else
                records.append(newActionRecord(*this, dataForAction(M::CommandText, QVEAction::stringWithPath(resolvedPath(file)), {}),
                                               suggest ? nameForAction(M::CommandText, {}) : QString()));
        }
        return records;
    }
    if (pasteboard->hasText())
        records.append(newActionRecord(*this, dataForAction(forAction, pasteboard->text(), {}),
                                       suggest ? nameForAction(forAction, {}) : QString()));
    return records;
}

// --- Reading, validity -----------------------------------------------------------------------------

bool CommandShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

bool CommandShortcut::isValid() const
{
    return category() != M::CommandFile || fileExistsAtPath(bestPath());
}

QString CommandShortcut::notValidString() const
{
    if (isValid())
        return {};
    return fillFormat(localizedStr(QStringLiteral("CommandNonValide")), {bestPath()});
}

// --- The editing cycle ----------------------------------------------------------------------------------

void CommandShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    if (cat == M::CommandText) {
        CUTSourceTextView->setPlainText(CUTSource);
    } else {
        CUTLastPath = bestPath();
        setPathButton(CUTLastPath);
    }
    CUTInTerminalCheck->setChecked(CUTInTerminal);
    m_editing = true;
    showPaneView(accessoryView, CUTView);
}

QVariantMap CommandShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!m_editing)
        return data;
    switch (category()) {
    case M::CommandText:
        data.insert(K::Source, CUTSourceTextView->toPlainText());
        break;
    case M::CommandFile:
        data.insert(K::Path, CUTLastPath);
        data.insert(K::FSRef, QVEAction::FSRefForPath(CUTLastPath));
        break;
    default:
        return data;
    }
    data.insert(K::InTerminal, CUTInTerminalCheck->isChecked());
    return data;
}

bool CommandShortcut::willValidateEditing()
{
    if (m_editing && category() != 0) {
        const QVariantMap edited = editedDataValue();
        std::lock_guard lock(m_pathMutex);
        CUTPersoDict = edited;
        readParameters(CUTPersoDict);
    }
    m_editing = false;
    CUTLastPath.clear();
    return ActionPane::willValidateEditing();
}

void CommandShortcut::abortEditing()
{
    m_editing = false;
    CUTLastPath.clear();
}

// --- Controls -------------------------------------------------------------------------------------------------

void CommandShortcut::setPathButton(const QString& path)
{
    if (CUTPathButton)
        showFileInPopUp(CUTPathButton, path);
}

void CommandShortcut::modifyPath()
{
    if (!m_editing)
        return;
    const QString path = QVEAction::getDocumentOfTypes(commandFileTypes(), CUTLastPath);
    if (path.isEmpty())
        return;
    const QString name = suggestsNameForModified() ? cls().nameForAction(M::CommandFile, path) : possibleNameValue();
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerModifierCommand")), {displayNameAtPath(path)});
    setFilePath(path, CUTInTerminalCheck->isChecked(), name, false, undo);
}

void CommandShortcut::modifyInTerminal()
{
    if (!m_editing)
        return;
    const bool state = CUTInTerminalCheck->isChecked();
    CUTInTerminalCheck->setChecked(!state);
    const QString undo = localizedStr(QStringLiteral("AnnulerInTerminal%1").arg(state ? 1 : 0));
    if (category() == M::CommandFile)
        setFilePath(CUTLastPath, state, possibleNameValue(), false, undo);
    else
        setInTerminal(state, possibleNameValue(), false, undo);
}

void CommandShortcut::editCommandFile()
{
    if (!CUTLastPath.isEmpty())
        Platform::instance().workspace().openPath(CUTLastPath);
}

void CommandShortcut::setFilePath(const QString& path, bool inTerminal, const QString& withCutName, bool isUndo,
                                  const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldPath = CUTLastPath, old = CUTInTerminalCheck && CUTInTerminalCheck->isChecked(),
             oldName = possibleNameValue()] { setFilePath(oldPath, old, oldName, true, {}); },
            [=, this] { setFilePath(path, inTerminal, withCutName, true, {}); }))
        return;
    if (path != CUTLastPath) {
        CUTLastPath = path;
        setPathButton(path);
    }
    if (CUTInTerminalCheck)
        CUTInTerminalCheck->setChecked(inTerminal);
    setPossibleNameValue(withCutName);
    setPossibleImageOfFile(path);
}

void CommandShortcut::setInTerminal(bool inTerminal, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTInTerminalCheck && CUTInTerminalCheck->isChecked(), oldName = possibleNameValue()] {
                setInTerminal(old, oldName, true, {});
            },
            [=, this] { setInTerminal(inTerminal, withCutName, true, {}); }))
        return;
    if (CUTInTerminalCheck)
        CUTInTerminalCheck->setChecked(inTerminal);
    setPossibleNameValue(withCutName);
}

QWidget* CommandShortcut::makeView(int category)
{
    auto* view = new QWidget;
    view->setObjectName(category == M::CommandText ? QStringLiteral("CmdRunTextView") : QStringLiteral("CmdRunFileView"));
    auto* form = new QFormLayout(view);
    if (category == M::CommandText) {
        CUTSourceTextView = new QPlainTextEdit(view);
        CUTSourceTextView->setObjectName(QStringLiteral("CUTSourceTextView"));
        CUTSourceTextView->setAccessibleName(localizedStr(QStringLiteral("CommandLabel")));
        CUTSourceTextView->setLineWrapMode(QPlainTextEdit::NoWrap);
        form->addRow(localizedStr(QStringLiteral("CommandLabel")), CUTSourceTextView);
    } else {
        CUTPathButton = addScriptFileRows(
            cls(), form, view, [this] { modifyPath(); }, [this] { editCommandFile(); });
    }
    CUTInTerminalCheck = new QCheckBox(localizedStr(QStringLiteral("InTerminalCheck")), view);
    CUTInTerminalCheck->setObjectName(QStringLiteral("CUTInTerminalCheck"));
    QObject::connect(CUTInTerminalCheck, &QCheckBox::clicked, view, [this] { modifyInTerminal(); });
    form->addRow(QString(), CUTInTerminalCheck);
    return view;
}

ZELK_REGISTER_ACTION_PANE(CommandShortcutClass)

} // namespace zelk::editor
