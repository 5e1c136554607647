#include "PositionRecorder.h"

#include "Log.h"
#include "Platform.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

namespace zelk::editor {

namespace {

bool isHeld(const EventPoster::KeyMap& keys, uint16_t keyCode)
{
    return keyCode / 8 < keys.size() && (keys[keyCode / 8] >> (keyCode % 8)) & 1;
}

} // namespace

PositionRecorder::PositionRecorder()
{
    m_blinks.setInterval(kBlinkMilliseconds);
    m_deadline.setSingleShot(true);
    connect(&m_blinks, &QTimer::timeout, this, [this] { blink(); });
    connect(&m_deadline, &QTimer::timeout, this, [this] { finish(Outcome::TimedOut); });
}

PositionRecorder::~PositionRecorder()
{
    // The icon goes back; nobody is told of a wait that ends with its owner.
    m_done = nullptr;
    if (isWaiting())
        finish(Outcome::Cancelled);
}

bool PositionRecorder::start(const QImage& blinkImage, Done done)
{
    if (isWaiting())
        return false;
    m_done = std::move(done);
    m_blinkImage = blinkImage;
    m_savedIcon = QGuiApplication::windowIcon();
    m_showingImage = false;
    m_deadline.start(m_timeout);
    blink();
    m_blinks.start();
    EventPoster& events = Platform::instance().events();
    m_keys = events.observeKeys([this](uint16_t keyCode, bool down) { keyChanged(keyCode, down); });
    // A key held before the wait began counts at once.
    const EventPoster::KeyMap held = events.heldKeys();
    for (uint16_t key : {kEscapeKey, kCommandKeys[0], kCommandKeys[1]})
        if (isHeld(held, key) && keyChanged(key, true))
            break;
    return true;
}

void PositionRecorder::cancel()
{
    if (isWaiting())
        finish(Outcome::Cancelled);
}

bool PositionRecorder::keyChanged(uint16_t keyCode, bool down)
{
    if (!isWaiting() || !down)
        return false;
    if (keyCode == kEscapeKey) {
        finish(Outcome::Cancelled);
        return true;
    }
    if (keyCode != kCommandKeys[0] && keyCode != kCommandKeys[1])
        return false;
    const std::optional<QPointF> at = Platform::instance().events().pointerLocation();
    if (!at)
        zlog("PositionRecorder", "keyChanged") << "the pointer's place cannot be read";
    finish(at ? Outcome::Taken : Outcome::Cancelled, at.value_or(QPointF()));
    return true;
}

void PositionRecorder::blink()
{
    if (m_blinkImage.isNull() || !m_savedIcon)
        return;
    m_showingImage = !m_showingImage;
    QGuiApplication::setWindowIcon(m_showingImage ? QIcon(QPixmap::fromImage(m_blinkImage)) : *m_savedIcon);
}

void PositionRecorder::finish(Outcome outcome, const QPointF& point)
{
    m_keys = {};
    m_blinks.stop();
    m_deadline.stop();
    if (m_savedIcon) {
        QGuiApplication::setWindowIcon(*m_savedIcon);
        m_savedIcon.reset();
    }
    // Told last, and once: done may start the next wait.
    if (Done done = std::exchange(m_done, nullptr))
        done(outcome, point);
}

} // namespace zelk::editor
