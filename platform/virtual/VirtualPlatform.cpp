#include "VirtualPlatform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>

namespace zelk {

namespace {

QString pointText(const QPointF& p)
{
    return QString("{%1, %2}").arg(QString::number(p.x()), QString::number(p.y()));
}

QString buttonText(EventPoster::Button button)
{
    return button == EventPoster::Button::Primary ? "primary" : "secondary";
}

PostedEvent eventOfKind(PostedEvent::Kind kind)
{
    PostedEvent e;
    e.kind = kind;
    return e;
}

} // namespace

QString PostedEvent::toString() const
{
    switch (kind) {
    case KeyDown: return QString("down %1").arg(keyCode);
    case KeyUp: return QString("up %1").arg(keyCode);
    case MouseDown: return QString("mouse-down %1 %2").arg(buttonText(button), pointText(point));
    case MouseUp: return QString("mouse-up %1 %2").arg(buttonText(button), pointText(point));
    case MouseMove: return "move " + pointText(point);
    case MouseDrag: return "drag " + pointText(point);
    case Scroll: return QString("scroll %1 %2 %3").arg(wheelCount).arg(vertical).arg(horizontal);
    case ExclusiveBegin: return "exclusive-begin";
    case ExclusiveEnd: return "exclusive-end";
    }
    return {};
}

VirtualPlatform::VirtualPlatform()
    : m_postSender{QCoreApplication::applicationPid(), QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()}
{
}
VirtualPlatform::~VirtualPlatform() = default;

VirtualPlatform* VirtualPlatform::current()
{
    return dynamic_cast<VirtualPlatform*>(&Platform::instance());
}

int VirtualPlatform::postKey(uint16_t keyCode, bool down)
{
    constexpr uint16_t kCommand = 55, kX = 7, kC = 8, kV = 9;
    std::unique_lock lock(m_mutex);
    PostedEvent e = eventOfKind(down ? PostedEvent::KeyDown : PostedEvent::KeyUp);
    e.keyCode = keyCode;
    m_log.append(e);
    if (down) {
        m_held.insert(keyCode);
        m_ownHeld.insert(keyCode);
        if (keyCode < 55 || keyCode > 63) {
            if (!m_noRepeat.contains(keyCode)) {
                m_noRepeat.insert(keyCode);
                m_repeatLent.insert(keyCode);
            }
        }
    } else {
        m_held.remove(keyCode);
        m_ownHeld.remove(keyCode);
        if (m_repeatLent.remove(keyCode))
            m_noRepeat.remove(keyCode);
    }
    if (!down || !m_held.contains(kCommand) || (keyCode != kX && keyCode != kC && keyCode != kV))
        return 0;
    // The front application's edit commands; the clipboard is written
    // without the lock (it may wait for the main thread).
    if (keyCode == kV) {
        lock.unlock();
        const QString pasted = m_clipboard.text().value_or(QString());
        lock.lock();
        m_fieldBefore += pasted;
        m_fieldSelected.clear();
        return 0;
    }
    const QString selected = m_fieldSelected;
    if (selected.isEmpty())
        return 0;
    if (keyCode == kX)
        m_fieldSelected.clear();
    lock.unlock();
    m_clipboard.setText(selected);
    return 0;
}

void VirtualPlatform::setFrontTextField(const QString& before, const QString& selected, const QString& after)
{
    std::lock_guard lock(m_mutex);
    m_fieldBefore = before;
    m_fieldSelected = selected;
    m_fieldAfter = after;
}

QString VirtualPlatform::frontText() const
{
    std::lock_guard lock(m_mutex);
    return m_fieldBefore + m_fieldSelected + m_fieldAfter;
}

QString VirtualPlatform::frontSelection() const
{
    std::lock_guard lock(m_mutex);
    return m_fieldSelected;
}

void VirtualPlatform::releaseOwnKeys()
{
    QList<uint16_t> keys;
    {
        std::lock_guard lock(m_mutex);
        keys = m_ownHeld.values();
    }
    std::sort(keys.begin(), keys.end());
    for (uint16_t key : std::as_const(keys))
        postKey(key, false);
}

bool VirtualPlatform::keyRepeats(uint16_t keyCode) const
{
    std::lock_guard lock(m_mutex);
    return !(keyCode >= 55 && keyCode <= 63) && !m_noRepeat.contains(keyCode);
}

void VirtualPlatform::userSetsKeyRepeat(uint16_t keyCode, bool on)
{
    std::lock_guard lock(m_mutex);
    m_repeatLent.remove(keyCode);
    if (on)
        m_noRepeat.remove(keyCode);
    else
        m_noRepeat.insert(keyCode);
}

int VirtualPlatform::postMouseButton(Button button, const QPointF& at, bool down)
{
    std::lock_guard lock(m_mutex);
    PostedEvent e = eventOfKind(down ? PostedEvent::MouseDown : PostedEvent::MouseUp);
    e.button = button;
    e.point = at;
    m_log.append(e);
    m_pointer = at;
    return 0;
}

int VirtualPlatform::postMouseMove(const QPointF& to, bool dragging)
{
    std::lock_guard lock(m_mutex);
    PostedEvent e = eventOfKind(dragging ? PostedEvent::MouseDrag : PostedEvent::MouseMove);
    e.point = to;
    m_log.append(e);
    m_pointer = to;
    return 0;
}

int VirtualPlatform::postScroll(int wheelCount, int32_t vertical, int32_t horizontal)
{
    std::lock_guard lock(m_mutex);
    PostedEvent e = eventOfKind(PostedEvent::Scroll);
    e.wheelCount = wheelCount;
    e.vertical = vertical;
    e.horizontal = horizontal;
    m_log.append(e);
    return 0;
}

EventPoster::KeyMap VirtualPlatform::heldKeys()
{
    ++m_heldKeysQueries;
    std::lock_guard lock(m_mutex);
    KeyMap map{};
    for (uint16_t k : std::as_const(m_held)) {
        if (k < 128)
            map[k / 8] |= uint8_t(1u << (k % 8));
    }
    return map;
}

void VirtualPlatform::beginExclusive()
{
    std::lock_guard lock(m_mutex);
    ++m_exclusive;
    m_log.append(eventOfKind(PostedEvent::ExclusiveBegin));
}

void VirtualPlatform::endExclusive()
{
    std::lock_guard lock(m_mutex);
    --m_exclusive;
    m_log.append(eventOfKind(PostedEvent::ExclusiveEnd));
}

bool VirtualPlatform::post(const QString& name, const QVariantMap& userInfo)
{
    {
        std::lock_guard lock(m_mutex);
        m_posted.append({name, userInfo});
    }
    NotificationSender sender;
    {
        std::lock_guard lock(m_mutex);
        sender = m_postSender;
    }
    // Delivered outside the lock: observers may post or query in turn.
    m_distributed.post(name, &sender, userInfo);
    return true;
}

ObserverHandle VirtualPlatform::addObserver(const QString& name, Observer observer)
{
    return m_distributed.addObserver(name, nullptr, [observer = std::move(observer)](const Notification& n) {
        observer(n.name, n.userInfo);
    });
}

ObserverHandle VirtualPlatform::addObserverWithSender(const QString& name, SenderObserver observer)
{
    return m_distributed.addObserver(name, nullptr, [observer = std::move(observer)](const Notification& n) {
        const auto* sender = static_cast<const NotificationSender*>(n.sender);
        observer(n.name, n.userInfo, sender ? *sender : NotificationSender());
    });
}

void VirtualPlatform::setPostSender(const NotificationSender& sender)
{
    std::lock_guard lock(m_mutex);
    m_postSender = sender;
}

QList<PostedEvent> VirtualPlatform::eventLog() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

QStringList VirtualPlatform::eventLogStrings() const
{
    QStringList out;
    for (const PostedEvent& e : eventLog())
        out << e.toString();
    return out;
}

void VirtualPlatform::clearEventLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

void VirtualPlatform::userPressesKey(uint16_t keyCode)
{
    {
        std::lock_guard lock(m_mutex);
        m_held.insert(keyCode);
    }
    m_keys.post(QStringLiteral("key"), nullptr, {{QStringLiteral("code"), keyCode}, {QStringLiteral("down"), true}});
}

void VirtualPlatform::userReleasesKey(uint16_t keyCode)
{
    {
        std::lock_guard lock(m_mutex);
        m_held.remove(keyCode);
    }
    m_keys.post(QStringLiteral("key"), nullptr, {{QStringLiteral("code"), keyCode}, {QStringLiteral("down"), false}});
}

ObserverHandle VirtualPlatform::observeKeys(std::function<void(uint16_t, bool)> observer)
{
    return m_keys.addObserver(QStringLiteral("key"), nullptr, [observer](const Notification& n) {
        observer(uint16_t(n.userInfo.value(QStringLiteral("code")).toUInt()), n.userInfo.value(QStringLiteral("down")).toBool());
    });
}

int VirtualPlatform::exclusiveDepth() const
{
    std::lock_guard lock(m_mutex);
    return m_exclusive;
}

QPointF VirtualPlatform::pointerPosition() const
{
    std::lock_guard lock(m_mutex);
    return m_pointer;
}

std::optional<QPointF> VirtualPlatform::pointerLocation() { return pointerPosition(); }

void VirtualPlatform::userMovesPointer(const QPointF& to)
{
    std::lock_guard lock(m_mutex);
    m_pointer = to;
}

QList<VirtualPlatform::Posted> VirtualPlatform::postedNotifications() const
{
    std::lock_guard lock(m_mutex);
    return m_posted;
}

void VirtualPlatform::clearPostedNotifications()
{
    std::lock_guard lock(m_mutex);
    m_posted.clear();
}

std::unique_ptr<Platform> makeVirtualPlatform()
{
    return std::make_unique<VirtualPlatform>();
}

} // namespace zelk
