#pragma once
// Observers of one kind of event for the linux services, which listen to
// the desktop only while someone observes: changed() runs (on the thread
// that added or dropped an observer) when the first comes and when the last
// goes; any() tells which.
#include "NotificationCenter.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <tuple>

namespace zelk {

template <class... Args>
class ObserverList {
public:
    explicit ObserverList(std::function<void()> changed = {}) : m_state(std::make_shared<State>())
    {
        m_state->changed = std::move(changed);
    }
    ~ObserverList()
    {
        std::lock_guard lock(m_state->mutex);
        m_state->changed = nullptr;
    }
    ObserverList(const ObserverList&) = delete;
    ObserverList& operator=(const ObserverList&) = delete;

    [[nodiscard]] ObserverHandle add(std::function<void(Args...)> observer)
    {
        if (!observer)
            return {};
        // Dropping the handle drops the observer, and with it the token.
        auto token = std::make_shared<Token>(m_state);
        ObserverHandle handle =
            m_center.addObserver({}, nullptr, [observer = std::move(observer), token](const Notification& n) {
                // The arguments travel as the sender: delivery is synchronous.
                std::apply(observer, *static_cast<const std::tuple<Args...>*>(n.sender));
            });
        if (m_state->count.fetch_add(1) == 0)
            m_state->tell();
        return handle;
    }

    // Calls every observer on this thread.
    void notify(Args... args)
    {
        const std::tuple<Args...> arguments(std::move(args)...);
        m_center.post(QString(), &arguments);
    }

    bool any() const { return m_state->count.load() > 0; }

private:
    struct State {
        std::mutex mutex;
        std::atomic<int> count{0};
        std::function<void()> changed;
        void tell()
        {
            std::function<void()> fn;
            {
                std::lock_guard lock(mutex);
                fn = changed;
            }
            if (fn)
                fn();
        }
    };
    struct Token {
        explicit Token(std::weak_ptr<State> s) : state(std::move(s)) {}
        ~Token()
        {
            if (auto s = state.lock(); s && s->count.fetch_sub(1) == 1)
                s->tell();
        }
        std::weak_ptr<State> state;
    };

    NotificationCenter m_center;
    std::shared_ptr<State> m_state;
};

} // namespace zelk
