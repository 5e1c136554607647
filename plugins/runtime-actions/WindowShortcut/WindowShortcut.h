#pragma once
// The window action type, running side (WindowShortcutCommon.h): acts on
// the front window of the front application through the platform's
// windows (the window manager, not the accessibility interface, so every
// application's windows are reached).
//
// Window commands that find nothing to act on do nothing and succeed, as
// a window without such a button would; there is no toolbar to show or hide
// on this desktop. A move or resize that the window manager refuses, or
// that finds the window gone, fails with "DeplacementNonValide" or
// "TailleNonValide" instead of passing for done.
//
// Next and previous window: the strings table "Applications" may name, per
// application (its name without extension, then "Next" or "Previous"), a
// WindowKeySpec to type instead of the standard switch, which sends the
// top window to the back (next) or brings the bottom one to the front
// (previous). A WindowKeySpec is five flags "Y" or "N" for Command, Shift,
// Caps Lock, Option and Control, then a character code (below 1001) or a
// function key F1-F15 (1001-1015).
#include "ActionRunner.h"
#include "WindowShortcut/WindowShortcutCommon.h"

#include "DesktopServices.h"

#include <QPointF>
#include <QSizeF>

namespace zelk::engine {

class WindowShortcut : public WindowShortcutCommon<Side> {
    ZELK_ACTION_CLASS(WindowShortcut, QVAction)
public:
    using WindowId = WindowService::WindowId;
    using Orientation = WindowService::Orientation;

    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    // Window commands, on the front window or all windows of the front application.
    static QString zoomFrontWindowFromObject(bool allWindows, QVActionController& fromObject);
    static QString minimizeFrontWindowFromObject(bool allWindows, QVActionController& fromObject);
    static QString showFrontAppAllWindowsFromObject(QVActionController& fromObject);
    static QString showHideToolbarFrontWindowFromObject(QVActionController& fromObject);
    static QString closeFrontWindowFromObject(bool allWindows, QVActionController& fromObject);
    // Moves and resizes; the origin picks the window corner placed on the
    // point or kept where it is.
    static QString moveFrontWindowToPoint(const QPointF& point, int origin, QVActionController& fromObject);
    static QString moveFrontWindowByInterval(const QPointF& interval, QVActionController& fromObject);
    static QString moveFrontWindowToCenter(bool horizontal, bool vertical, QVActionController& fromObject);
    static QString resizeFrontWindowToSize(const QSizeF& size, int origin, QVActionController& fromObject);
    static QString resizeFrontWindowByInterval(const QSizeF& interval, int origin, QVActionController& fromObject);
    static QString resizeFrontWindowToPercents(const QSizeF& percents, int origin, QVActionController& fromObject);
    static QString resizeFrontWindowToPercentsOfScreen(const QSizeF& percents, int origin, QVActionController& fromObject);
    static QString activateNextWindowFromObject(QVActionController& fromObject);
    static QString activatePreviousWindowFromObject(QVActionController& fromObject);
    // Scrolling models 15-22 with their Count and Unit.
    static QString scroll(int model, int count, int unit, QVActionController& fromObject);

    // The primitives on one window; each answers "" or the error text.
    static QString moveWindow(WindowId window, const QPointF& point, int origin);
    static QString moveWindowByInterval(WindowId window, const QPointF& interval);
    static QString resizeWindowByInterval(WindowId window, const QSizeF& interval, int origin);
    static QString resizeWindowToSize(WindowId window, const QSizeF& size, int origin);
    // Types a WindowKeySpec; false when it names no key.
    static bool emulateSwitchWindowShortcut(const QString& spec);

    static QString noAPIString();
    static QString noWindowString();
    static QString noBarString();

private:
    // The front window after the common checks, or the error text.
    static WindowId frontWindow(QString* error);
    static QString switchWindow(bool next);
};

} // namespace zelk::engine
