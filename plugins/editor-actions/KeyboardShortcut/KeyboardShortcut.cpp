#include "KeyboardShortcut.h"

#include "KeyboardShortcut/CalendarFormat.h"
#include "FormatText.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QMimeData>
#include <QPushButton>

namespace zelk::editor {

namespace K = KeyboardShortcutKeys;
namespace M = KeyboardShortcutModels;

namespace {

const KeyboardShortcutClass& cls()
{
    return paneClassObject<KeyboardShortcutClass>();
}

QString textOfFile(const QString& path)
{
    return QVEAction::stringWithPath(resolvedPath(path));
}

bool isTextFile(const QString& path)
{
    return QVEAction::isTextFileAtPath(resolvedPath(path));
}

} // namespace

// --- Class side ------------------------------------------------------------------------

QVariantMap KeyboardShortcutClass::dataForAction(int model, const QString& text, const QString& file) const
{
    const qint64 speed = M::DefaultCharSecond;
    switch (M::categoryOfAction(model)) {
    case M::TypeText:
        return {{K::Action, qint64(model)}, {K::Text, text}, {K::CharSecond, speed}};
    case M::TypeDate:
        return {{K::Action, qint64(model)}, {K::Text, defaultCalendarFormat()}, {K::CharSecond, speed}};
    case M::TypeFile:
        return {{K::Action, qint64(model)},
                {K::Path, file},
                {K::FSRef, file.isEmpty() ? QByteArray() : QVEAction::FSRefForPath(file)},
                {K::CharSecond, speed}};
    case M::TypeClipboard:
        return {{K::Action, qint64(model)}, {K::CharSecond, speed}};
    default:
        return {};
    }
}

QString KeyboardShortcutClass::excerptOfText(const QString& text)
{
    const QList<uint> characters = text.toUcs4();
    QString excerpt = characters.size() < 10
                          ? text
                          : QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), 10)
                                + QStringLiteral("...");
    excerpt.replace(QLatin1Char('\n'), QLatin1Char(' '));
    excerpt.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return excerpt;
}

QString KeyboardShortcutClass::nameForAction(int model, const QString& text, const QString& file) const
{
    switch (M::categoryOfAction(model)) {
    case M::TypeText:
        return fillFormat(localizedActionName(model), {excerptOfText(text)});
    case M::TypeFile:
        return fillFormat(localizedActionName(model),
                         {fileBaseDisplayName(file)});
    case M::TypeDate:
    case M::TypeClipboard:
        return localizedActionName(model);
    default:
        return {};
    }
}

QVariantMap KeyboardShortcutClass::newDataForAction(int model) const
{
    const QString name = ActionPane::suggestsNameForNew() ? nameForAction(model, QString(), QString()) : QString();
    return newActionRecord(*this, dataForAction(model, QString(), QString()), name);
}

QStringList KeyboardShortcutClass::pasteboardTypes() const
{
    return {QStringLiteral("text/plain"), QString::fromLatin1(kFilenamesPboardType)};
}

// Files come first: file managers put the names as text beside them.
QList<int> KeyboardShortcutClass::modelsIDForPasteboard(const QMimeData* pasteboard) const
{
    if (!pasteboard)
        return {};
    const QStringList files = filePathsOfPasteboard(pasteboard);
    if (!files.isEmpty()) {
        for (const QString& file : files)
            if (!isTextFile(file))
                return {};
        return {M::TypeText, M::TypeFile};
    }
    if (pasteboard->hasText() || pasteboard->hasFormat(QString::fromLatin1(kFilenamesPboardType)))
        return {M::TypeText};
    return {};
}

QVariantList KeyboardShortcutClass::newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const
{
    if (!pasteboard)
        return {};
    const bool suggest = ActionPane::suggestsNameForNew();
    QVariantList records;
    auto add = [&](const QString& text, const QString& file) {
        records.append(newActionRecord(*this, dataForAction(forAction, text, file),
                                       suggest ? nameForAction(forAction, text, file) : QString()));
    };
    const QStringList files = filePathsOfPasteboard(pasteboard);
    if (!files.isEmpty()) {
        for (const QString& file : files) {
            if (forAction == M::TypeText)
                add(textOfFile(file), QString());
            else
                add(QString(), file);
        }
        return records;
    }
    if (pasteboard->hasText())
        add(pasteboard->text(), QString());
    return records;
}

// --- Reading, validity -----------------------------------------------------------------------

bool KeyboardShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    // A speed out of bounds or no number is kept as read (1 for 0, the
    // default for text), never stored as it was.
    if (category() != 0 && CUTPersoDict.contains(K::CharSecond)
        && plist::integerValue(CUTPersoDict.value(K::CharSecond)) != CUTCharSecond)
        CUTPersoDict.insert(K::CharSecond, qint64(CUTCharSecond));
    return true;
}

bool KeyboardShortcut::isValid() const
{
    return category() != M::TypeFile || fileExistsAtPath(bestPath());
}

QString KeyboardShortcut::notValidString() const
{
    if (category() != M::TypeFile)
        return {};
    const QString path = bestPath();
    if (fileExistsAtPath(path))
        return {};
    return fillFormat(localizedStr(QStringLiteral("FichierNonValide")), {path});
}

// --- The editing cycle -------------------------------------------------------------------------

void KeyboardShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    switch (cat) {
    case M::TypeText:
        // Always from the stored text: a cancelled edit's text must not
        // come back with the kept view.
        CUTTextTextView->setPlainText(CUTText);
        break;
    case M::TypeDate:
        CUTLastText = CUTText;
        CUTDateField->setText(CUTLastText);
        CUTDateHelpPanel->show();
        CUTDateHelpPanel->raise();
        CUTDateHelpPanel->activateWindow();
        refreshDateExample();
        break;
    case M::TypeFile:
        CUTLastPath = bestPath();
        setPathButton(CUTLastPath);
        break;
    default:
        break;
    }
    CUTCharSecondField->setValue(CUTCharSecond);
    CUTLastCharSecond = CUTCharSecond;
    CUTIsModifiedByUser = false;
    CUTIsEdited = true;
    showPaneView(accessoryView, CUTView);
}

bool KeyboardShortcut::willValidateEditing()
{
    if (CUTIsEdited) {
        switch (category()) {
        case M::TypeText:
            CUTText = CUTTextTextView->toPlainText();
            CUTPersoDict.insert(K::Text, CUTText);
            break;
        case M::TypeDate:
            CUTText = CUTDateField->text();
            CUTPersoDict.insert(K::Text, CUTText);
            closeDateHelpPanel();
            break;
        case M::TypeFile: {
            std::lock_guard lock(m_pathMutex);
            CUTPath = CUTLastPath;
            CUTFSRef = QVEAction::FSRefForPath(CUTPath);
            CUTPersoDict.insert(K::Path, CUTPath);
            CUTPersoDict.insert(K::FSRef, CUTFSRef);
            break;
        }
        default:
            break;
        }
        if (CUTCharSecondField)
            CUTCharSecondField->interpretText();
        CUTCharSecond = charSecondOfField();
        CUTPersoDict.insert(K::CharSecond, qint64(CUTCharSecond));
    }
    CUTIsEdited = false;
    CUTLastText.clear();
    CUTLastPath.clear();
    return ActionPane::willValidateEditing();
}

void KeyboardShortcut::abortEditing()
{
    closeDateHelpPanel();
    CUTIsEdited = false;
    CUTLastText.clear();
    CUTLastPath.clear();
}

QVariantMap KeyboardShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!CUTIsEdited)
        return data;
    switch (category()) {
    case M::TypeText:
        data.insert(K::Text, CUTTextTextView->toPlainText());
        break;
    case M::TypeDate:
        data.insert(K::Text, CUTDateField->text());
        break;
    case M::TypeFile:
        data.insert(K::Path, CUTLastPath);
        data.insert(K::FSRef, QVEAction::FSRefForPath(CUTLastPath));
        break;
    default:
        break;
    }
    data.insert(K::CharSecond, qint64(charSecondOfField()));
    return data;
}

int KeyboardShortcut::charSecondOfField() const
{
    return CUTCharSecondField ? M::validCharSecond(CUTCharSecondField->value()) : CUTLastCharSecond;
}

// --- The path pop-up ------------------------------------------------------------------------------

void KeyboardShortcut::setPathButton(const QString& path)
{
    if (CUTPathButton)
        showFileInPopUp(CUTPathButton, path);
}

void KeyboardShortcut::pathButtonActivated(int index)
{
    if (filePopUpAskedToChoose(CUTPathButton, index))
        modifyPath();
}

// --- Control handlers --------------------------------------------------------------------------------

void KeyboardShortcut::modifyCharSecond()
{
    if (!CUTIsEdited || !CUTCharSecondField)
        return;
    const int charSecond = charSecondOfField();
    if (charSecond == CUTLastCharSecond)
        return;
    CUTIsModifiedByUser = true;
    const QString name = possibleNameValue();
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerModifierVitesse")), {charSecond});
    switch (category()) {
    case M::TypeDate:
        setDate(CUTLastText, charSecond, name, false, undo);
        break;
    case M::TypeFile:
        setFilePath(CUTLastPath, charSecond, name, false, undo);
        break;
    default:
        setCharSecond(charSecond, name, false, undo);
        break;
    }
}

void KeyboardShortcut::modifyDate()
{
    if (!CUTIsEdited || !CUTDateField)
        return;
    const QString date = CUTDateField->text();
    if (date == CUTLastText)
        return;
    CUTIsModifiedByUser = true;
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerModifierDate")), {date});
    setDate(date, CUTLastCharSecond, possibleNameValue(), false, undo);
}

void KeyboardShortcut::insertDateElement(int tag)
{
    if (!CUTDateField)
        return;
    editor::insertDateElement(cls(), CUTDateField, tag);
    refreshDateExample();
}

void KeyboardShortcut::modifyPath()
{
    if (!CUTIsEdited)
        return;
    const QString path = QVEAction::getDocumentOfTypes(
        {QStringLiteral("txt"), QStringLiteral("rtf"), QStringLiteral("rtfd"), QStringLiteral("'TEXT'")}, CUTLastPath);
    if (path.isEmpty() || path == CUTLastPath)
        return;
    const QString name = suggestsNameForModified() ? cls().nameForAction(M::TypeFile, QString(), path) : possibleNameValue();
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerModifierFichier")), {displayNameAtPath(path)});
    setFilePath(path, CUTLastCharSecond, name, false, undo);
}

bool KeyboardShortcut::textShouldEndEditing()
{
    if (CUTIsEdited && CUTTextTextView && suggestsNameForModified())
        setPossibleNameValue(cls().nameForAction(M::TypeText, CUTTextTextView->toPlainText(), QString()));
    return true;
}

// --- Setters ----------------------------------------------------------------------------------------------

void KeyboardShortcut::setCharSecond(int charSecond, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastCharSecond, oldName = possibleNameValue()] { setCharSecond(old, oldName, true, {}); },
            [this, charSecond, withCutName] { setCharSecond(charSecond, withCutName, true, {}); }))
        return;
    showCharSecond(charSecond);
    CUTIsModifiedByUser = false;
    setPossibleNameValue(withCutName);
}

void KeyboardShortcut::setDate(const QString& date, int charSecond, const QString& withCutName, bool isUndo,
                               const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldDate = CUTLastText, old = CUTLastCharSecond, oldName = possibleNameValue()] {
                setDate(oldDate, old, oldName, true, {});
            },
            [this, date, charSecond, withCutName] { setDate(date, charSecond, withCutName, true, {}); }))
        return;
    if (date != CUTLastText) {
        CUTLastText = date;
        if (CUTDateField) {
            CUTDateField->setText(date);
            if (!CUTIsModifiedByUser)
                CUTDateField->selectAll();
        }
    }
    showCharSecond(charSecond);
    refreshDateExample();
    CUTIsModifiedByUser = false;
    setPossibleNameValue(withCutName);
}

void KeyboardShortcut::setFilePath(const QString& path, int charSecond, const QString& withCutName, bool isUndo,
                                   const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldPath = CUTLastPath, old = CUTLastCharSecond, oldName = possibleNameValue()] {
                setFilePath(oldPath, old, oldName, true, {});
            },
            [this, path, charSecond, withCutName] { setFilePath(path, charSecond, withCutName, true, {}); }))
        return;
    if (path != CUTLastPath) {
        CUTLastPath = path;
        setPathButton(path);
    }
    showCharSecond(charSecond);
    CUTIsModifiedByUser = false;
    setPossibleNameValue(withCutName);
    setPossibleImageOfFile(path);
}

void KeyboardShortcut::showCharSecond(int charSecond)
{
    if (charSecond == CUTLastCharSecond)
        return;
    CUTLastCharSecond = charSecond;
    if (!CUTCharSecondField)
        return;
    CUTCharSecondField->setValue(charSecond);
    // A value put back by undo or redo is selected; the user's own is left as typed.
    if (!CUTIsModifiedByUser)
        CUTCharSecondField->selectAll();
}

// --- Views ------------------------------------------------------------------------------------------------

void KeyboardShortcut::refreshDateExample()
{
    if (CUTDateExampleLabel && CUTDateField)
        CUTDateExampleLabel->setText(stringForDateFormat(CUTDateField->text()));
}

void KeyboardShortcut::closeDateHelpPanel()
{
    if (CUTDateHelpPanel)
        CUTDateHelpPanel->close();
}

QWidget* KeyboardShortcut::makeView(int category)
{
    static const char* const viewNames[] = {"", "KBTextView", "KBDateView", "FileView", "ClipboardView"};
    auto* view = new QWidget;
    view->setObjectName(QString::fromLatin1(viewNames[category]));
    auto* form = new QFormLayout(view);

    switch (category) {
    case M::TypeText:
        CUTTextTextView = new QPlainTextEdit(view);
        CUTTextTextView->setObjectName(QStringLiteral("CUTTextTextView"));
        onFocusOut(CUTTextTextView, [this] { textShouldEndEditing(); });
        form->addRow(localizedStr(QStringLiteral("TextLabel")), CUTTextTextView);
        break;
    case M::TypeDate: {
        CUTDateField = new QLineEdit(view);
        CUTDateField->setObjectName(QStringLiteral("CUTDateField"));
        QObject::connect(CUTDateField, &QLineEdit::editingFinished, view, [this] { modifyDate(); });
        form->addRow(localizedStr(QStringLiteral("DateLabel")), CUTDateField);
        CUTDateExampleLabel = new QLabel(view);
        CUTDateExampleLabel->setObjectName(QStringLiteral("CUTDateExampleLabel"));
        form->addRow(localizedStr(QStringLiteral("DateExampleLabel")), CUTDateExampleLabel);

        CUTDateHelpPanel = makeDateHelpPanel(cls(), view, [this](int tag) { insertDateElement(tag); });
        break;
    }
    case M::TypeFile:
        CUTPathButton = makeFilePopUp(cls(), view);
        CUTPathButton->setObjectName(QStringLiteral("CUTPathButton"));
        QObject::connect(CUTPathButton, &QComboBox::activated, view, [this](int index) { pathButtonActivated(index); });
        form->addRow(localizedStr(QStringLiteral("FileLabel")), CUTPathButton);
        break;
    default:
        form->addRow(new QLabel(localizedStr(QStringLiteral("ClipboardExplanation")), view));
        break;
    }

    CUTCharSecondField = new QSpinBox(view);
    CUTCharSecondField->setObjectName(QStringLiteral("CUTCharSecondField"));
    CUTCharSecondField->setRange(1, M::MaxCharSecond);
    QObject::connect(CUTCharSecondField, &QSpinBox::editingFinished, view, [this] { modifyCharSecond(); });
    form->addRow(localizedStr(QStringLiteral("CharSecondLabel")), CUTCharSecondField);
    return view;
}

ZELK_REGISTER_ACTION_PANE(KeyboardShortcutClass)

} // namespace zelk::editor
