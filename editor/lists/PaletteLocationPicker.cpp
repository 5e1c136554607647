#include "PaletteLocationPicker.h"

#include "Platform.h"

#include "Log.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>

namespace editor {

// The stored key codes of the two command keys (left, right).
static constexpr uint16_t kCommandKeys[] = {55, 54};

PaletteLocationPicker::PaletteLocationPicker(QObject* parent) : QObject(parent)
{
    m_poll.setInterval(100);
    m_blink.setInterval(1000);
    m_timeout.setSingleShot(true);
    connect(&m_poll, &QTimer::timeout, this, &PaletteLocationPicker::poll);
    connect(&m_blink, &QTimer::timeout, this, &PaletteLocationPicker::blink);
    connect(&m_timeout, &QTimer::timeout, this, &PaletteLocationPicker::cancel);
}

PaletteLocationPicker::~PaletteLocationPicker()
{
    if (isPicking())
        finish();
}

QPointF PaletteLocationPicker::pointOnScreenForPointOnScreen(const QPointF& point, int origin)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSizeF size = screen ? QSizeF(screen->geometry().size()) : QSizeF(0, 0);
    QPointF result = point;
    if (origin == 1 || origin == 2)
        result.setX(size.width() - point.x());
    if (origin == 2 || origin == 3)
        result.setY(size.height() - point.y());
    return result;
}

QPointF PaletteLocationPicker::mousePoint()
{
    return QPointF(QCursor::pos());
}

bool PaletteLocationPicker::commandKeyHeld()
{
    const zelk::EventPoster::KeyMap keys = zelk::Platform::instance().events().heldKeys();
    for (uint16_t code : kCommandKeys) {
        if (keys[code / 8] & (1u << (code % 8)))
            return true;
    }
    return false;
}

void PaletteLocationPicker::start(int origin)
{
    if (isPicking())
        cancel();
    m_origin = origin;
    m_savedIcon = QApplication::windowIcon();
    m_blinked = false;
    qApp->installEventFilter(this);
    // Held already: taken at once, as the user meant.
    if (commandKeyHeld()) {
        m_poll.start();
        poll();
        return;
    }
    m_poll.start();
    m_blink.start();
    blink();
    m_timeout.start(m_timeoutMs);
}

void PaletteLocationPicker::finish()
{
    m_poll.stop();
    m_blink.stop();
    m_timeout.stop();
    qApp->removeEventFilter(this);
    if (m_blinked)
        QApplication::setWindowIcon(m_savedIcon);
    m_blinked = false;
}

void PaletteLocationPicker::cancel()
{
    if (!isPicking())
        return;
    finish();
    zelk::zlog("PaletteLocationPicker", "cancel") << "location picking cancelled";
    emit cancelled();
}

void PaletteLocationPicker::poll()
{
    if (!commandKeyHeld())
        return;
    finish();
    emit picked(pointOnScreenForPointOnScreen(mousePoint(), m_origin));
}

void PaletteLocationPicker::blink()
{
    m_blinked = !m_blinked;
    QApplication::setWindowIcon(m_blinked ? qApp->style()->standardIcon(QStyle::SP_MessageBoxQuestion) : m_savedIcon);
}

bool PaletteLocationPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        cancel();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace editor
