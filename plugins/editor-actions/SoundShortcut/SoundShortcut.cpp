#include "SoundShortcut.h"

#include "FormatText.h"
#include "Log.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QMimeData>
#include <QMimeDatabase>
#include <QStandardItemModel>

namespace zelk::editor {

namespace K = SoundShortcutKeys;
namespace M = SoundShortcutModels;

namespace {

const SoundShortcutClass& cls()
{
    return paneClassObject<SoundShortcutClass>();
}

constexpr const char* ChooseItem = "CUTSoundChooseItem";

} // namespace

// --- Class side ------------------------------------------------------------------------

QVariantMap SoundShortcutClass::dataForAction(int model, const QString& soundFile) const
{
    switch (categoryOfAction(model)) {
    case 1:
        return {{K::Action, qint64(model)},
                {K::Path, soundFile},
                {K::FSRef, soundFile.isEmpty() ? QByteArray() : QVEAction::FSRefForPath(soundFile)}};
    case 2:
        return {{K::Action, qint64(model)}};
    default:
        return {};
    }
}

QString SoundShortcutClass::nameForAction(int model, const QString& soundFile) const
{
    switch (categoryOfAction(model)) {
    case 1:
        return fillFormat(localizedActionName(model), {fileBaseDisplayName(soundFile)});
    case 2:
        return localizedActionName(model);
    default:
        return {};
    }
}

QVariantMap SoundShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model, {}),
                           ActionPane::suggestsNameForNew() ? nameForAction(model, {}) : QString());
}

bool SoundShortcutClass::isSoundFileAtPath(const QString& path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (!type.isValid() || type.isDefault()) {
        zlog("SoundShortcut", "isSoundFileAtPath") << "Could not determine type of file" << path;
        return false;
    }
    return type.name().startsWith(QLatin1String("audio/"));
}

QString SoundShortcutClass::getSoundFromPath(const QString& path)
{
    static const QStringList kinds{"wav", "oga", "ogg", "opus", "flac", "mp3", "m4a", "aac", "aif", "aiff", "au"};
    return QVEAction::getDocumentOfTypes(kinds, path);
}

QStringList SoundShortcutClass::pasteboardTypes() const
{
    return {QString::fromLatin1(kFilenamesPboardType)};
}

QList<int> SoundShortcutClass::modelsIDForPasteboard(const QMimeData* pasteboard) const
{
    const QStringList paths = filePathsOfPasteboard(pasteboard);
    if (paths.isEmpty())
        return {};
    for (const QString& path : paths)
        if (!isSoundFileAtPath(QVEAction::targetPath(path)))
            return {};
    return {M::PlayFile};
}

QVariantList SoundShortcutClass::newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const
{
    if (modelsIDForPasteboard(pasteboard).isEmpty())
        return {};
    const bool suggest = ActionPane::suggestsNameForNew();
    QVariantList records;
    for (const QString& path : filePathsOfPasteboard(pasteboard))
        records.append(newActionRecord(*this, dataForAction(forAction, path), suggest ? nameForAction(forAction, path) : QString()));
    return records;
}

// --- Reading, validity ---------------------------------------------------------------------

bool SoundShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

QString SoundShortcut::notValidString() const
{
    if (CUTAction != M::PlayFile)
        return {};
    const QString path = bestPath();
    return fileExistsAtPath(path) ? QString() : fillFormat(localizedStr(QStringLiteral("SonNonValide")), {path});
}

// --- The editing cycle -------------------------------------------------------------------------

void SoundShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    if (cat == 1) {
        CUTLastSoundPath = bestPath();
        loadSoundInPopUp();
        setSoundButtonWithPath(CUTLastSoundPath);
    } else {
        CUTLastAction = CUTAction;
        selectItemWithTag(CUTActionButton, CUTLastAction);
    }
    m_editing = true;
    showPaneView(accessoryView, CUTView);
}

bool SoundShortcut::willValidateEditing()
{
    if (m_editing) {
        if (category() == 1) {
            {
                std::lock_guard lock(m_pathMutex);
                CUTSoundPath = CUTLastSoundPath;
                CUTSoundFSRef = CUTSoundPath.isEmpty() ? QByteArray() : QVEAction::FSRefForPath(CUTSoundPath);
            }
            CUTPersoDict.insert(K::Path, CUTSoundPath);
            CUTPersoDict.insert(K::FSRef, CUTSoundFSRef);
        } else if (category() == 2) {
            CUTAction = CUTLastAction;
            CUTPersoDict.insert(K::Action, qint64(CUTAction));
        }
    }
    abortEditing();
    return ActionPane::willValidateEditing();
}

void SoundShortcut::abortEditing()
{
    CUTLastSoundPath.clear();
    m_editing = false;
}

QVariantMap SoundShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!m_editing)
        return data;
    if (category() == 1) {
        data.insert(K::Path, CUTLastSoundPath);
        data.insert(K::FSRef, CUTLastSoundPath.isEmpty() ? QByteArray() : QVEAction::FSRefForPath(CUTLastSoundPath));
    } else if (category() == 2) {
        data.insert(K::Action, qint64(CUTLastAction));
    }
    return data;
}

// --- The sound pop-up -----------------------------------------------------------------------------

QList<std::pair<QString, QString>> SoundShortcut::soundFolders()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + "/.local/share";
    return {{QStringLiteral("/usr/share/sounds/freedesktop/stereo"), QStringLiteral("System Sounds:")},
            {QStringLiteral("/usr/local/share/sounds"), QStringLiteral("Users Sounds:")},
            {dataHome + "/sounds", QStringLiteral("Your Sounds:")}};
}

void SoundShortcut::setSoundButtonWithPath(const QString& path)
{
    if (!CUTSoundButton)
        return;
    const QImage icon = fileIconOrUnknown<QVEAction>(path, 16);
    CUTSoundButton->setItemText(0, path.isEmpty() ? QString() : displayNameAtPath(path));
    CUTSoundButton->setItemIcon(0, QIcon(QPixmap::fromImage(icon)));
    CUTSoundButton->setItemData(0, path, PathRole);
    CUTSoundButton->setToolTip(QStringLiteral("Sound location:\n%1").arg(path));
    CUTSoundButton->setCurrentIndex(0);
}

void SoundShortcut::loadSoundInPopUp()
{
    if (!CUTSoundButton)
        return;
    const QSignalBlocker block(CUTSoundButton);
    // Built anew each time: item 0 (the chosen sound) stays.
    while (CUTSoundButton->count() > 1)
        CUTSoundButton->removeItem(1);
    auto* model = qobject_cast<QStandardItemModel*>(CUTSoundButton->model());
    for (const auto& [folder, heading] : soundFolders()) {
        const QDir dir(QFileInfo(folder).canonicalFilePath());
        if (folder.isEmpty() || !dir.exists())
            continue;
        QStringList sounds;
        for (const QFileInfo& entry : dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name))
            sounds << entry.filePath();
        if (sounds.isEmpty())
            continue;
        CUTSoundButton->insertSeparator(CUTSoundButton->count());
        CUTSoundButton->addItem(heading);
        if (model)
            model->item(CUTSoundButton->count() - 1)->setEnabled(false);
        for (const QString& path : sounds) {
            CUTSoundButton->addItem(QFileInfo(path).completeBaseName());
            CUTSoundButton->setItemData(CUTSoundButton->count() - 1, path, PathRole);
        }
    }
    CUTSoundButton->insertSeparator(CUTSoundButton->count());
    addMarkerItem(CUTSoundButton, localizedStr(QStringLiteral("PathChooseItem")), QString::fromLatin1(ChooseItem));
}

void SoundShortcut::soundItemChosen(int index)
{
    if (!CUTSoundButton)
        return;
    const bool choose = index == indexOfMarker(CUTSoundButton, QString::fromLatin1(ChooseItem));
    const QString path = index > 0 ? CUTSoundButton->itemData(index, PathRole).toString() : QString();
    CUTSoundButton->setCurrentIndex(0);
    if (choose)
        modifySoundPath();
    else if (!path.isEmpty())
        setSoundFromMenu(path);
}

void SoundShortcut::setSoundFromMenu(const QString& path)
{
    if (!m_editing)
        return;
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, path) : possibleNameValue();
    setSoundPath(path, name, false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierSon")), {displayNameAtPath(path)}));
}

void SoundShortcut::modifySoundPath()
{
    const QString path = SoundShortcutClass::getSoundFromPath(CUTLastSoundPath);
    if (!path.isEmpty())
        setSoundFromMenu(path);
}

void SoundShortcut::setSoundPath(const QString& path, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastSoundPath, oldName = possibleNameValue()] { setSoundPath(old, oldName, true, {}); },
            [this, path, withCutName] { setSoundPath(path, withCutName, true, {}); }))
        return;
    if (path != CUTLastSoundPath) {
        CUTLastSoundPath = path;
        setSoundButtonWithPath(path);
    }
    setPossibleNameValue(withCutName);
    setPossibleImageOfFile(path);
}

void SoundShortcut::modifyAction()
{
    if (!m_editing || !CUTActionButton)
        return;
    const int tag = tagOfItem(CUTActionButton, CUTActionButton->currentIndex());
    if (tag == CUTLastAction)
        return;
    const QString name = suggestsNameForModified() ? cls().nameForAction(tag, {}) : possibleNameValue();
    setAction(tag, name, false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierAction")), {CUTActionButton->currentText()}));
}

void SoundShortcut::setAction(int model, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastAction, oldName = possibleNameValue()] { setAction(old, oldName, true, {}); },
            [this, model, withCutName] { setAction(model, withCutName, true, {}); }))
        return;
    if (model != CUTLastAction) {
        CUTLastAction = model;
        setPossibleDescriptionValue(actionClass().descriptionOfModelID(model));
        setPossibleImageValue(imageForModel(model, 32));
    }
    if (CUTActionButton)
        selectItemWithTag(CUTActionButton, model);
    setPossibleNameValue(withCutName);
}

QWidget* SoundShortcut::makeView(int category)
{
    auto* view = new QWidget;
    auto* form = new QFormLayout(view);
    if (category == 1) {
        view->setObjectName(QStringLiteral("PlayFileView"));
        CUTSoundButton = new QComboBox(view);
        CUTSoundButton->setObjectName(QStringLiteral("CUTSoundButton"));
        CUTSoundButton->setAccessibleName(localizedStr(QStringLiteral("SoundLabel")));
        CUTSoundButton->addItem(QString());
        QObject::connect(CUTSoundButton, &QComboBox::activated, view, [this](int index) { soundItemChosen(index); });
        form->addRow(localizedStr(QStringLiteral("SoundLabel")), CUTSoundButton);
    } else {
        view->setObjectName(QStringLiteral("VolumeView"));
        CUTActionButton = new QComboBox(view);
        CUTActionButton->setObjectName(QStringLiteral("CUTActionButton"));
        CUTActionButton->setAccessibleName(localizedStr(QStringLiteral("ActionLabel")));
        fillModelPopUp(CUTActionButton, actionClass(), modelsOfCategory(actionClass(), 2));
        QObject::connect(CUTActionButton, &QComboBox::activated, view, [this] { modifyAction(); });
        form->addRow(localizedStr(QStringLiteral("ActionLabel")), CUTActionButton);
    }
    return view;
}

ZELK_REGISTER_ACTION_PANE(SoundShortcutClass)

} // namespace zelk::editor
