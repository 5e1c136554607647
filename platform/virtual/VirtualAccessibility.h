#pragma once
// The virtual desktop's accessibility tree, built by tests: applications
// (by process ID) holding windows, menu bars, menus and controls, each a
// node with a role, a title, a frame, a value and an enabled state.
//
// What the elements do, as a real desktop would: AXPress on a node opens it
// (the nodes hidden until it opens appear: a menu built when its item is
// pressed, or a submenu shown beside its item), AXCancel closes it again,
// AXPick on an item chooses it. Every action is logged ("AXPress File").
// A disabled node refuses AXPress and AXPick. The user's menu gestures
// reach the menu observers (userOpensMenu, userClosesMenu, userChoosesItem).
#include "Accessibility.h"
#include "ObserverList.h"

#include <QHash>
#include <QRectF>
#include <QStringList>
#include <memory>
#include <mutex>

namespace zelk {

class VirtualAccessibility : public AccessibilityService {
public:
    using Id = int; // 0 names no node

    VirtualAccessibility();
    ~VirtualAccessibility() override;

    bool isEnabled() override;
    AXElement applicationElement(qint64 pid) override;
    AXElement menuBar(const AXElement& application) override;
    AXElement focusedWindow(const AXElement& application) override;
    AXElement elementAtPosition(const AXElement& application, const QPointF& point) override;
    [[nodiscard]] ObserverHandle observeMenus(const AXElement& application, MenuObserver observer) override;

    // Test controls: the tree.
    void setApiEnabled(bool enabled);
    Id addApplication(qint64 pid);
    Id add(Id parent, const QString& role, const QString& title = {}, const QRectF& frame = {});
    void setValue(Id node, const QVariant& value);
    void setMaxValue(Id node, std::optional<double> max);
    void setEnabled(Id node, bool enabled);
    void setTitleReadable(Id node, bool readable);
    void setFrame(Id node, const QRectF& frame);
    void setMenuBar(qint64 pid, Id menuBar);
    void setFocusedWindow(qint64 pid, Id window); // 0: none
    // The node is left out of lists and hit tests until owner is pressed open.
    void setHiddenUntilOpen(Id node, Id owner);
    // Menu observers of that application cannot be made.
    void setObservable(qint64 pid, bool observable);
    void remove(Id node);

    // What happened.
    QStringList actions() const; // "AXPress File", "AXPick Save", "AXCancel File"
    void clearActions();
    bool isOpen(Id node) const;
    QList<Id> openNodes() const;
    Id idOf(const AXElement& element) const; // 0 when not of this tree
    AXElement element(Id node);
    bool hasMenuObservers() const { return m_menuObservers.any(); }

    // The user's gestures, on the main thread.
    void userOpensMenu(Id menu);
    void userClosesMenu(Id menu);
    void userChoosesItem(Id item);

    struct State;

private:
    void notifyMenus(MenuNotification what, Id node);
    std::shared_ptr<State> d;
    ObserverList<qint64, MenuNotification, AXElement> m_menuObservers;
};

} // namespace zelk
