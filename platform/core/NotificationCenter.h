#pragma once
// The process's local notification centre: observers by name (and
// optionally sender), delivered synchronously on the posting thread.
//
// addObserver answers a handle; dropping the handle removes the observer, so
// nothing stays registered after its owner is gone. Observers may be added
// and removed from any thread and from inside a delivery: a post delivers to
// the observers registered when it began, skipping any removed meanwhile. A
// removal does not wait for a delivery already running on another thread.
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>

namespace zelk {

struct Notification {
    QString name;
    const void* sender = nullptr;
    QVariantMap userInfo;
};

class NotificationCenter;

class ObserverHandle {
public:
    ObserverHandle() = default;
    ObserverHandle(ObserverHandle&&) noexcept;
    ObserverHandle& operator=(ObserverHandle&&) noexcept;
    ObserverHandle(const ObserverHandle&) = delete;
    ObserverHandle& operator=(const ObserverHandle&) = delete;
    ~ObserverHandle();
    void reset();
    explicit operator bool() const { return m_id != 0; }

private:
    friend class NotificationCenter;
    ObserverHandle(std::weak_ptr<void> center, quint64 id) : m_center(std::move(center)), m_id(id) {}
    std::weak_ptr<void> m_center;
    quint64 m_id = 0;
};

class NotificationCenter {
public:
    using Observer = std::function<void(const Notification&)>;

    NotificationCenter();
    ~NotificationCenter();
    static NotificationCenter& defaultCenter();

    // An empty name observes every notification; a null sender any sender.
    [[nodiscard]] ObserverHandle addObserver(const QString& name, const void* sender, Observer observer);
    void post(const QString& name, const void* sender = nullptr, const QVariantMap& userInfo = {});
    void post(const Notification& notification);

private:
    friend class ObserverHandle;
    struct State;
    std::shared_ptr<State> d;
};

} // namespace zelk
