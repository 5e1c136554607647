#pragma once
// The menus' items in the desktop's status area (the tray), keyed by menu
// ID, so that an item outlives a reload of its menu. Main thread only.
//
// A tray shows an icon and no text: an item's title goes to its tool tip,
// and an item without an image of its own shows its fall-back image (an
// item without an icon would not be seen at all). An item either opens its
// menu or, with an action and no menu, runs that action when clicked.
#include <QImage>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QSystemTrayIcon;

namespace engine {

class QVStatusItem {
public:
    // The system's lengths: as long as the title, or square.
    static constexpr double VariableLength = -1.0;
    static constexpr double SquareLength = -2.0;

    QVStatusItem();
    ~QVStatusItem();
    QVStatusItem(const QVStatusItem&) = delete;
    QVStatusItem& operator=(const QVStatusItem&) = delete;

    void setLength(double length) { m_length = length; }
    double length() const { return m_length; }
    void setImage(const QImage& image);
    QImage image() const { return m_image; }
    void setFallbackImage(const QImage& image);
    void setTitle(const QString& title);
    QString title() const { return m_title; }
    void setToolTip(const QString& toolTip);
    QString toolTip() const;
    void setMenu(QMenu* menu);
    QMenu* menu() const { return m_menu; }
    // Run on a click, while the item has no menu.
    void setAction(std::function<void()> action);
    bool hasAction() const { return bool(m_action); }
    void setHighlightMode(bool on) { m_highlight = on; }
    bool highlightMode() const { return m_highlight; }
    // A click of the user: the action, else the menu at the pointer.
    void click();

    QSystemTrayIcon* trayIcon() const { return m_tray.get(); }

private:
    void update();

    std::unique_ptr<QSystemTrayIcon> m_tray;
    double m_length = SquareLength;
    QImage m_image;
    QImage m_fallbackImage;
    QString m_title;
    QString m_toolTip;
    QPointer<QMenu> m_menu;
    std::function<void()> m_action;
    bool m_highlight = false;
};

class QVStatusItemManager {
public:
    static QVStatusItemManager& sharedManager();

    int indexOfStatusItemForID(quint32 menuID) const;
    bool isStatusItemForID(quint32 menuID) const { return indexOfStatusItemForID(menuID) >= 0; }
    // The item of the ID; a new square one when there is none.
    QVStatusItem* statusItemForID(quint32 menuID);
    void removeStatusItemForID(quint32 menuID);
    // Removes the items whose menu is gone or is not in the bar now.
    void verifyItems();
    // Every item, at once (the quit, tests).
    void removeAllItems();
    QList<quint32> IDs() const { return m_ids; }

private:
    QList<std::shared_ptr<QVStatusItem>> m_items; // SIMItemsArray
    QList<quint32> m_ids;                         // SIMIDArray
};

} // namespace engine
