#pragma once
// The activations that contexts push to a menu or a palette: it is active
// while more have been pushed on than off, and an off with none left
// changes nothing. Pushed from any thread.
#include <mutex>

namespace engine {

class QVActivationCount {
public:
    // Answers whether the object switched: on at the first, off at the last.
    bool push(bool activated)
    {
        std::lock_guard lock(m_mutex);
        if (activated)
            return m_count++ == 0;
        if (m_count < 1)
            return false;
        return --m_count == 0;
    }
    bool isActive() const
    {
        std::lock_guard lock(m_mutex);
        return m_count > 0;
    }
    int count() const
    {
        std::lock_guard lock(m_mutex);
        return m_count;
    }

private:
    mutable std::mutex m_mutex;
    int m_count = 0;
};

} // namespace engine
