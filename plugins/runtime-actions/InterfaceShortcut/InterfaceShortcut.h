#pragma once
// The interface action type, running side (InterfaceShortcutCommon.h):
// replays the recorded controls in the focused window of the front
// application. Each control is found again at its point relative to the
// window and must be of the recorded type; it is then driven by simulated
// input: a click for a button, a triple click and typing for a text field,
// a click for a check box or radio button not in the recorded state, a
// drag of the knob for a slider. The user's own input is held off except
// for a short pause after each control; the pointer goes back where it was.
#include "ActionRunner.h"
#include "InterfaceShortcut/InterfaceShortcutCommon.h"

namespace zelk::engine {

class InterfaceShortcut : public InterfaceShortcutCommon<Side> {
    ZELK_ACTION_CLASS(InterfaceShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    static QString simulateInterfaceElements(const QVariantList& items, QVActionController& fromObject);
    static void clickButtonAtPoint(const QPointF& point);
    static void typeText(const QString& text, const QPointF& atPoint);
    static void setCheckRadioElement(const AXElement& element, int value, const QPointF& atPoint);
    static void setSlider(const AXElement& slider, const QPointF& atPoint, double toValue, const QPointF& indicatorPoint);
    static void typeTextAtCharSecond(const QString& text, int charSecond);
    static void mouseMoveToOnScreen(const QPointF& point);
    static void mouseDragToOnScreen(const QPointF& point);
    static void mouseClick(int count = 1);
    static QPointF mousePoint();
};

} // namespace zelk::engine
