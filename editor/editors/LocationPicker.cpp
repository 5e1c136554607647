#include "LocationPicker.h"

#include "Log.h"
#include "Platform.h"
#include "QVUtility.h"
#include "ScreenGeometry.h"

#include <QApplication>
#include <QPixmap>

namespace editor {

namespace {

// Stored key codes: command (left and right) and escape.
constexpr int kCommandKey = 55;
constexpr int kRightCommandKey = 54;
constexpr int kEscapeKey = 53;

bool held(const zelk::EventPoster::KeyMap& keys, int code)
{
    return (keys[size_t(code / 8)] >> (code % 8)) & 1;
}

} // namespace

LocationPicker::LocationPicker(QObject* parent) : QObject(parent)
{
    m_poll.setInterval(50);
    m_blink.setInterval(1000);
    m_timeout.setInterval(60000);
    m_timeout.setSingleShot(true);
    connect(&m_poll, &QTimer::timeout, this, &LocationPicker::look);
    connect(&m_blink, &QTimer::timeout, this, &LocationPicker::blinkIcon);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        zelk::zlog("LocationPicker", "start") << "no location picked in time";
        cancel();
    });
}

LocationPicker::~LocationPicker()
{
    if (m_waitSelect.load())
        end();
}

void LocationPicker::start()
{
    if (m_waitSelect.exchange(true))
        return;
    m_icon = QApplication::windowIcon();
    m_blinked = false;
    blinkIcon();
    m_blink.start();
    m_timeout.start();
    m_poll.start();
    look();
}

void LocationPicker::look()
{
    if (!m_waitSelect.load())
        return;
    const zelk::EventPoster::KeyMap keys = zelk::Platform::instance().events().heldKeys();
    if (held(keys, kEscapeKey)) {
        cancel();
        return;
    }
    if (held(keys, kCommandKey) || held(keys, kRightCommandKey)) {
        const QPointF point = zelk::mousePoint();
        end();
        emit picked(point);
    }
}

void LocationPicker::cancel()
{
    if (!m_waitSelect.load())
        return;
    end();
    emit cancelled();
}

void LocationPicker::blinkIcon()
{
    if (!m_waitSelect.load())
        return;
    m_blinked = !m_blinked;
    QApplication::setWindowIcon(m_blinked ? QIcon(QPixmap::fromImage(QVUtility::sharedUtility().unknownIconWithSize(32)))
                                          : m_icon);
}

void LocationPicker::end()
{
    m_waitSelect.store(false);
    m_poll.stop();
    m_blink.stop();
    m_timeout.stop();
    QApplication::setWindowIcon(m_icon);
}

} // namespace editor
