#pragma once
// The mouse action type, running side (MouseShortcutCommon.h): replays the
// movements in order, each followed by its pause, asking the controller
// before each one. Points count from a corner of the main screen (area 1)
// or of the front application's main (2) or focused (3) window
// (WindowPoints.h). The modifier keys a key action holds are pressed back
// around the replay, and let go on every way out.
//
// A drag goes from where the pointer is to the target in steps of at most
// 32 pixels along its longer axis, each shown for 0.03 s; a drag shorter
// than that has no step between its start and its end.
#include "ActionRunner.h"
#include "MouseShortcut/MouseShortcutCommon.h"

#include <QPointF>
#include <mutex>

namespace zelk::engine {

class MouseShortcut : public MouseShortcutCommon<Side> {
    ZELK_ACTION_CLASS(MouseShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    static QString simulateMouseMovements(const QVariantList& movements, int onArea, QVActionController& fromObject);

    // One operation per movement: "" or the error text.
    static QString mouseClick();
    static QString mouseRightClick();
    static QString mouseDoubleClick();
    static QString mouseMoveToOnScreen(const QPointF& point, int origin);
    static QString mouseMoveToOnWindow(const QPointF& point, int origin, int area);
    static QString mouseMoveRelative(const QPointF& interval);
    static QString mouseSaveLocation();
    static QString mouseRestoreLocation();
    static QString mouseDragToOnScreen(const QPointF& point, int origin);
    static QString mouseDragToOnWindow(const QPointF& point, int origin, int area);
    static QString mouseDragRelative(const QPointF& interval);
    static QString mouseWheel(int wheel);
    static QString mousePressLeft();
    static QString mouseReleaseLeft();
    static QString mousePressRight();
    static QString mouseReleaseRight();

    // The drag's intermediate positions from start to target: n + 1 of
    // them, n the longer axis's whole pixels divided by 32; with n 0 the
    // start alone.
    static QList<QPointF> dragPositions(const QPointF& start, const QPointF& target);

    // The location movement 4 saved for movement 5, engine-wide.
    static QPointF savedLocation();
    static void setSavedLocation(const QPointF& point);

private:
    static QString onWindow(const QPointF& point, int origin, int area, bool drag);
};

} // namespace zelk::engine
