#include "FinderWindowShortcut.h"

#include "FormatText.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QIntValidator>
#include <QMimeData>

namespace zelk::editor {

namespace K = FinderWindowShortcutKeys;
using FinderWindowShortcutModels::rectFromString;
using FinderWindowShortcutModels::stringFromRect;

namespace {

const FinderWindowShortcutClass& cls()
{
    return paneClassObject<FinderWindowShortcutClass>();
}

} // namespace

// --- Class side ------------------------------------------------------------------------------

QVariantMap FinderWindowShortcutClass::dataForAction(int model, const QString& folder) const
{
    const qint64 unchanged = FinderWindowShortcutModels::kViewUnchanged;
    if (model == 1)
        return {{K::Action, qint64(1)},
                {K::Path, folder},
                {K::FSRef, folder.isEmpty() ? QByteArray() : QVEAction::FSRefForPath(folder)},
                {K::NewWindow, false},
                {K::CloseAll, false},
                {K::ViewType, unchanged},
                {K::WindowRect, stringFromRect(QRect())}};
    if (model == 2)
        return {{K::Action, qint64(2)}, {K::ViewType, unchanged}, {K::WindowRect, stringFromRect(QRect())}};
    return {};
}

QString FinderWindowShortcutClass::nameForAction(int model, const QString& folder) const
{
    if (model == 1)
        return fillFormat(localizedActionName(1), {folder.isEmpty() ? QString() : displayNameAtPath(folder)});
    if (model == 2)
        return localizedActionName(2);
    return {};
}

QVariantMap FinderWindowShortcutClass::newDataForAction(int model) const
{
    const QString name = ActionPane::suggestsNameForNew() ? nameForAction(model, {}) : QString();
    return newActionRecord(*this, dataForAction(model, {}), name);
}

QStringList FinderWindowShortcutClass::pasteboardTypes() const
{
    return {QString::fromLatin1(kFilenamesPboardType)};
}

QList<int> FinderWindowShortcutClass::modelsIDForPasteboard(const QMimeData* pasteboard) const
{
    if (filePathsOfPasteboard(pasteboard).isEmpty() || !allPathsOfKind(pasteboard, 3))
        return {};
    return {1};
}

QVariantList FinderWindowShortcutClass::newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const
{
    return newRecordsOfPaths(
        *this, pasteboard, 3, [this, forAction](const QString& path) { return dataForAction(forAction, path); },
        [this, forAction](const QString& path) { return nameForAction(forAction, path); });
}

// --- Reading, validity -----------------------------------------------------------------------

bool FinderWindowShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

QString FinderWindowShortcut::notValidString() const
{
    if (CUTAction != 1)
        return {};
    const QString path = bestPath();
    return fileExistsAtPath(path) ? QString() : fillFormat(localizedStr(QStringLiteral("DossierNonValide")), {path});
}

// --- The editing cycle ---------------------------------------------------------------------------

void FinderWindowShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    if (cat == 1) {
        CUTLastPath = bestPath();
        setFolderButtonWithPath(CUTLastPath);
        CUTNewWindowCheck->setChecked(CUTNewWindow);
        CUTCloseAllCheck->setChecked(CUTCloseAll);
        CUTCloseAllCheck->setEnabled(CUTNewWindow);
    }
    CUTLastViewType = CUTViewType;
    selectItemWithTag(CUTViewTypeButton, CUTViewType);
    CUTLastWindowRect = CUTWindowRect;
    setWindowRect(CUTWindowRect);
    CUTIsModifiedByUser = false;
    CUTIsEdited = true;
    showPaneView(accessoryView, CUTView);
}

bool FinderWindowShortcut::willValidateEditing()
{
    if (CUTIsEdited) {
        const int cat = category();
        if (cat == 1) {
            {
                std::lock_guard lock(m_pathMutex);
                CUTPath = CUTLastPath;
                CUTFSRef = QVEAction::FSRefForPath(CUTPath);
            }
            CUTNewWindow = checked(CUTNewWindowCheck);
            CUTCloseAll = checked(CUTCloseAllCheck);
            CUTPersoDict.insert(K::Path, CUTPath);
            CUTPersoDict.insert(K::FSRef, CUTFSRef);
            CUTPersoDict.insert(K::NewWindow, CUTNewWindow);
            CUTPersoDict.insert(K::CloseAll, CUTCloseAll);
        }
        if (cat != 0) {
            CUTViewType = CUTLastViewType;
            CUTWindowRect = fieldsRect();
            CUTPersoDict.insert(K::ViewType, qint64(CUTViewType));
            CUTPersoDict.insert(K::WindowRect, stringFromRect(CUTWindowRect));
        }
    }
    abortEditing();
    return ActionPane::willValidateEditing();
}

void FinderWindowShortcut::abortEditing()
{
    CUTLastPath.clear();
    CUTIsEdited = false;
}

QVariantMap FinderWindowShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!CUTIsEdited)
        return data;
    if (category() == 1) {
        data.insert(K::Path, CUTLastPath);
        data.insert(K::FSRef, QVEAction::FSRefForPath(CUTLastPath));
        data.insert(K::NewWindow, checked(CUTNewWindowCheck));
        data.insert(K::CloseAll, checked(CUTCloseAllCheck));
    }
    data.insert(K::ViewType, qint64(CUTLastViewType));
    data.insert(K::WindowRect, stringFromRect(fieldsRect()));
    return data;
}

// --- Control handlers ------------------------------------------------------------------------------

QRect FinderWindowShortcut::fieldsRect() const
{
    if (!CUTXRectField)
        return CUTLastWindowRect;
    return QRect(CUTXRectField->text().toInt(), CUTYRectField->text().toInt(), CUTWRectField->text().toInt(),
                 CUTHRectField->text().toInt());
}

void FinderWindowShortcut::modifyFolder()
{
    const QString folder = QVEAction::getFolderFromPath(CUTLastPath);
    if (folder.isEmpty())
        return;
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, folder) : possibleNameValue();
    setFolder(folder, checked(CUTNewWindowCheck), checked(CUTCloseAllCheck), CUTLastViewType, CUTLastWindowRect, name,
              false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierDossier")), {displayNameAtPath(folder)}));
}

void FinderWindowShortcut::modifyNewWindow()
{
    const bool state = checked(CUTNewWindowCheck);
    CUTNewWindowCheck->setChecked(!state);
    setFolder(CUTLastPath, state, checked(CUTCloseAllCheck), CUTLastViewType, CUTLastWindowRect, possibleNameValue(),
              false, localizedStr(QStringLiteral("AnnulerNouvelleFenetre%1").arg(state ? 1 : 0)));
}

void FinderWindowShortcut::modifyCloseAll()
{
    const bool state = checked(CUTCloseAllCheck);
    CUTCloseAllCheck->setChecked(!state);
    setFolder(CUTLastPath, checked(CUTNewWindowCheck), state, CUTLastViewType, CUTLastWindowRect, possibleNameValue(),
              false, localizedStr(QStringLiteral("AnnulerFermerTout%1").arg(state ? 1 : 0)));
}

void FinderWindowShortcut::modifyViewType()
{
    if (!CUTIsEdited || !CUTViewTypeButton)
        return;
    const int viewType = tagOfItem(CUTViewTypeButton, CUTViewTypeButton->currentIndex());
    if (viewType == CUTLastViewType)
        return;
    CUTIsModifiedByUser = true;
    setFolder(CUTLastPath, checked(CUTNewWindowCheck), checked(CUTCloseAllCheck), viewType, CUTLastWindowRect,
              possibleNameValue(), false, localizedStr(QStringLiteral("AnnulerModifierType%1").arg(viewType)));
}

void FinderWindowShortcut::modifyCustomWindow()
{
    setWindowRect(checked(CUTCustomWindowCheck) ? frontFinderWindowRect() : QRect());
    modifyRect();
}

void FinderWindowShortcut::modifyRect()
{
    const QRect rect = fieldsRect();
    if (!CUTIsEdited || rect == CUTLastWindowRect)
        return;
    CUTIsModifiedByUser = true;
    const bool model1 = category() == 1;
    setFolder(CUTLastPath, model1 && checked(CUTNewWindowCheck), model1 && checked(CUTCloseAllCheck), CUTLastViewType,
              rect, possibleNameValue(), false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierRect")),
                         {rect.x(), rect.y(), rect.width(), rect.height()}));
}

void FinderWindowShortcut::setFolder(const QString& folder, bool newWindow, bool closeAll, int viewType,
                                     const QRect& windowRect, const QString& withCutName, bool isUndo,
                                     const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldFolder = CUTLastPath, oldNew = checked(CUTNewWindowCheck), oldClose = checked(CUTCloseAllCheck),
             oldView = CUTLastViewType, oldRect = CUTLastWindowRect, oldName = possibleNameValue()] {
                setFolder(oldFolder, oldNew, oldClose, oldView, oldRect, oldName, true, {});
            },
            [this, folder, newWindow, closeAll, viewType, windowRect, withCutName] {
                setFolder(folder, newWindow, closeAll, viewType, windowRect, withCutName, true, {});
            }))
        return;
    const bool model1 = category() == 1;
    if (model1) {
        if (folder != CUTLastPath) {
            CUTLastPath = folder;
            setFolderButtonWithPath(folder);
        }
        if (CUTNewWindowCheck && CUTCloseAllCheck) {
            CUTNewWindowCheck->setChecked(newWindow);
            CUTCloseAllCheck->setChecked(newWindow && closeAll);
            CUTCloseAllCheck->setEnabled(newWindow);
        }
    }
    if (viewType != CUTLastViewType) {
        CUTLastViewType = viewType;
        if (CUTViewTypeButton)
            selectItemWithTag(CUTViewTypeButton, viewType);
    }
    if (windowRect != CUTLastWindowRect) {
        CUTLastWindowRect = windowRect;
        setWindowRect(windowRect);
        if (!CUTIsModifiedByUser && CUTXRectField)
            CUTXRectField->selectAll();
    }
    CUTIsModifiedByUser = false;
    setPossibleNameValue(withCutName);
    if (model1) {
        const QImage image = QVEAction::iconImageForPath(CUTLastPath, 32);
        if (!image.isNull())
            setPossibleImageValue(image);
    }
}

void FinderWindowShortcut::setFolderButtonWithPath(const QString& path)
{
    if (!CUTPathButton)
        return;
    setFolderPopUp(CUTPathButton, path);
}

void FinderWindowShortcut::setWindowRect(const QRect& rect)
{
    if (!CUTCustomWindowCheck)
        return;
    const bool custom = !(rect.x() == 0 && rect.y() == 0 && rect.width() == 0 && rect.height() == 0);
    CUTCustomWindowCheck->setChecked(custom);
    const QList<QLineEdit*> fields{CUTXRectField, CUTYRectField, CUTWRectField, CUTHRectField};
    const QList<int> values{rect.x(), rect.y(), rect.width(), rect.height()};
    for (int i = 0; i < 4; ++i) {
        fields[i]->setEnabled(custom);
        fields[i]->setText(custom ? QString::number(values[i]) : QString());
    }
    for (QLabel* label : {CUTXRectLabel.data(), CUTYRectLabel.data(), CUTWRectLabel.data(), CUTHRectLabel.data()})
        label->setEnabled(custom);
}

QWidget* FinderWindowShortcut::makeView(int category)
{
    auto* view = new QWidget;
    view->setObjectName(category == 1 ? QStringLiteral("ShowView") : QStringLiteral("ShowSelectionView"));
    auto* form = new QFormLayout(view);
    if (category == 1) {
        CUTPathButton = addFolderRow(cls(), form, view, [this] { modifyFolder(); });
        CUTNewWindowCheck = new QCheckBox(localizedStr(QStringLiteral("NewWindowCheck")), view);
        CUTNewWindowCheck->setObjectName(QStringLiteral("CUTNewWindowCheck"));
        QObject::connect(CUTNewWindowCheck, &QCheckBox::clicked, view, [this] { modifyNewWindow(); });
        form->addRow(CUTNewWindowCheck);
        CUTCloseAllCheck = new QCheckBox(localizedStr(QStringLiteral("CloseAllCheck")), view);
        CUTCloseAllCheck->setObjectName(QStringLiteral("CUTCloseAllCheck"));
        QObject::connect(CUTCloseAllCheck, &QCheckBox::clicked, view, [this] { modifyCloseAll(); });
        form->addRow(CUTCloseAllCheck);
    }
    CUTViewTypeButton = new QComboBox(view);
    CUTViewTypeButton->setObjectName(QStringLiteral("CUTViewTypeButton"));
    CUTViewTypeButton->setAccessibleName(localizedStr(QStringLiteral("ViewTypeLabel")));
    for (int tag : {3, 1, 2, 4})
        addTaggedItem(CUTViewTypeButton, localizedStr(QStringLiteral("ViewTypeItem%1").arg(tag)), tag);
    QObject::connect(CUTViewTypeButton, &QComboBox::activated, view, [this](int) { modifyViewType(); });
    form->addRow(localizedStr(QStringLiteral("ViewTypeLabel")), CUTViewTypeButton);
    CUTCustomWindowCheck = new QCheckBox(localizedStr(QStringLiteral("CustomWindowCheck")), view);
    CUTCustomWindowCheck->setObjectName(QStringLiteral("CUTCustomWindowCheck"));
    QObject::connect(CUTCustomWindowCheck, &QCheckBox::clicked, view, [this] { modifyCustomWindow(); });
    form->addRow(CUTCustomWindowCheck);
    auto* grid = new QGridLayout;
    const char* names[] = {"X", "Y", "W", "H"};
    QPointer<QLineEdit>* fields[] = {&CUTXRectField, &CUTYRectField, &CUTWRectField, &CUTHRectField};
    QPointer<QLabel>* labels[] = {&CUTXRectLabel, &CUTYRectLabel, &CUTWRectLabel, &CUTHRectLabel};
    for (int i = 0; i < 4; ++i) {
        const QString label = localizedStr(QStringLiteral("%1RectLabel").arg(QLatin1String(names[i])));
        *labels[i] = new QLabel(label, view);
        *fields[i] = new QLineEdit(view);
        (*fields[i])->setObjectName(QStringLiteral("CUT%1RectField").arg(QLatin1String(names[i])));
        (*fields[i])->setAccessibleName(label);
        (*fields[i])->setValidator(new QIntValidator(-100000, 100000, *fields[i]));
        QObject::connect(fields[i]->data(), &QLineEdit::editingFinished, view, [this] { modifyRect(); });
        grid->addWidget(*labels[i], 0, i);
        grid->addWidget(*fields[i], 1, i);
    }
    form->addRow(grid);
    return view;
}

ZELK_REGISTER_ACTION_PANE(FinderWindowShortcutClass)

} // namespace zelk::editor
