#pragma once
// The accessibility elements both halves of the types that drive other
// applications start from: the front application's element and its focused
// window, and the attributes read the same way everywhere.
#include "Platform.h"

#include <QPointF>
#include <QRectF>

namespace zelk {

// The front application's element; nullptr when there is no front
// application or it exposes no accessibility.
inline AXElement frontProcApp()
{
    Platform& platform = Platform::instance();
    const std::optional<RunningApplication> front = platform.workspace().frontApplication();
    if (!front || front->pid <= 0)
        return nullptr;
    return platform.accessibility().applicationElement(front->pid);
}

inline AXElement focusedWindowOfApp(const AXElement& app)
{
    return app ? Platform::instance().accessibility().focusedWindow(app) : nullptr;
}

inline AXElement frontProcFocusedWindow() { return focusedWindowOfApp(frontProcApp()); }

inline bool accessibilityEnabled() { return Platform::instance().accessibility().isEnabled(); }

// An element's role, the empty string when it cannot be read.
inline QString roleOf(const AXElement& element)
{
    return element ? element->role().value_or(QString()) : QString();
}

// AXPosition and AXSize as a rectangle; (-1, -1, 0, 0) when either
// cannot be read.
inline QRectF rectOfWindow(const AXElement& window)
{
    if (!window)
        return QRectF(-1, -1, 0, 0);
    const auto position = window->position();
    const auto size = window->size();
    if (!position || !size)
        return QRectF(-1, -1, 0, 0);
    return QRectF(*position, *size);
}

// AXPosition + AXSize / 2, an unreadable attribute counting as 0.
inline QPointF centerOfElement(const AXElement& element)
{
    if (!element)
        return {};
    const QPointF position = element->position().value_or(QPointF());
    const QSizeF size = element->size().value_or(QSizeF());
    return {position.x() + size.width() / 2, position.y() + size.height() / 2};
}

} // namespace zelk
