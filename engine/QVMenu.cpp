#include "QVMenu.h"

#include "Log.h"
#include "MainThread.h"
#include "QVAction.h"
#include "QVActionsManager.h"
#include "QVLauncher.h"
#include "QVMenusManager.h"
#include "QVShortcut.h"
#include "QVShortcutsManager.h"
#include "QVStatusItemManager.h"
#include "QVUtility.h"
#include "WorkerPool.h"

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <mutex>

namespace engine {

namespace {

bool hasWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

QImage emptyImage() { return QVUtility::sharedUtility().imageWithName(QStringLiteral("empty")); }

QIcon iconOf(const QImage& image) { return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)); }

} // namespace

QVMenu::QVMenu() = default;

QVMenu::~QVMenu()
{
    // The menu may go on another thread than the one its widgets belong to.
    if (m_menu)
        m_menu->deleteLater();
}

// --- Building ----------------------------------------------------------------------------

bool QVMenu::initWithDictionaryInLauncher(const QVariantMap& record)
{
    m_name = record.value(QStringLiteral("menuname")).toString();
    m_id = quint32(record.value(QStringLiteral("menuID")).toLongLong());
    m_inBar = record.value(QStringLiteral("menuinbar")).toBool();
    m_imageInBar = record.value(QStringLiteral("menuimageinbar")).toBool();
    setImageIsTemplate(record.value(QStringLiteral("menuimageistemplate")).toBool());
    m_nameInBar = record.value(QStringLiteral("menunameinbar")).toBool();
    const bool showImage = record.value(QStringLiteral("menushowimage")).toBool();
    const bool showCombo = record.value(QStringLiteral("menushowcombo")).toBool();

    const QByteArray data = record.value(QStringLiteral("menuimage")).toByteArray();
    m_image = data.isEmpty() ? QImage() : QImage::fromData(data);
    if (m_image.isNull())
        m_image = defaultIcon();
    if (!m_image.isNull() && m_image.width() != 32)
        m_image = m_image.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    readItems(record.value(QStringLiteral("menuitems")).toList(), showImage, showCombo);

    std::shared_ptr<QVLinkedObject> self = weak_from_this().lock();
    if (!self)
        zelk::zlog("QVMenu", "initWithDictionaryInLauncher") << "not held by a shared pointer: no links for" << m_name;
    m_links.link(record, QStringLiteral("menulaunchers"), QStringLiteral("menucontexts"), self);
    return true;
}

void QVMenu::readItems(const QVariantList& items, bool showImage, bool showCombo)
{
    m_items.clear();
    for (const QVariant& value : items) {
        const QVariantMap record = value.toMap();
        if (!record.value(QStringLiteral("menuitemactive")).toBool())
            continue;
        const QVariantMap params = record.value(QStringLiteral("menuitemparams")).toMap();
        Item item;
        item.type = record.value(QStringLiteral("menuitemtype")).toInt();
        switch (item.type) {
        case SeparatorItem:
            item.title = params.value(QStringLiteral("menuitemseparatorlabel")).toString();
            if (showImage && !item.title.isEmpty())
                item.image = emptyImage();
            break;
        case ShortcutItem: {
            const quint32 id = quint32(params.value(QStringLiteral("menuitemshortcutID")).toLongLong());
            const std::shared_ptr<QVShortcut> shortcut = QVShortcutsManager::sharedManager().shortcutWithID(id);
            if (!shortcut) {
                zelk::zlog("QVMenu", "initWithDictionaryInLauncher")
                    << QStringLiteral("QVMenu '%1': no shortcut %2, item left out").arg(m_name).arg(id);
                continue;
            }
            item.title = shortcut->nameValue();
            if (item.title.isEmpty()) {
                zelk::zlog("QVMenu", "initWithDictionaryInLauncher") << "menuTitleString = nil, kQVMenuItemTypeShortcut" << params;
                QApplication::beep();
                item.title = QStringLiteral("bad shortcut name");
            }
            if (showImage)
                item.image = shortcut->imageValueWithSize(16);
            if (showCombo) {
                if (const std::optional<quint32> word = shortcut->keycodeNumOfLauncher())
                    item.keyText = QVUtility::sharedUtility().keystrokeStringWithKeycode(*word);
            }
            item.run = [weak = std::weak_ptr<QVShortcut>(shortcut)] {
                if (const std::shared_ptr<QVShortcut> s = weak.lock())
                    s->runObject();
            };
            break;
        }
        case ActionItem: {
            const quint32 id = quint32(params.value(QStringLiteral("menuitemactionID")).toLongLong());
            const std::shared_ptr<zelk::QVAction> action = QVActionsManager::sharedManager().actionWithID(id);
            if (!action) {
                zelk::zlog("QVMenu", "initWithDictionaryInLauncher")
                    << QStringLiteral("QVMenu '%1': no action %2, item left out").arg(m_name).arg(id);
                continue;
            }
            item.title = action->nameValue();
            if (item.title.isEmpty()) {
                zelk::zlog("QVMenu", "initWithDictionaryInLauncher") << "menuTitleString = nil, kQVMenuItemTypeAction" << params;
                QApplication::beep();
                item.title = QStringLiteral("bad name");
            }
            if (showImage)
                item.image = action->imageValueWithSize(16);
            item.run = [weak = std::weak_ptr<zelk::QVAction>(action)] {
                if (const std::shared_ptr<zelk::QVAction> a = weak.lock())
                    a->runObject();
            };
            break;
        }
        case SubmenuItem:
            item.submenuID = quint32(params.value(QStringLiteral("menuitemmenuID")).toLongLong());
            item.title = QStringLiteral("menu");
            if (showImage)
                item.image = emptyImage();
            break;
        default:
            zelk::zlog("QVMenu", "initWithDictionaryInLauncher")
                << QStringLiteral("QVMenu '%1': unknown item type %2, item left out").arg(m_name).arg(item.type);
            continue;
        }
        m_items.append(item);
    }
}

void QVMenu::linkToItemObjects()
{
    if (!hasWidgets()) {
        zelk::zlog("QVMenu", "linkToItemObjects") << "no window system: menu" << m_name << "is not built";
        return;
    }
    if (!checkMainThread("QVMenu", "linkToItemObjects"))
        return;
    if (m_menu)
        m_menu->deleteLater();
    m_menu = new QMenu(m_name);
    QSet<quint32> path;
    buildItems(m_menu, path);

    QVStatusItemManager& items = QVStatusItemManager::sharedManager();
    if (items.isStatusItemForID(m_id))
        applyToStatusItem(items.statusItemForID(m_id));
}

void QVMenu::buildItems(QMenu* into, QSet<quint32>& path) const
{
    path.insert(m_id);
    for (const Item& item : m_items) {
        switch (item.type) {
        case SeparatorItem:
            if (item.title.isEmpty()) {
                into->addSeparator();
            } else {
                // A label: shown, never chosen.
                QAction* label = into->addAction(iconOf(item.image), item.title);
                label->setEnabled(false);
            }
            break;
        case ShortcutItem:
        case ActionItem: {
            // Text after a tab is shown in the key column, and binds no key.
            const QString text = item.keyText.isEmpty() ? item.title : item.title + u'\t' + item.keyText;
            QAction* entry = into->addAction(iconOf(item.image), text);
            QObject::connect(entry, &QAction::triggered, entry, [run = item.run] { run(); });
            break;
        }
        case SubmenuItem: {
            const std::shared_ptr<QVMenu> submenu = QVMenusManager::sharedManager().menuWithID(item.submenuID);
            if (!submenu) {
                zelk::zlog("QVMenu", "linkToItemObjects")
                    << QStringLiteral("QVMenu '%1': no submenu %2, item left out").arg(m_name).arg(item.submenuID);
                break;
            }
            if (path.contains(item.submenuID)) {
                zelk::zlog("QVMenu", "linkToItemObjects")
                    << QStringLiteral("QVMenu '%1': submenu '%2' holds this menu, item left out").arg(m_name, submenu->name());
                break;
            }
            auto* built = new QMenu(submenu->name(), into);
            if (!item.image.isNull())
                built->setIcon(iconOf(submenu->imageValueWithSize(16)));
            submenu->buildItems(built, path);
            into->addMenu(built);
            break;
        }
        default: break;
        }
    }
    path.remove(m_id);
}

void QVMenu::beforeDealloc() { m_links.unlink(this); }

// --- Activation and showing ----------------------------------------------------------------

void QVMenu::setObjectActivated(bool activated)
{
    if (!m_activation.push(activated))
        return;
    // Contexts may switch from the front-application thread; the tray is the
    // main thread's.
    std::shared_ptr<QVMenu> self = std::static_pointer_cast<QVMenu>(weak_from_this().lock());
    if (self) {
        zelk::MainThread::run([self, activated] {
            if (activated)
                self->showStatusItem();
            else
                self->hideStatusItem();
        }, false);
    }
    m_links.switchLaunchers(this, activated);
}

void QVMenu::runObject()
{
    if (!isActive())
        return;
    std::shared_ptr<QVMenu> self = std::static_pointer_cast<QVMenu>(weak_from_this().lock());
    if (!self || !m_menu) {
        zelk::zlog("QVMenu", "runObject") << "no menu to show for" << m_name;
        return;
    }
    // The floating menu keeps its caller until it closes: a worker waits
    // for it, not the launcher that ran it.
    QMenu* menu = m_menu;
    if (!zelk::runInBackground([self, menu] { QVUtility::sharedUtility().displayFloatingMenu(menu); }))
        zelk::zlog("QVMenu", "runObject") << "the engine is quitting: no menu for" << m_name;
}

void QVMenu::displayCommand(const QString& command, const QString& event)
{
    if (traceAppEng()) {
        qInfo().noquote() << "AppleScript command:" << command;
        qInfo().noquote() << "AppleEvent:" << event;
    }
    runObject();
}

void QVMenu::showStatusItem()
{
    if (!m_inBar)
        return;
    QVStatusItemManager& items = QVStatusItemManager::sharedManager();
    if (items.isStatusItemForID(m_id))
        return;
    if (QVStatusItem* item = items.statusItemForID(m_id))
        applyToStatusItem(item);
}

void QVMenu::hideStatusItem()
{
    QVStatusItemManager& items = QVStatusItemManager::sharedManager();
    if (items.isStatusItemForID(m_id))
        items.removeStatusItemForID(m_id);
}

void QVMenu::applyToStatusItem(QVStatusItem* item) const
{
    if (!item)
        return;
    item->setLength(m_nameInBar ? QVStatusItem::VariableLength : QVStatusItem::SquareLength);
    item->setFallbackImage(imageValueWithSize(16));
    if (m_items.size() == 1 && m_items.first().run) {
        // The item acts as a button for the menu's only entry.
        const Item& only = m_items.first();
        item->setImage(m_imageInBar ? only.image : QImage());
        item->setTitle(m_nameInBar ? only.title : QString());
        item->setToolTip(only.title);
        item->setMenu(nullptr);
        item->setAction(only.run);
        item->setHighlightMode(false);
    } else {
        item->setImage(m_imageInBar ? imageValueWithSize(16) : QImage());
        item->setTitle(m_nameInBar ? m_name : QString());
        item->setToolTip(m_name);
        item->setMenu(m_menu);
        item->setAction(nullptr);
        item->setHighlightMode(true);
    }
}

// --- Values ----------------------------------------------------------------------------------

QImage QVMenu::imageValueWithSize(int size) const
{
    if (m_image.isNull())
        return {};
    return m_image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QString QVMenu::description() const
{
    return QStringLiteral("QVMenu (%1) { COID %2, Name:'%3' }").arg(QString::number(quintptr(this), 16)).arg(m_id).arg(m_name);
}

QImage QVMenu::defaultIcon()
{
    static std::mutex mutex;
    static QImage icon;
    std::lock_guard lock(mutex);
    if (icon.isNull())
        icon = QVUtility::sharedUtility().imageWithName(QStringLiteral("ZelkButton"));
    return icon;
}

} // namespace engine
