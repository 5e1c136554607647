#include "ActionPane.h"

#include "ActionPaths.h"
#include "PluginClasses.h"
#include "PluginImages.h"
#include "Log.h"
#include "Platform.h"
#include "PropertyList.h"
#include "QVUtilityClass.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <algorithm>
#include <QGuiApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStandardItemModel>
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

void ActionPane::setPossibleImageOfFile(const QString& path)
{
    setPossibleImageValue(fileIconOrUnknown<QVEAction>(path, 32));
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

QString resolvedPath(const QString& path)
{
    const QString target = QVEAction::targetPath(path);
    return target.isEmpty() ? path : target;
}

QString fileBaseDisplayName(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(displayNameAtPath(path)).completeBaseName();
}

QVariantList newRecordsOfPaths(const QVEActionClass& cls, const QMimeData* pasteboard, int kind,
                               const std::function<QVariantMap(const QString&)>& dataOfPath,
                               const std::function<QString(const QString&)>& nameOfPath)
{
    const bool suggest = ActionPane::suggestsNameForNew();
    QVariantList records;
    for (const QString& path : pathsOfKind(pasteboard, kind))
        records.append(newActionRecord(cls, dataOfPath(path), suggest ? nameOfPath(path) : QString()));
    return records;
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

int alertPanel(const QVEActionClass& cls, const QString& title, const QString& message, const QString& button1,
               const QString& button2)
{
    QVUtilityClass* host = QVUtilityClass::host();
    if (!host) {
        zlog(qPrintable(cls.className()), "alertPanel") << "no QVUtility to show the alert" << title << message;
        return 0;
    }
    return host->runAlertPanelWithTitle(title, message, button1, button2, {});
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

QComboBox* makeFilePopUp(const QVEActionClass& cls, QWidget* parent)
{
    auto* popUp = new QComboBox(parent);
    popUp->addItem(QString());
    popUp->insertSeparator(1);
    addMarkerItem(popUp, cls.localizedStr(QStringLiteral("PathChooseItem")), QString::fromLatin1(PathChooseItem));
    return popUp;
}

void showFileInPopUp(QComboBox* popUp, const QString& path)
{
    // The first item and the last two (separator, "Choose…") stay.
    setPathPopUp(popUp, path, popUp->count() - 2);
    popUp->setCurrentIndex(0);
}

bool filePopUpAskedToChoose(QComboBox* popUp, int index)
{
    const bool choose = popUp->itemData(index, MarkerRole).toString() == QLatin1String(PathChooseItem);
    popUp->setCurrentIndex(0);
    return choose;
}

QComboBox* addScriptFileRows(const QVEActionClass& cls, QFormLayout* form, QWidget* view,
                             std::function<void()> choose, std::function<void()> edit)
{
    auto* popUp = makeFilePopUp(cls, view);
    popUp->setObjectName(QStringLiteral("CUTPathButton"));
    popUp->setAccessibleName(cls.localizedStr(QStringLiteral("FileLabel")));
    QObject::connect(popUp, &QComboBox::activated, view, [popUp, choose = std::move(choose)](int index) {
        if (filePopUpAskedToChoose(popUp, index))
            choose();
    });
    form->addRow(cls.localizedStr(QStringLiteral("FileLabel")), popUp);
    auto* editButton = new QPushButton(cls.localizedStr(QStringLiteral("EditButton")), view);
    editButton->setObjectName(QStringLiteral("CUTEditButton"));
    QObject::connect(editButton, &QPushButton::clicked, view, std::move(edit));
    form->addRow(QString(), editButton);
    return popUp;
}

std::pair<QDialog*, QListWidget*> makeAppPanel(const QVEActionClass& cls, QWidget* parent, Qt::WindowFlags flags,
                                               const QString& message, std::function<void()> choose,
                                               std::function<void()> cancel)
{
    auto* panel = new QDialog(parent, flags);
    panel->setObjectName(QStringLiteral("CUTAppPanel"));
    panel->setWindowTitle(cls.localizedStr(QStringLiteral("AppPanelTitle")));
    auto* layout = new QVBoxLayout(panel);
    if (!message.isEmpty())
        layout->addWidget(new QLabel(message, panel));
    auto* table = new QListWidget(panel);
    table->setObjectName(QStringLiteral("CUTAppTable"));
    table->setAccessibleName(panel->windowTitle());
    QObject::connect(table, &QListWidget::itemActivated, panel, [choose] { choose(); });
    layout->addWidget(table);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, panel);
    QObject::connect(box, &QDialogButtonBox::accepted, panel, [choose] { choose(); });
    QObject::connect(box, &QDialogButtonBox::rejected, panel, [cancel = std::move(cancel)] { cancel(); });
    layout->addWidget(box);
    return {panel, table};
}

QList<int> modelsOfCategory(const QVEActionClass& cls, int category)
{
    QList<int> models;
    for (int model : cls.modelsID())
        if (cls.categoryOfAction(model) == category)
            models.append(model);
    return models;
}

namespace {

class EventHook : public QObject {
public:
    EventHook(QEvent::Type type, std::function<void()> fn, QObject* parent) : QObject(parent), m_type(type), m_fn(std::move(fn)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == m_type)
            m_fn();
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_fn;
};

} // namespace

QVariantList listWithInsertedItems(const QVariantList& list, const QVariantList& items, const QList<int>& atIndexes,
                                   int selectAfterIndex, QList<int>* select)
{
    QVariantList result = list;
    QList<int> inserted;
    for (int k = 0; k < items.size() && k < atIndexes.size(); ++k) {
        const int at = std::clamp(atIndexes.at(k), 0, int(result.size()));
        result.insert(at, items.at(k));
        inserted.append(at);
    }
    select->clear();
    if (inserted.isEmpty())
        return result;
    select->append(std::clamp(selectAfterIndex, 0, int(result.size()) - 1));
    for (int row : std::as_const(inserted))
        if (!select->contains(row))
            select->append(row);
    return result;
}

QVariantList listWithoutRows(const QVariantList& list, const QList<int>& rows, int selectAfterIndex, QList<int>* select,
                             int* removed)
{
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    sorted.removeIf([&list](int row) { return row < 0 || row >= list.size(); });
    QVariantList result = list;
    for (auto it = sorted.crbegin(); it != sorted.crend(); ++it)
        result.removeAt(*it);
    *removed = int(sorted.size());
    select->clear();
    if (!result.isEmpty())
        select->append(std::clamp(selectAfterIndex, 0, int(result.size()) - 1));
    return result;
}

void putListItemsOnClipboard(const QString& mimeType, const QString& key, const QVariantList& items)
{
    if (items.isEmpty())
        return;
    Platform::instance().clipboard().setItems({{mimeType, plist::writeXml(QVariantMap{{key, items}})}});
}

QVariantList listItemsOnClipboard(const QString& mimeType, const QString& key)
{
    QVariantList items;
    for (const ClipboardItem& item : Platform::instance().clipboard().items()) {
        if (item.type != mimeType)
            continue;
        if (const std::optional<QVariant> value = plist::read(item.data))
            for (const QVariant& entry : value->toMap().value(key).toList())
                if (entry.canConvert<QVariantMap>())
                    items.append(entry.toMap());
    }
    return items;
}

bool clipboardHasListItems(const QString& mimeType)
{
    const QList<ClipboardItem> items = Platform::instance().clipboard().items();
    return std::any_of(items.cbegin(), items.cend(), [&mimeType](const ClipboardItem& item) { return item.type == mimeType; });
}

void onFocusOut(QWidget* widget, std::function<void()> fn)
{
    widget->installEventFilter(new EventHook(QEvent::FocusOut, std::move(fn), widget));
}

void onHide(QWidget* widget, std::function<void()> fn)
{
    widget->installEventFilter(new EventHook(QEvent::Hide, std::move(fn), widget));
}

// --- The recording blink ------------------------------------------------------------------------

RecordingBlink::RecordingBlink()
{
    m_timer.setInterval(1000);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        m_showingImage = !m_showingImage;
        QGuiApplication::setWindowIcon(m_showingImage ? m_image : m_savedIcon);
    });
}

RecordingBlink::~RecordingBlink() { stop(); }

void RecordingBlink::start(const QImage& image)
{
    if (m_timer.isActive())
        return;
    m_savedIcon = QGuiApplication::windowIcon();
    m_image = QIcon(QPixmap::fromImage(image));
    m_showingImage = true;
    QGuiApplication::setWindowIcon(m_image);
    m_timer.start();
}

void RecordingBlink::stop()
{
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    QGuiApplication::setWindowIcon(m_savedIcon);
}

// --- Calendar formats ---------------------------------------------------------------------

namespace {

constexpr int kDateElementCount = 23;

} // namespace

QWidget* makeDateHelpPanel(const QVEActionClass& cls, QWidget* view, const std::function<void(int tag)>& insert)
{
    // A window of its own, going with the view.
    auto* panel = new QWidget(view, Qt::Tool);
    panel->setObjectName(QStringLiteral("CUTDateHelpPanel"));
    panel->setWindowTitle(cls.localizedStr(QStringLiteral("DateHelpTitle")));
    auto* grid = new QGridLayout(panel);
    for (int tag = 1; tag <= kDateElementCount; ++tag) {
        auto* button = new QPushButton(cls.localizedStr(QStringLiteral("DateElementLabel%1").arg(tag)), panel);
        button->setObjectName(QStringLiteral("DateElement%1").arg(tag));
        button->setFocusPolicy(Qt::NoFocus);
        QObject::connect(button, &QPushButton::clicked, view, [insert, tag] { insert(tag); });
        grid->addWidget(button, (tag - 1) / 3, (tag - 1) % 3);
    }
    return panel;
}

void insertDateElement(const QVEActionClass& cls, QLineEdit* field, int tag)
{
    const QString element = cls.localizedStr(QStringLiteral("DateElement%1").arg(tag));
    // The panel's buttons take no focus: the field keeps its place in its
    // window while the user types in it.
    QWidget* window = field->window();
    if (field->hasFocus() || (window && window->focusWidget() == field))
        field->insert(element);
    else
        field->setText(field->text() + element);
}

// --- The application pop-up -------------------------------------------------------------

namespace {

QIcon iconOf(const QImage& image)
{
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

void disableItem(QComboBox* popUp, int index)
{
    if (auto* model = qobject_cast<QStandardItemModel*>(popUp->model()))
        if (QStandardItem* item = model->item(index))
            item->setEnabled(false);
}

} // namespace

QString applicationDisplayName(const QString& path)
{
    return withoutAppExtension(displayNameAtPath(path));
}

QComboBox* makeApplicationPopUp(const QVEActionClass& cls, QWidget* parent)
{
    auto* popUp = new QComboBox(parent);
    popUp->addItem(QString());
    popUp->insertSeparator(1);
    popUp->setItemData(1, QString::fromLatin1(AppFirstItem), MarkerRole);
    addMarkerItem(popUp, cls.localizedStr(QStringLiteral("AppLaunchedItem")), QString::fromLatin1(AppLaunchedItem));
    disableItem(popUp, popUp->count() - 1);
    addMarkerItem(popUp, cls.localizedStr(QStringLiteral("AppRecentItem")), QString::fromLatin1(AppRecentItem));
    disableItem(popUp, popUp->count() - 1);
    addMarkerItem(popUp, cls.localizedStr(QStringLiteral("AppOtherItem")), QString::fromLatin1(AppOtherItem));
    return popUp;
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

QComboBox* addFolderRow(const QVEActionClass& cls, QFormLayout* form, QWidget* view, std::function<void()> choose)
{
    auto* popUp = makeFolderPopUp(view, cls.localizedStr(QStringLiteral("ChooseFolderItem")), std::move(choose));
    popUp->setObjectName(QStringLiteral("CUTPathButton"));
    popUp->setAccessibleName(cls.localizedStr(QStringLiteral("FolderLabel")));
    form->addRow(cls.localizedStr(QStringLiteral("FolderLabel")), popUp);
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
        popUp->setItemText(0, applicationDisplayName(found));
        popUp->setItemIcon(0, iconOf(QVEAction::iconImageForPath(found, 16)));
    } else {
        popUp->setItemText(0, name);
        popUp->setItemIcon(0, iconOf(QVEAction::unknownIconWithSize(16)));
    }
    popUp->setCurrentIndex(0);
}

void fillLaunchedRecentApp(QComboBox* popUp)
{
    const QString launched = QString::fromLatin1(AppLaunchedItem);
    const QString recent = QString::fromLatin1(AppRecentItem);
    const QString other = QString::fromLatin1(AppOtherItem);
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
            const QString title = applicationDisplayName(path);
            if (title.isEmpty() || popUpHasTitle(popUp, title))
                continue;
            popUp->insertItem(index, iconOf(QVEAction::iconImageForPath(path, 16)), title);
            popUp->setItemData(index, path, PathRole);
            ++index;
        }
    };
    insertAfter(launched, QVEAction::launchedAppPathArray());
    insertAfter(recent, QVEAction::recentAppPathArray());
}

ApplicationChoice applicationPopUpActivated(QComboBox* popUp, int index)
{
    const QString marker = popUp->itemData(index, MarkerRole).toString();
    const QString path = popUp->itemData(index, PathRole).toString();
    const bool inAppSections = index > indexOfMarker(popUp, QString::fromLatin1(AppLaunchedItem));
    // The pop-up always shows the chosen application.
    popUp->setCurrentIndex(0);
    if (marker == QLatin1String(AppOtherItem))
        return {true, {}};
    if (inAppSections && !path.isEmpty())
        return {false, path};
    return {};
}

} // namespace zelk::editor

// The editor loads the plug-in through this entry point: every class
// object the plug-in's types registered, with the plug-in's bundle.
extern "C" ZELK_PLUGIN_EXPORT void zelkRegisterClasses(zelk::ClassRegistry& registry)
{
    zelk::editor::paneClassList().registerAll(registry);
}
