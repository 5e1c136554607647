#pragma once
// The first object of a manager's list for each ID, so that a load, which
// looks every linked object up by ID, is not quadratic in the number of
// objects. Loads append; an insertion elsewhere marks the index stale and
// the next look-up rebuilds it. Callers hold the manager's lock.
#include <QHash>
#include <QList>
#include <memory>

namespace engine {

template <class Object>
class QVObjectIndex {
public:
    using List = QList<std::shared_ptr<Object>>;

    void clear()
    {
        m_first.clear();
        m_stale = false;
    }

    // To be called after list.insert(at, ...).
    void inserted(const List& list, qsizetype at)
    {
        if (m_stale)
            return;
        if (at != list.size() - 1) {
            m_stale = true;
            return;
        }
        add(list.at(at));
    }

    // The first object of the list with that ID, else nullptr.
    std::shared_ptr<Object> find(const List& list, quint32 id)
    {
        if (m_stale) {
            clear();
            for (const std::shared_ptr<Object>& object : list)
                add(object);
        }
        return m_first.value(id);
    }

private:
    void add(const std::shared_ptr<Object>& object)
    {
        if (!m_first.contains(object->IDValue()))
            m_first.insert(object->IDValue(), object);
    }

    QHash<quint32, std::shared_ptr<Object>> m_first;
    bool m_stale = false;
};

} // namespace engine
