#include "ScreenGeometry.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace zelk {

QPointF pointOnScreenForPointOnScreen(const QPointF& point, int origin)
{
    return pointOnScreenForPointOnScreen(point, origin, mainScreenSize());
}

QSizeF mainScreenSize()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {0, 0};
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? QSizeF(screen->geometry().size()) : QSizeF(0, 0);
}

QPointF mousePoint()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    return QCursor::pos();
}

} // namespace zelk
