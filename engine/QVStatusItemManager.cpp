#include "QVStatusItemManager.h"

#include "Log.h"
#include "QVLauncher.h"
#include "QVMenu.h"
#include "QVMenusManager.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace engine {

QVStatusItem::QVStatusItem()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        zelk::zlog("QVStatusItem", "init") << "no window system for a status item";
        return;
    }
    m_tray = std::make_unique<QSystemTrayIcon>();
    QObject::connect(m_tray.get(), &QSystemTrayIcon::activated, m_tray.get(), [this](QSystemTrayIcon::ActivationReason reason) {
        // The context menu opens by itself on the other button.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::MiddleClick)
            click();
    });
}

QVStatusItem::~QVStatusItem()
{
    if (m_tray)
        m_tray->hide();
}

void QVStatusItem::setImage(const QImage& image)
{
    m_image = image;
    update();
}

void QVStatusItem::setFallbackImage(const QImage& image)
{
    m_fallbackImage = image;
    update();
}

void QVStatusItem::setTitle(const QString& title)
{
    m_title = title;
    update();
}

void QVStatusItem::setToolTip(const QString& toolTip)
{
    m_toolTip = toolTip;
    update();
}

QString QVStatusItem::toolTip() const { return m_title.isEmpty() ? m_toolTip : m_title; }

void QVStatusItem::setMenu(QMenu* menu)
{
    m_menu = menu;
    update();
}

void QVStatusItem::setAction(std::function<void()> action) { m_action = std::move(action); }

void QVStatusItem::click()
{
    if (!m_menu && m_action) {
        m_action();
        return;
    }
    if (m_menu)
        m_menu->popup(QCursor::pos());
}

void QVStatusItem::update()
{
    if (!m_tray)
        return;
    const QImage& image = m_image.isNull() ? m_fallbackImage : m_image;
    m_tray->setIcon(QIcon(QPixmap::fromImage(image)));
    m_tray->setToolTip(toolTip());
    m_tray->setContextMenu(m_menu);
    if (!image.isNull() && !m_tray->isVisible())
        m_tray->show();
}

QVStatusItemManager& QVStatusItemManager::sharedManager()
{
    static QVStatusItemManager manager;
    return manager;
}

int QVStatusItemManager::indexOfStatusItemForID(quint32 menuID) const { return int(m_ids.indexOf(menuID)); }

QVStatusItem* QVStatusItemManager::statusItemForID(quint32 menuID)
{
    if (!checkMainThread("QVStatusItemManager", "statusItemForID"))
        return nullptr;
    const int index = indexOfStatusItemForID(menuID);
    if (index >= 0)
        return m_items.at(index).get();
    auto item = std::make_shared<QVStatusItem>();
    item->setLength(QVStatusItem::SquareLength);
    m_items.append(item);
    m_ids.append(menuID);
    return item.get();
}

void QVStatusItemManager::removeStatusItemForID(quint32 menuID)
{
    const int index = indexOfStatusItemForID(menuID);
    if (index < 0)
        return;
    m_ids.removeAt(index);
    m_items.removeAt(index);
}

void QVStatusItemManager::verifyItems()
{
    for (int i = int(m_ids.size()) - 1; i >= 0; --i) {
        const std::shared_ptr<QVMenu> menu = QVMenusManager::sharedManager().menuWithID(m_ids.at(i));
        if (!menu || !menu->isInBar())
            removeStatusItemForID(m_ids.at(i));
    }
}

void QVStatusItemManager::removeAllItems()
{
    m_ids.clear();
    m_items.clear();
}

} // namespace engine
