#include "ActionPane.h"

#include "ActionPaths.h"
#include "PluginClasses.h"
#include "Log.h"
#include "QVUtilityClass.h"

#include <QDir>
#include <algorithm>
#include <QGuiApplication>
#include <QMimeData>
#include <QUndoCommand>
#include <QUndoStack>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

namespace zelk::editor {

namespace {

const int g_bundleAnchor = 0;

PluginClasses<QVEActionClass>& paneClassList()
{
    static PluginClasses<QVEActionClass> list("ActionPanes", &pluginBundle);
    return list;
}

// One edit: redo and undo call the type's setter with isUndo true.
class SetterCommand : public QUndoCommand {
public:
    SetterCommand(const QString& text, std::function<void()> undo, std::function<void()> redo)
        : QUndoCommand(text), m_undo(std::move(undo)), m_redo(std::move(redo))
    {
    }
    void undo() override { m_undo(); }
    void redo() override { m_redo(); }

private:
    std::function<void()> m_undo;
    std::function<void()> m_redo;
};

} // namespace

const Bundle& pluginBundle()
{
    static const Bundle bundle = Bundle::forAddress(&g_bundleAnchor);
    return bundle;
}

// --- ActionPane -------------------------------------------------------------------

ActionPane::ActionPane() = default;

ActionPane::~ActionPane()
{
    // The views' controls call back into this action: they go with it, also
    // from a window that still hosts them.
    for (auto& [category, view] : m_views)
        delete view.data();
}

bool ActionPane::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!QVEAction::initWithDictionaryInEditor(record))
        return false;
    CUTPersoDict = record.value(QStringLiteral("actiondata")).toMap();
    CUTAction = CUTPersoDict.value(QStringLiteral("Action")).toInt();
    return true;
}

bool ActionPane::optionKeyDown()
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier);
}

bool ActionPane::registerUndo(bool isUndo, const QString& undoString, std::function<void()> undo,
                              std::function<void()> redo)
{
    QUndoStack* stack = undoManager();
    if (isUndo || !stack)
        return true;
    stack->push(new SetterCommand(undoString, std::move(undo), std::move(redo)));
    return false;
}

QWidget* ActionPane::paneView(int category, const std::function<QWidget*()>& build)
{
    QPointer<QWidget>& slot = m_views[category];
    if (!slot)
        slot = build();
    return slot;
}

void ActionPane::showPaneView(QWidget* accessoryView, QWidget* view)
{
    if (!accessoryView || !view)
        return;
    QLayout* layout = accessoryView->layout();
    if (!layout) {
        layout = new QVBoxLayout(accessoryView);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    layout->addWidget(view);
    view->show();
}

// --- Class side ---------------------------------------------------------------------

QVariantMap newActionRecord(const QVEActionClass& cls, const QVariantMap& parameters, const QString& suggestedName)
{
    QVariantMap record = QVEActionClass::newDataForClass(cls);
    record.insert(QStringLiteral("actiondata"), parameters);
    if (!suggestedName.isEmpty())
        record.insert(QStringLiteral("actionname"), suggestedName);
    return record;
}

QStringList filePathsOfPasteboard(const QMimeData* pasteboard)
{
    QStringList paths;
    if (!pasteboard || !pasteboard->hasUrls())
        return paths;
    for (const QUrl& url : pasteboard->urls()) {
        if (!url.isLocalFile())
            continue;
        QString path = QDir::cleanPath(url.toLocalFile());
        if (!path.isEmpty())
            paths.append(path);
    }
    return paths;
}

QStringList pathsOfKind(const QMimeData* pasteboard, int kind)
{
    QStringList paths = filePathsOfPasteboard(pasteboard);
    paths.removeIf([kind](const QString& path) { return QVEAction::typeForTargetPath(path) != kind; });
    return paths;
}

bool allPathsOfKind(const QMimeData* pasteboard, int kind)
{
    const QStringList paths = filePathsOfPasteboard(pasteboard);
    return std::all_of(paths.cbegin(), paths.cend(),
                       [kind](const QString& path) { return QVEAction::typeForTargetPath(path) == kind; });
}

void notifyNotAvailable(const QVEActionClass& cls)
{
    QVUtilityClass* host = QVUtilityClass::host();
    if (!host) {
        zlog(qPrintable(cls.className()), "notifyNotAvailable") << "no QVUtility to show the alert";
        return;
    }
    host->runAlertPanelWithTitle(cls.localizedStr(QStringLiteral("FonctionInactive1")),
                                 cls.localizedStr(QStringLiteral("FonctionNonValide")),
                                 cls.localizedStr(QStringLiteral("OuvrirPanneau")), {}, {});
    QVEAction::openPreferencePanel(QStringLiteral("UniversalAccessPref"));
}

void addPaneClass(QVEActionClass* cls) { paneClassList().add(cls, "addPaneClass"); }

QList<QVEActionClass*> paneClasses() { return paneClassList().classes(); }

// --- Pop-ups ---------------------------------------------------------------------------

void addTaggedItem(QComboBox* popUp, const QString& title, int tag, const QImage& image)
{
    popUp->addItem(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)), title, tag);
}

void addMarkerItem(QComboBox* popUp, const QString& title, const QString& marker)
{
    popUp->addItem(title);
    popUp->setItemData(popUp->count() - 1, marker, MarkerRole);
}

int indexOfTag(const QComboBox* popUp, int tag)
{
    for (int i = 0; i < popUp->count(); ++i) {
        const QVariant value = popUp->itemData(i, TagRole);
        if (value.isValid() && value.toInt() == tag)
            return i;
    }
    return -1;
}

int indexOfMarker(const QComboBox* popUp, const QString& marker)
{
    for (int i = 0; i < popUp->count(); ++i)
        if (popUp->itemData(i, MarkerRole).toString() == marker)
            return i;
    return -1;
}

bool selectItemWithTag(QComboBox* popUp, int tag)
{
    const int index = indexOfTag(popUp, tag);
    if (index < 0)
        return false;
    popUp->setCurrentIndex(index);
    return true;
}

int tagOfItem(const QComboBox* popUp, int index)
{
    return popUp->itemData(index, TagRole).toInt();
}

bool popUpHasTitle(const QComboBox* popUp, const QString& title)
{
    for (int i = 0; i < popUp->count(); ++i)
        if (popUp->itemText(i) == title)
            return true;
    return false;
}

void fillModelPopUp(QComboBox* popUp, const QVEActionClass& cls, const QList<int>& models)
{
    for (int model : models)
        addTaggedItem(popUp, cls.titleOfModelID(model), model, cls.imageForModelID(model, 16));
}

int setPathPopUp(QComboBox* popUp, const QString& path, int firstFixedIndex)
{
    if (popUp->count() == 0)
        popUp->addItem(QString());
    for (int i = firstFixedIndex - 1; i >= 1 && popUp->count() > 1; --i)
        popUp->removeItem(i);
    popUp->setItemText(0, displayNameAtPath(path));
    if (!fileExistsAtPath(path)) {
        popUp->setItemIcon(0, QIcon(QPixmap::fromImage(QVEAction::unknownIconWithSize(16))));
        return 1;
    }
    const QImage icon = QVEAction::iconImageForPath(path, 16);
    popUp->setItemIcon(0, icon.isNull() ? QIcon() : QIcon(QPixmap::fromImage(icon)));
    int index = 1;
    QString folder = QFileInfo(path).absolutePath();
    while (folder.length() > 1) {
        QString title = displayNameAtPath(folder);
        while (popUpHasTitle(popUp, title))
            title += QLatin1Char(' ');
        const QImage folderIcon = QVEAction::iconImageForPath(folder, 16);
        popUp->insertItem(index++, folderIcon.isNull() ? QIcon() : QIcon(QPixmap::fromImage(folderIcon)), title);
        popUp->setItemData(index - 1, folder, PathRole);
        folder = QFileInfo(folder).absolutePath();
    }
    return index;
}

namespace {
const QString kChooseFolderMarker = QStringLiteral("CUTChooseFolderItem");
}

QComboBox* makeFolderPopUp(QWidget* parent, const QString& chooseTitle, std::function<void()> choose)
{
    auto* popUp = new QComboBox(parent);
    popUp->addItem(QString());
    popUp->insertSeparator(1);
    addMarkerItem(popUp, chooseTitle, kChooseFolderMarker);
    QObject::connect(popUp, &QComboBox::activated, popUp, [popUp, choose = std::move(choose)](int index) {
        const bool chosen = popUp->itemData(index, MarkerRole).toString() == kChooseFolderMarker;
        popUp->setCurrentIndex(0);
        if (chosen)
            choose();
    });
    return popUp;
}

void setFolderPopUp(QComboBox* popUp, const QString& path)
{
    setPathPopUp(popUp, path, indexOfMarker(popUp, kChooseFolderMarker));
    popUp->setItemText(0, withoutAppExtension(popUp->itemText(0)));
    popUp->setCurrentIndex(0);
}

void showApplicationName(QComboBox* popUp, const QString& name)
{
    const QString found = fullPathForApplication(name);
    if (!found.isEmpty()) {
        const QImage icon = QVEAction::iconImageForPath(found, 16);
        popUp->setItemText(0, withoutAppExtension(displayNameAtPath(found)));
        popUp->setItemIcon(0, icon.isNull() ? QIcon() : QIcon(QPixmap::fromImage(icon)));
    } else {
        popUp->setItemText(0, name);
        popUp->setItemIcon(0, QIcon(QPixmap::fromImage(QVEAction::unknownIconWithSize(16))));
    }
    popUp->setCurrentIndex(0);
}

void fillLaunchedRecentApplications(QComboBox* popUp, const QString& launched, const QString& recent,
                                    const QString& other)
{
    auto clearBetween = [popUp](const QString& from, const QString& to) {
        const int first = indexOfMarker(popUp, from) + 1;
        for (int i = indexOfMarker(popUp, to) - 1; i >= first && first > 0; --i)
            popUp->removeItem(i);
    };
    clearBetween(launched, recent);
    clearBetween(recent, other);
    auto insertAfter = [popUp](const QString& marker, const QStringList& paths) {
        int index = indexOfMarker(popUp, marker) + 1;
        if (index <= 0)
            return;
        for (const QString& path : paths) {
            const QString title = withoutAppExtension(displayNameAtPath(path));
            if (title.isEmpty() || popUpHasTitle(popUp, title))
                continue;
            const QImage icon = QVEAction::iconImageForPath(path, 16);
            popUp->insertItem(index, icon.isNull() ? QIcon() : QIcon(QPixmap::fromImage(icon)), title);
            popUp->setItemData(index, path, PathRole);
            ++index;
        }
    };
    insertAfter(launched, QVEAction::launchedAppPathArray());
    insertAfter(recent, QVEAction::recentAppPathArray());
}

} // namespace zelk::editor

// The editor loads the plug-in through this entry point: every class
// object the plug-in's types registered, with the plug-in's bundle.
extern "C" ZELK_PLUGIN_EXPORT void zelkRegisterClasses(zelk::ClassRegistry& registry)
{
    zelk::editor::paneClassList().registerAll(registry);
}
