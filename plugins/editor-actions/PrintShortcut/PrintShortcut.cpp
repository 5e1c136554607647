#include "PrintShortcut.h"

#include "FormatText.h"
#include "Platform.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QMimeData>

namespace zelk::editor {

namespace K = PrintShortcutKeys;

namespace {

const PrintShortcutClass& cls()
{
    return paneClassObject<PrintShortcutClass>();
}

bool holdsFileNames(const QMimeData* pasteboard)
{
    return pasteboard && pasteboard->hasFormat(QString::fromLatin1(kFilenamesPboardType));
}

} // namespace

// --- Class side ------------------------------------------------------------------------

QVariantMap PrintShortcutClass::dataForAction(int model, const QString& printer, const QString& folder) const
{
    switch (model) {
    case 1:
    case 3:
        return {{K::Action, qint64(model)}, {K::Printer, printer}};
    case 2:
        return {{K::Action, qint64(2)}};
    case 4:
        return {{K::Action, qint64(4)},
                {K::Path, folder},
                {K::FSRef, folder.isEmpty() ? QByteArray() : QVEAction::FSRefForPath(folder)},
                {K::Printer, printer}};
    default:
        return {};
    }
}

QString PrintShortcutClass::nameForAction(int model, const QString& printer, const QString& folder) const
{
    const QString withPrinter =
        printer.isEmpty() ? QString() : fillFormat(localizedStr(QStringLiteral("AvecImprimante")), {printer});
    switch (model) {
    case 1:
        return fillFormat(localizedActionName(1), {printer});
    case 2:
        return localizedActionName(2);
    case 3:
        return localizedActionName(3) + withPrinter;
    case 4:
        return fillFormat(localizedActionName(4), {folder.isEmpty() ? QString() : displayNameAtPath(folder)}) + withPrinter;
    default:
        return {};
    }
}

QVariantMap PrintShortcutClass::newDataForAction(int model) const
{
    const QString name = ActionPane::suggestsNameForNew() ? nameForAction(model, {}, {}) : QString();
    return newActionRecord(*this, dataForAction(model, {}, {}), name);
}

QStringList PrintShortcutClass::pasteboardTypes() const
{
    return {QString::fromLatin1(kFilenamesPboardType)};
}

QList<int> PrintShortcutClass::modelsIDForPasteboard(const QMimeData* pasteboard) const
{
    if (!holdsFileNames(pasteboard))
        return {};
    if (filePathsOfPasteboard(pasteboard).isEmpty() || !allPathsOfKind(pasteboard, 3))
        return {};
    return {4};
}

QVariantList PrintShortcutClass::newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const
{
    if (!holdsFileNames(pasteboard))
        return {};
    return newRecordsOfPaths(
        *this, pasteboard, 3, [this, forAction](const QString& path) { return dataForAction(forAction, {}, path); },
        [this, forAction](const QString& path) { return nameForAction(forAction, {}, path); });
}

// --- Reading, validity ---------------------------------------------------------------------

bool PrintShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

bool PrintShortcut::isInstalled(const QString& printer) const
{
    return Platform::instance().printing().printers().contains(printer);
}

QString PrintShortcut::notValidString() const
{
    const QString notInstalled = fillFormat(localizedStr(QStringLiteral("ImprimanteNonValide")), {CUTPrinter});
    switch (category()) {
    case 1:
        return isInstalled(CUTPrinter) ? QString() : notInstalled;
    case 3:
        return CUTPrinter.isEmpty() || isInstalled(CUTPrinter) ? QString() : notInstalled;
    case 4: {
        const QString path = bestPath();
        if (!fileExistsAtPath(path))
            return fillFormat(localizedStr(QStringLiteral("CheminNonValide")), {path});
        return CUTPrinter.isEmpty() || isInstalled(CUTPrinter) ? QString() : notInstalled;
    }
    default:
        return {};
    }
}

// --- The editing cycle -------------------------------------------------------------------------

void PrintShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    if (cat != 2) {
        CUTPrinterCombo->clear();
        CUTPrinterCombo->addItems(Platform::instance().printing().printers());
        CUTLastPrinter = CUTPrinter;
        CUTPrinterCombo->setEditText(CUTPrinter);
        if (cat == 4) {
            CUTLastPath = bestPath();
            setFolderButtonWithPath(CUTLastPath);
        }
        CUTIsModifiedByUser = false;
        CUTIsEdited = true;
    }
    showPaneView(accessoryView, CUTView);
}

bool PrintShortcut::willValidateEditing()
{
    if (CUTIsEdited) {
        CUTPrinter = CUTLastPrinter;
        CUTPersoDict.insert(K::Printer, CUTPrinter);
        if (category() == 4) {
            {
                std::lock_guard lock(m_pathMutex);
                CUTPath = CUTLastPath;
                CUTFSRef = QVEAction::FSRefForPath(CUTPath);
            }
            CUTPersoDict.insert(K::Path, CUTPath);
            CUTPersoDict.insert(K::FSRef, CUTFSRef);
        }
    }
    abortEditing();
    return ActionPane::willValidateEditing();
}

void PrintShortcut::abortEditing()
{
    CUTLastPrinter.clear();
    CUTLastPath.clear();
    CUTIsEdited = false;
}

QVariantMap PrintShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!CUTIsEdited)
        return data;
    data.insert(K::Printer, CUTLastPrinter);
    if (category() == 4) {
        data.insert(K::Path, CUTLastPath);
        data.insert(K::FSRef, QVEAction::FSRefForPath(CUTLastPath));
    }
    return data;
}

// --- Control handlers, setter ------------------------------------------------------------------------

void PrintShortcut::modifyPrinter()
{
    if (!CUTIsEdited || !CUTPrinterCombo)
        return;
    const QString printer = CUTPrinterCombo->currentText();
    if (printer == CUTLastPrinter)
        return;
    const QString folder = category() == 4 ? CUTLastPath : QString();
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, printer, folder) : possibleNameValue();
    CUTIsModifiedByUser = true;
    setPrinter(printer, CUTLastPath, name, false,
               fillFormat(localizedStr(QStringLiteral("AnnulerModifierImprimante")), {printer}));
}

void PrintShortcut::modifyFolder()
{
    const QString folder = QVEAction::getFolderFromPath(CUTLastPath);
    if (folder.isEmpty())
        return;
    const QString name =
        suggestsNameForModified() ? cls().nameForAction(CUTAction, CUTLastPrinter, folder) : possibleNameValue();
    setPrinter(CUTLastPrinter, folder, name, false,
               fillFormat(localizedStr(QStringLiteral("AnnulerModifierDossier")), {displayNameAtPath(folder)}));
}

void PrintShortcut::setPrinter(const QString& printer, const QString& folder, const QString& withCutName, bool isUndo,
                               const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldPrinter = CUTLastPrinter, oldPath = CUTLastPath, oldName = possibleNameValue()] {
                setPrinter(oldPrinter, oldPath, oldName, true, {});
            },
            [this, printer, folder, withCutName] { setPrinter(printer, folder, withCutName, true, {}); }))
        return;
    if (printer != CUTLastPrinter) {
        CUTLastPrinter = printer;
        if (CUTPrinterCombo) {
            CUTPrinterCombo->setEditText(printer);
            if (!CUTIsModifiedByUser && CUTPrinterCombo->lineEdit())
                CUTPrinterCombo->lineEdit()->selectAll();
        }
    }
    CUTIsModifiedByUser = false;
    if (category() == 4 && folder != CUTLastPath) {
        CUTLastPath = folder;
        setFolderButtonWithPath(folder);
    }
    setPossibleNameValue(withCutName);
}

void PrintShortcut::setFolderButtonWithPath(const QString& path)
{
    if (!CUTPathButton)
        return;
    setFolderPopUp(CUTPathButton, path);
}

QWidget* PrintShortcut::makeView(int category)
{
    static const char* const viewNames[] = {"", "DefaultView", "PrintMenuView", "PrintSelectionView", "PrintFolderView"};
    auto* view = new QWidget;
    view->setObjectName(QString::fromLatin1(viewNames[category]));
    auto* form = new QFormLayout(view);
    if (category == 2)
        return view;
    CUTPrinterCombo = new QComboBox(view);
    CUTPrinterCombo->setObjectName(QStringLiteral("CUTPrinterCombo"));
    CUTPrinterCombo->setEditable(true);
    CUTPrinterCombo->setInsertPolicy(QComboBox::NoInsert);
    CUTPrinterCombo->setAccessibleName(localizedStr(QStringLiteral("PrinterLabel")));
    QObject::connect(CUTPrinterCombo, &QComboBox::activated, view, [this](int) { modifyPrinter(); });
    QObject::connect(CUTPrinterCombo->lineEdit(), &QLineEdit::editingFinished, view, [this] { modifyPrinter(); });
    form->addRow(localizedStr(QStringLiteral("PrinterLabel")), CUTPrinterCombo);
    if (category == 4) {
        CUTPathButton = addFolderRow(cls(), form, view, [this] { modifyFolder(); });
    }
    return view;
}

ZELK_REGISTER_ACTION_PANE(PrintShortcutClass)

} // namespace zelk::editor
