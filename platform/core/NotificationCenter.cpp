#include "NotificationCenter.h"

#include <atomic>
#include <map>
#include <mutex>
#include <vector>

namespace zelk {

namespace {
struct Entry {
    QString name;
    const void* sender = nullptr;
    std::shared_ptr<const NotificationCenter::Observer> observer;
    // Cleared on removal, so a delivery already under way skips it.
    std::shared_ptr<std::atomic<bool>> alive;
};
} // namespace

struct NotificationCenter::State {
    std::mutex mutex;
    std::map<quint64, Entry> entries; // ordered by id: observers run in the order they were added
    quint64 nextId = 1;

    void remove(quint64 id)
    {
        std::lock_guard lock(mutex);
        auto it = entries.find(id);
        if (it == entries.end())
            return;
        it->second.alive->store(false);
        entries.erase(it);
    }
};

ObserverHandle::ObserverHandle(ObserverHandle&& o) noexcept : m_center(std::move(o.m_center)), m_id(o.m_id)
{
    o.m_id = 0;
}

ObserverHandle& ObserverHandle::operator=(ObserverHandle&& o) noexcept
{
    if (this != &o) {
        reset();
        m_center = std::move(o.m_center);
        m_id = o.m_id;
        o.m_id = 0;
    }
    return *this;
}

ObserverHandle::~ObserverHandle() { reset(); }

void ObserverHandle::reset()
{
    if (m_id != 0) {
        if (auto center = std::static_pointer_cast<NotificationCenter::State>(m_center.lock()))
            center->remove(m_id);
    }
    m_center.reset();
    m_id = 0;
}

NotificationCenter::NotificationCenter() : d(std::make_shared<State>()) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

ObserverHandle NotificationCenter::addObserver(const QString& name, const void* sender, Observer observer)
{
    if (!observer)
        return {};
    std::lock_guard lock(d->mutex);
    const quint64 id = d->nextId++;
    d->entries.emplace(id, Entry{name, sender, std::make_shared<const Observer>(std::move(observer)),
                                 std::make_shared<std::atomic<bool>>(true)});
    return ObserverHandle(std::weak_ptr<void>(d), id);
}

void NotificationCenter::post(const QString& name, const void* sender, const QVariantMap& userInfo)
{
    post(Notification{name, sender, userInfo});
}

void NotificationCenter::post(const Notification& notification)
{
    // Observers run outside the lock so they may add or remove observers,
    // or post, themselves.
    std::vector<Entry> matching;
    {
        std::lock_guard lock(d->mutex);
        for (const auto& [id, e] : d->entries) {
            if (!e.name.isEmpty() && e.name != notification.name)
                continue;
            if (e.sender && e.sender != notification.sender)
                continue;
            matching.push_back(e);
        }
    }
    for (const Entry& e : matching) {
        if (e.alive->load())
            (*e.observer)(notification);
    }
}

} // namespace zelk
