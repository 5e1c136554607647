#include "InterfaceShortcut.h"

#include "Geometry.h"
#include "Log.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace zelk::engine {

namespace K = InterfaceShortcutKeys;
namespace E = InterfaceElements;

namespace {

using namespace std::chrono_literals;
constexpr uint16_t kDeleteKey = 51;
constexpr int kTypingRate = 40;

void pause(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

} // namespace

bool InterfaceShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString InterfaceShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    if (CUTAction != E::Replay || !controller)
        return {};
    return simulateInterfaceElements(CUTItems, *controller);
}

QString InterfaceShortcut::simulateInterfaceElements(const QVariantList& items, QVActionController& fromObject)
{
    if (!accessibilityEnabled())
        return localized(classObject(), QStringLiteral("AssistiveNonValide"));
    const AXElement app = frontProcApp();
    const AXElement window = focusedWindowOfApp(app);
    if (!app || !window)
        return localized(classObject(), QStringLiteral("FenetreNonValide"));
    AccessibilityService& ax = Platform::instance().accessibility();

    startBeingExclusiveSourceOfEvents();
    releaseAllNormalKeys();
    const QPointF start = mousePoint();
    QString error;
    for (const QVariant& entry : items) {
        if (!fromObject.canGoRunning())
            break;
        const QVariantMap item = entry.toMap();
        const int type = item.value(K::Type).toInt();
        const QPointF point = pointFromString(item.value(K::Point).toString());
        const QPointF onScreen = E::pointOnScreenForPoint(point, window, 0);
        const AXElement element = E::substituteOfElement(ax.elementAtPosition(app, onScreen));
        const int found = element ? E::typeForElement(element) : E::None;
        // A radio button that is off has no type of its own: one recorded
        // on is driven whatever its state now.
        const bool sameType = found == type || (type == E::RadioButton && roleOf(element) == AXRole::RadioButton);
        if (sameType && type >= E::Button && type <= E::Slider) {
            switch (type) {
            case E::Button: clickButtonAtPoint(onScreen); break;
            case E::TextField: typeText(item.value(K::Value).toString(), onScreen); break;
            case E::CheckBox:
            case E::RadioButton: setCheckRadioElement(element, item.value(K::Value).toInt(), onScreen); break;
            case E::Slider:
                setSlider(element, point, item.value(K::Value).toDouble(), pointFromString(item.value(K::Title).toString()));
                break;
            default: break;
            }
        } else {
            error = localized(classObject(), QStringLiteral("ElementNonValide"));
            if (!fromObject.canGoRunningAfterError(error))
                break;
        }
        // Let the user's own input through for a moment between controls.
        stopBeingExclusiveSourceOfEvents();
        pause(50ms);
        startBeingExclusiveSourceOfEvents();
    }
    mouseMoveToOnScreen(start);
    stopBeingExclusiveSourceOfEvents();
    return error;
}

void InterfaceShortcut::clickButtonAtPoint(const QPointF& point)
{
    mouseMoveToOnScreen(point);
    mouseClick();
    pause(200ms);
}

void InterfaceShortcut::typeText(const QString& text, const QPointF& atPoint)
{
    mouseMoveToOnScreen(atPoint);
    mouseClick(3);
    pause(200ms);
    if (!text.isEmpty()) {
        typeTextAtCharSecond(text, kTypingRate);
    } else {
        // Deletes the selected text.
        postVirtualKeyEvent(kDeleteKey, true);
        postVirtualKeyEvent(kDeleteKey, false);
    }
    pause(200ms);
}

void InterfaceShortcut::setCheckRadioElement(const AXElement& element, int value, const QPointF& atPoint)
{
    const auto current = element->value();
    if (!current || current->toInt() == value)
        return;
    mouseMoveToOnScreen(atPoint);
    mouseClick();
    pause(500ms);
}

void InterfaceShortcut::setSlider(const AXElement& slider, const QPointF& atPoint, double toValue, const QPointF& indicatorPoint)
{
    if (E::sliderPercentage(slider) == toValue)
        return;
    const AXElement knob = E::valueIndicatorOfSlider(slider);
    if (!knob)
        return;
    const QPointF center = centerOfElement(slider);
    const QPointF knobCenter = centerOfElement(knob);
    mouseMoveToOnScreen(knobCenter);
    // The knob goes back to its recorded distance from the slider's centre.
    mouseDragToOnScreen({center.x() + (indicatorPoint.x() - atPoint.x()), knobCenter.y()});
    pause(200ms);
}

void InterfaceShortcut::typeTextAtCharSecond(const QString& text, int charSecond)
{
    const auto step = std::chrono::duration<double>(1.0 / std::max(1, charSecond));
    for (const char32_t c : text.toUcs4()) {
        const auto began = std::chrono::steady_clock::now();
        typeCharacter(c == U'\n' ? U'\r' : c);
        while (std::chrono::steady_clock::now() - began < step)
            pause(10ms);
    }
}

void InterfaceShortcut::mouseMoveToOnScreen(const QPointF& point) { simulateMouseMoveEventAt(point); }

void InterfaceShortcut::mouseDragToOnScreen(const QPointF& target)
{
    const QPointF start = mousePoint();
    const QPointF delta = target - start;
    const int steps = int(std::max(std::abs(int(delta.x())), std::abs(int(delta.y()))) / 32);
    simulatePrimaryMouseButtonEventAt(start, true);
    for (int i = 0; i <= steps; ++i) {
        const auto began = std::chrono::steady_clock::now();
        // No steps: the one drag event is at the start.
        simulateMouseDragEventAt(steps == 0 ? start : start + delta * (double(i) / steps));
        while (std::chrono::steady_clock::now() - began < 30ms)
            pause(10ms);
    }
    simulateMouseDragEventAt(target);
    simulateMouseEndDragEventAt(target);
}

void InterfaceShortcut::mouseClick(int count)
{
    const QPointF at = mousePoint();
    for (int i = 0; i < count; ++i) {
        // Toolkits take presses of one instant for one click: a double or
        // triple click needs its clicks a moment apart.
        if (i > 0)
            pause(20ms);
        simulatePrimaryMouseButtonEventAt(at, true);
        simulatePrimaryMouseButtonEventAt(at, false);
    }
}

QPointF InterfaceShortcut::mousePoint() { return Platform::instance().events().pointerLocation().value_or(QPointF()); }

ZELK_REGISTER_ACTION_RUNNER(InterfaceShortcut)

} // namespace zelk::engine
