#include "FolderShortcut.h"

#include "FormatText.h"

#include <QFormLayout>
#include <QIntValidator>
#include <QMimeData>

namespace zelk::editor {

namespace K = FolderShortcutKeys;

namespace {

const FolderShortcutClass& cls()
{
    return paneClassObject<FolderShortcutClass>();
}

// The undo titles of the boxes, formed with 1 (on) or 0 (off).
const char* undoKeyOf(FolderShortcut::Box box)
{
    using B = FolderShortcut::Box;
    switch (box) {
    case B::DisplayIcon: return "AnnulerModifierAfficherIcones%1";
    case B::GenericIcons: return "AnnulerModifierGIcones%1";
    case B::ShowDocument: return "AnnulerModifierMontrerDocuments%1";
    case B::ShowApplication: return "AnnulerModifierMontrerApplications%1";
    case B::ShowFolder: return "AnnulerModifierMontrerDossiers%1";
    case B::ShowPackageContent: return "AnnulerModifierMontrerStructures%1";
    case B::ShowInvisible: return "AnnulerModifierMontrerInvisibles%1";
    case B::DisplayExtension: return "AnnulerModifierAfficherExtensions%1";
    }
    return "";
}

bool& flagOf(FolderMenuFlags& f, FolderShortcut::Box box)
{
    using B = FolderShortcut::Box;
    switch (box) {
    case B::DisplayIcon: return f.displayIcon;
    case B::GenericIcons: return f.genericIcons;
    case B::ShowDocument: return f.showDocument;
    case B::ShowApplication: return f.showApplication;
    case B::ShowFolder: return f.showFolder;
    case B::ShowPackageContent: return f.showPackageContent;
    case B::ShowInvisible: return f.showInvisible;
    case B::DisplayExtension: break;
    }
    return f.displayExtension;
}

} // namespace

// --- Class side -------------------------------------------------------------------------------

QVariantMap FolderShortcutClass::dataForAction(int model, const QString& folder) const
{
    if (model != 1 && model != 2)
        return {};
    QVariantMap data{{K::Action, qint64(model)}, {K::Depth, qint64(1)}};
    FolderMenuFlags().write(data);
    if (model == 1) {
        data.insert(K::Path, folder);
        data.insert(K::FSRef, folder.isEmpty() ? QByteArray() : QVEAction::FSRefForPath(folder));
    }
    return data;
}

QString FolderShortcutClass::nameForAction(int model, const QString& folder) const
{
    if (model == 2)
        return localizedActionName(2);
    if (model == 1)
        return folder.isEmpty() ? QString() : displayNameAtPath(folder);
    return {};
}

QVariantMap FolderShortcutClass::newDataForAction(int model) const
{
    const QString name = ActionPane::suggestsNameForNew() ? nameForAction(model, {}) : QString();
    return newActionRecord(*this, dataForAction(model, {}), name);
}

QStringList FolderShortcutClass::pasteboardTypes() const
{
    return {QString::fromLatin1(kFilenamesPboardType)};
}

QList<int> FolderShortcutClass::modelsIDForPasteboard(const QMimeData* pasteboard) const
{
    if (!pasteboard || !pasteboard->hasFormat(QString::fromLatin1(kFilenamesPboardType)) || !allPathsOfKind(pasteboard, 3))
        return {};
    return {1};
}

QVariantList FolderShortcutClass::newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const
{
    return newRecordsOfPaths(
        *this, pasteboard, 3, [this, forAction](const QString& path) { return dataForAction(forAction, path); },
        [this, forAction](const QString& path) { return nameForAction(forAction, path); });
}

// --- Reading, validity ---------------------------------------------------------------------------

bool FolderShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

QString FolderShortcut::notValidString() const
{
    if (CUTAction != 1)
        return {};
    const QString path = bestPath();
    return fileExistsAtPath(path) ? QString() : fillFormat(localizedStr(QStringLiteral("CheminNonValide")), {path});
}

// --- The editing cycle -------------------------------------------------------------------------------

void FolderShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    if (cat == 1) {
        CUTLastPath = bestPath();
        setFolderButtonWithPath(CUTLastPath);
    }
    CUTDepthField->setText(QString::number(CUTMenuDepth));
    CUTLastMenuDepth = CUTMenuDepth;
    showFlags(CUTFlags);
    CUTOpenFolderCheck->setChecked(CUTFlags.folderOpen);
    CUTIsModifiedByUser = false;
    CUTIsEdited = true;
    showPaneView(accessoryView, CUTView);
}

bool FolderShortcut::willValidateEditing()
{
    // An unknown model is saved as it was read.
    if (CUTIsEdited && category() != 0) {
        if (category() == 1) {
            {
                std::lock_guard lock(m_pathMutex);
                CUTPath = CUTLastPath;
                CUTFSRef = QVEAction::FSRefForPath(CUTPath);
            }
            CUTPersoDict.insert(K::Path, CUTPath);
            CUTPersoDict.insert(K::FSRef, CUTFSRef);
        }
        CUTMenuDepth = depthValue();
        CUTFlags = boxFlags();
        CUTPersoDict.insert(K::Depth, qint64(CUTMenuDepth));
        CUTFlags.write(CUTPersoDict);
    }
    abortEditing();
    return ActionPane::willValidateEditing();
}

void FolderShortcut::abortEditing()
{
    CUTLastPath.clear();
    CUTIsEdited = false;
    CUTIsModifiedByUser = false;
}

QVariantMap FolderShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!CUTIsEdited || category() == 0)
        return data;
    if (category() == 1) {
        data.insert(K::Path, CUTLastPath);
        data.insert(K::FSRef, QVEAction::FSRefForPath(CUTLastPath));
    }
    data.insert(K::Depth, qint64(depthValue()));
    boxFlags().write(data);
    return data;
}

// --- Controls -------------------------------------------------------------------------------------------

QCheckBox* FolderShortcut::boxFor(Box box) const
{
    switch (box) {
    case Box::DisplayIcon: return CUTDisplayIconCheck;
    case Box::GenericIcons: return CUTGenericIconsCheck;
    case Box::ShowDocument: return CUTShowDocumentCheck;
    case Box::ShowApplication: return CUTShowApplicationCheck;
    case Box::ShowFolder: return CUTShowFolderCheck;
    case Box::ShowPackageContent: return CUTShowPackageContentCheck;
    case Box::ShowInvisible: return CUTShowInvisibleCheck;
    case Box::DisplayExtension: break;
    }
    return CUTDisplayExtensionCheck;
}

FolderMenuFlags FolderShortcut::boxFlags() const
{
    FolderMenuFlags f = CUTFlags;
    auto on = [](const QCheckBox* box, bool fallback) { return box ? box->isChecked() : fallback; };
    f.displayIcon = on(CUTDisplayIconCheck, f.displayIcon);
    f.genericIcons = on(CUTGenericIconsCheck, f.genericIcons);
    f.showDocument = on(CUTShowDocumentCheck, f.showDocument);
    f.showApplication = on(CUTShowApplicationCheck, f.showApplication);
    f.showFolder = on(CUTShowFolderCheck, f.showFolder);
    f.showPackageContent = on(CUTShowPackageContentCheck, f.showPackageContent);
    f.showInvisible = on(CUTShowInvisibleCheck, f.showInvisible);
    f.displayExtension = on(CUTDisplayExtensionCheck, f.displayExtension);
    f.folderOpen = on(CUTOpenFolderCheck, f.folderOpen);
    return f;
}

void FolderShortcut::showFlags(const FolderMenuFlags& f)
{
    if (!CUTDisplayIconCheck)
        return;
    CUTDisplayIconCheck->setChecked(f.displayIcon);
    CUTGenericIconsCheck->setChecked(f.genericIcons);
    CUTShowDocumentCheck->setChecked(f.showDocument);
    CUTShowApplicationCheck->setChecked(f.showApplication);
    CUTShowFolderCheck->setChecked(f.showFolder);
    CUTShowPackageContentCheck->setChecked(f.showPackageContent);
    CUTShowInvisibleCheck->setChecked(f.showInvisible);
    CUTDisplayExtensionCheck->setChecked(f.displayExtension);
    CUTGenericIconsCheck->setEnabled(f.displayIcon);
    CUTOpenFolderCheck->setEnabled(f.showFolder);
    CUTShowPackageContentCheck->setEnabled(f.showApplication);
}

void FolderShortcut::modifyFolder()
{
    const QString folder = QVEAction::getFolderFromPath(CUTLastPath);
    if (folder.isEmpty())
        return;
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, folder) : possibleNameValue();
    setFolder(folder, CUTLastMenuDepth, boxFlags(), name, false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierDossier")), {displayNameAtPath(folder)}));
}

void FolderShortcut::modifyDepth()
{
    const int depth = depthValue();
    if (!CUTIsEdited || depth == CUTLastMenuDepth)
        return;
    CUTIsModifiedByUser = true;
    setFolder(CUTLastPath, depth, boxFlags(), possibleNameValue(), false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierProfondeur")), {depth}));
}

void FolderShortcut::modifyBox(Box box)
{
    QCheckBox* check = boxFor(box);
    if (!check)
        return;
    const bool state = check->isChecked();
    // Back to the previous state, so that the setter keeps it for undo.
    check->setChecked(!state);
    FolderMenuFlags flags = boxFlags();
    flagOf(flags, box) = state;
    setFolder(CUTLastPath, CUTLastMenuDepth, flags, possibleNameValue(), false,
              localizedStr(QString::fromLatin1(undoKeyOf(box)).arg(state ? 1 : 0)));
    // Follow-on changes, outside the undo step.
    if (box == Box::DisplayIcon && !state)
        CUTGenericIconsCheck->setChecked(false);
    if (box == Box::ShowApplication && !state)
        CUTShowPackageContentCheck->setChecked(false);
}

void FolderShortcut::setFolder(const QString& folder, int menuDepth, const FolderMenuFlags& flags,
                               const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldFolder = CUTLastPath, oldDepth = CUTLastMenuDepth, oldFlags = boxFlags(),
             oldName = possibleNameValue()] { setFolder(oldFolder, oldDepth, oldFlags, oldName, true, {}); },
            [this, folder, menuDepth, flags, withCutName] { setFolder(folder, menuDepth, flags, withCutName, true, {}); }))
        return;
    if (category() == 1 && folder != CUTLastPath) {
        CUTLastPath = folder;
        setFolderButtonWithPath(folder);
    }
    if (menuDepth != CUTLastMenuDepth) {
        CUTLastMenuDepth = menuDepth;
        if (CUTDepthField) {
            CUTDepthField->setText(QString::number(menuDepth));
            if (!CUTIsModifiedByUser)
                CUTDepthField->selectAll();
        }
    }
    CUTIsModifiedByUser = false;
    // The open-folder box keeps what it shows.
    FolderMenuFlags shown = flags;
    shown.folderOpen = CUTOpenFolderCheck && CUTOpenFolderCheck->isChecked();
    showFlags(shown);
    setPossibleNameValue(withCutName);
    if (category() == 1) {
        const QImage image = QVEAction::iconImageForPath(CUTLastPath, 32);
        if (!image.isNull())
            setPossibleImageValue(image);
    }
}

void FolderShortcut::setFolderButtonWithPath(const QString& path)
{
    if (!CUTPathButton)
        return;
    setFolderPopUp(CUTPathButton, path);
}

QWidget* FolderShortcut::makeView(int category)
{
    auto* view = new QWidget;
    view->setObjectName(category == 1 ? QStringLiteral("FolderView") : QStringLiteral("FolderSelectionView"));
    auto* form = new QFormLayout(view);
    if (category == 1) {
        CUTPathButton = addFolderRow(cls(), form, view, [this] { modifyFolder(); });
    }
    CUTDepthField = new QLineEdit(view);
    CUTDepthField->setObjectName(QStringLiteral("CUTDepthField"));
    CUTDepthField->setAccessibleName(localizedStr(QStringLiteral("DepthLabel")));
    CUTDepthField->setValidator(new QIntValidator(CUTDepthField));
    QObject::connect(CUTDepthField, &QLineEdit::editingFinished, view, [this] { modifyDepth(); });
    form->addRow(localizedStr(QStringLiteral("DepthLabel")), CUTDepthField);
    struct BoxSpec {
        QPointer<QCheckBox>* slot;
        const char* name;
        Box box;
    };
    const BoxSpec boxes[] = {
        {&CUTDisplayIconCheck, "CUTDisplayIconCheck", Box::DisplayIcon},
        {&CUTGenericIconsCheck, "CUTGenericIconsCheck", Box::GenericIcons},
        {&CUTShowDocumentCheck, "CUTShowDocumentCheck", Box::ShowDocument},
        {&CUTShowApplicationCheck, "CUTShowApplicationCheck", Box::ShowApplication},
        {&CUTShowFolderCheck, "CUTShowFolderCheck", Box::ShowFolder},
        {&CUTShowPackageContentCheck, "CUTShowPackageContentCheck", Box::ShowPackageContent},
        {&CUTShowInvisibleCheck, "CUTShowInvisibleCheck", Box::ShowInvisible},
        {&CUTDisplayExtensionCheck, "CUTDisplayExtensionCheck", Box::DisplayExtension},
    };
    for (const BoxSpec& spec : boxes) {
        auto* check = new QCheckBox(localizedStr(QString::fromLatin1(spec.name + 3)), view);
        check->setObjectName(QString::fromLatin1(spec.name));
        const Box box = spec.box;
        QObject::connect(check, &QCheckBox::clicked, view, [this, box] { modifyBox(box); });
        *spec.slot = check;
        form->addRow(check);
    }
    CUTOpenFolderCheck = new QCheckBox(localizedStr(QStringLiteral("OpenFolderCheck")), view);
    CUTOpenFolderCheck->setObjectName(QStringLiteral("CUTOpenFolderCheck"));
    QObject::connect(CUTOpenFolderCheck, &QCheckBox::clicked, view, [this] { modifyOpenFolder(); });
    form->addRow(CUTOpenFolderCheck);
    return view;
}

ZELK_REGISTER_ACTION_PANE(FolderShortcutClass)

} // namespace zelk::editor
