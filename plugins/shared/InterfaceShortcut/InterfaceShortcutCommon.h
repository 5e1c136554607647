#pragma once
// What both halves of the interface action type share: the model, the keys
// of ActionParameters and of InterfaceElementRecord, the class image, and
// the element helpers (the type of a control, its slider, its window, the
// descendants of a window, points relative to a window). Built into both
// plug-ins; Side is the plug-in's side.
//
// Model 1 (category 1) replays Items, a list of InterfaceElementRecord
// {Type, Point, Origin, Title, Value}: Point is the control's centre
// relative to the top-left corner of the window (a point string), Origin
// always 0. Title is the control's title, for a slider its knob's centre
// (a point string); Value the text of a field, the state of a check box or
// radio button, the percentage of a slider.
#include "AXSupport.h"
#include "Geometry.h"
#include "PluginImages.h"

#include <QImage>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

namespace zelk {

namespace InterfaceShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Items = QStringLiteral("Items");
inline const QString Type = QStringLiteral("Type");
inline const QString Point = QStringLiteral("Point");
inline const QString Origin = QStringLiteral("Origin");
inline const QString Title = QStringLiteral("Title");
inline const QString Value = QStringLiteral("Value");
} // namespace InterfaceShortcutKeys

namespace InterfaceElements {

inline constexpr int Replay = 1;
inline int categoryOfAction(int model) { return model == Replay ? 1 : 0; }

// InterfaceElementType.
enum Type { None = -1, Button = 0, TextField = 1, CheckBox = 2, RadioButton = 3, Slider = 4 };

inline AXElement valueIndicatorOfSlider(const AXElement& slider)
{
    if (!slider)
        return nullptr;
    for (const AXElement& child : slider->children().value_or(QList<AXElement>()))
        if (roleOf(child) == AXRole::ValueIndicator)
            return child;
    return nullptr;
}

// The type of a control by its role: a radio button only while it is on, a
// slider only with a knob and a readable maximum.
inline int typeForElement(const AXElement& element)
{
    const QString role = roleOf(element);
    if (role == AXRole::Button)
        return Button;
    if (role == AXRole::TextField)
        return TextField;
    if (role == AXRole::CheckBox)
        return CheckBox;
    if (role == AXRole::RadioButton) {
        const auto value = element->value();
        return value && value->toInt() != 0 ? RadioButton : None;
    }
    if (role == AXRole::Slider)
        return valueIndicatorOfSlider(element) && element->maxValue() ? Slider : None;
    return None;
}

// A slider's knob stands for its slider.
inline AXElement substituteOfElement(const AXElement& element)
{
    if (roleOf(element) == AXRole::ValueIndicator) {
        const AXElement parent = element->parent();
        if (roleOf(parent) == AXRole::Slider)
            return parent;
    }
    return element;
}

// The window that holds the element; nullptr when the walk ends first.
inline AXElement windowForElement(const AXElement& element)
{
    AXElement current = element;
    for (int depth = 0; current && depth < 256; ++depth) {
        if (roleOf(current) == AXRole::Window)
            return current;
        current = current->parent();
    }
    return nullptr;
}

// Every descendant: the element's children in order, then each child's own
// descendants by the same rule.
inline QList<AXElement> childrensOfElement(const AXElement& element)
{
    QList<AXElement> all;
    if (!element)
        return all;
    const QList<AXElement> children = element->children().value_or(QList<AXElement>());
    all.append(children);
    for (const AXElement& child : children)
        all.append(childrensOfElement(child));
    return all;
}

// The slider's value as a percentage of its maximum; 0 when the maximum is
// 0, an unreadable value counting as 0.
inline double sliderPercentage(const AXElement& slider)
{
    const double max = slider->maxValue().value_or(0);
    if (max == 0)
        return 0;
    return 100.0 * slider->value().value_or(QVariant(0.0)).toDouble() / max;
}

// A point relative to a corner of the window (0 top-left, 1 top-right, 2
// bottom-right, 3 bottom-left), from a global point; (-1, -1) without a
// window or with a window of no width.
inline QPointF pointOnWindow(const AXElement& window, const QPointF& onScreen, int origin)
{
    const QRectF r = rectOfWindow(window);
    if (!window || r.width() == 0)
        return {-1, -1};
    const double x = origin == 1 || origin == 2 ? r.x() + r.width() - onScreen.x() : onScreen.x() - r.x();
    const double y = origin == 2 || origin == 3 ? r.y() + r.height() - onScreen.y() : onScreen.y() - r.y();
    return {x, y};
}

// The inverse: the global point of a point relative to a window corner.
inline QPointF pointOnScreenForPoint(const QPointF& point, const AXElement& window, int origin)
{
    const QRectF r = rectOfWindow(window);
    if (!window || r.width() == 0)
        return {-1, -1};
    const double x = origin == 1 || origin == 2 ? r.x() + r.width() - point.x() : r.x() + point.x();
    const double y = origin == 2 || origin == 3 ? r.y() + r.height() - point.y() : r.y() + point.y();
    return {x, y};
}

// The record of a control of window, or an empty map when it is not
// recordable: of no known type, disabled or of unreadable state, inside a
// table row, or without a window.
inline QVariantMap dataForElement(const AXElement& element, const AXElement& window)
{
    namespace K = InterfaceShortcutKeys;
    const int type = typeForElement(element);
    if (type == None)
        return {};
    const auto enabled = element->enabled();
    if (!enabled || !*enabled)
        return {};
    if (const AXElement parent = element->parent(); parent && roleOf(parent) == AXRole::Row)
        return {};
    if (!window)
        return {};
    const QPointF point = pointOnWindow(window, centerOfElement(element), 0);
    QString title;
    QVariant value;
    switch (type) {
    case Button:
        title = element->title().value_or(QString());
        value = QString();
        break;
    case TextField:
        value = element->value().value_or(QVariant(QString())).toString();
        break;
    case CheckBox:
    case RadioButton:
        title = element->title().value_or(QString());
        value = element->value().value_or(QVariant(0)).toInt();
        break;
    case Slider: {
        const AXElement knob = valueIndicatorOfSlider(element);
        title = stringFromPoint(pointOnWindow(window, centerOfElement(knob), 0));
        value = sliderPercentage(element);
        break;
    }
    default:
        return {};
    }
    return {{K::Type, type}, {K::Point, stringFromPoint(point)}, {K::Origin, 0}, {K::Title, title}, {K::Value, value}};
}

} // namespace InterfaceElements

template <class Side>
class InterfaceShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return InterfaceElements::categoryOfAction(model); }
    static QString nameOfImageForModelID(int model)
    {
        return model == InterfaceElements::Replay ? QStringLiteral("interface.tiff") : QString();
    }
    static QImage interfaceIcon(int size) { return sizedImage(iconSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        return categoryOfAction(this->CUTAction) == 1 ? interfaceIcon(size) : QImage();
    }

protected:
    void readParameters(const QVariantMap& data)
    {
        if (categoryOfAction(this->CUTAction) == 1)
            CUTItems = data.value(InterfaceShortcutKeys::Items).toList();
    }

    QVariantList CUTItems;

private:
    static KeptImage& iconSlot()
    {
        static KeptImage slot(QStringLiteral("interface.tiff"));
        return slot;
    }
};

} // namespace zelk
