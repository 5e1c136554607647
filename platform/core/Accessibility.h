#pragma once
// Other applications' user interfaces as the accessibility service shows
// them: a tree of elements with roles, attributes and actions, named in the
// system's own vocabulary (roles "AXMenuBar", "AXButton"...; actions
// "AXPress", "AXPick", "AXCancel"), so that the action types read as they
// were designed. Each backend maps its own tree onto that vocabulary.
//
// Only applications that expose an accessibility tree have elements (on
// Linux: Qt and GTK programs while accessibility is on); every other answers
// nullptr, and the callers report it. Elements may be used from any thread;
// a read that fails answers nullopt or nullptr.
#include "NotificationCenter.h"

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

namespace zelk {

namespace AXRole {
inline const QString Application = QStringLiteral("AXApplication");
inline const QString Window = QStringLiteral("AXWindow");
inline const QString MenuBar = QStringLiteral("AXMenuBar");
inline const QString MenuBarItem = QStringLiteral("AXMenuBarItem");
inline const QString Menu = QStringLiteral("AXMenu");
inline const QString MenuItem = QStringLiteral("AXMenuItem");
inline const QString Button = QStringLiteral("AXButton");
inline const QString TextField = QStringLiteral("AXTextField");
inline const QString CheckBox = QStringLiteral("AXCheckBox");
inline const QString RadioButton = QStringLiteral("AXRadioButton");
inline const QString Slider = QStringLiteral("AXSlider");
inline const QString ValueIndicator = QStringLiteral("AXValueIndicator");
inline const QString Row = QStringLiteral("AXRow");
inline const QString Group = QStringLiteral("AXGroup");
inline const QString StaticText = QStringLiteral("AXStaticText");
inline const QString Unknown = QStringLiteral("AXUnknown");
} // namespace AXRole

namespace AXAction {
inline const QString Press = QStringLiteral("AXPress");   // opens a menu, presses a control
inline const QString Pick = QStringLiteral("AXPick");     // chooses a menu item
inline const QString Cancel = QStringLiteral("AXCancel"); // closes an open menu
} // namespace AXAction

class AccessibleElement;
using AXElement = std::shared_ptr<AccessibleElement>;

class AccessibleElement {
public:
    virtual ~AccessibleElement() = default;
    virtual std::optional<QString> role() = 0;
    virtual std::optional<QString> title() = 0;
    // Text for text fields; a number (double) for check boxes, radio
    // buttons (0 off, 1 on) and sliders.
    virtual std::optional<QVariant> value() = 0;
    virtual std::optional<double> maxValue() = 0;
    virtual std::optional<bool> enabled() = 0;
    // Global coordinates, top-left origin.
    virtual std::optional<QPointF> position() = 0;
    virtual std::optional<QSizeF> size() = 0;
    virtual AXElement parent() = 0;
    virtual std::optional<QList<AXElement>> children() = 0;
    // false when the element has no such action or refuses it.
    virtual bool performAction(const QString& action) = 0;
    // The same element of the same application.
    virtual bool isEqual(const AccessibleElement& other) const = 0;
};

// Both null, or the same element.
inline bool sameElement(const AXElement& a, const AXElement& b)
{
    if (!a || !b)
        return !a && !b;
    return a->isEqual(*b);
}

enum class MenuNotification { Opened, Closed, ItemSelected };

class AccessibilityService {
public:
    using MenuObserver = std::function<void(MenuNotification, const AXElement& element)>;

    virtual ~AccessibilityService() = default;
    // Whether the desktop's accessibility interface can be used at all.
    virtual bool isEnabled() = 0;
    // The element of a running application; nullptr when it exposes none.
    virtual AXElement applicationElement(qint64 pid) = 0;
    // The menu bar and the focused window of an application element.
    virtual AXElement menuBar(const AXElement& application) = 0;
    virtual AXElement focusedWindow(const AXElement& application) = 0;
    // The deepest element of the application at a global point.
    virtual AXElement elementAtPosition(const AXElement& application, const QPointF& point) = 0;
    // The application's menus: the menu that opened or closed, or the item
    // the user chose, on the main thread. An empty handle when the
    // application cannot be observed; dropping the handle stops observing.
    [[nodiscard]] virtual ObserverHandle observeMenus(const AXElement& application, MenuObserver observer) = 0;
};

} // namespace zelk
