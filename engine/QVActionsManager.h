#pragma once
// The engine's actions: one action object per record of Actions.plist, of
// the class the record names (or the base QVAction when that class is not
// installed, after telling the application once per class name).
#include "QVObjectIndex.h"

#include <QList>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <mutex>

namespace zelk {
class QVAction;
}

namespace engine {

class QVActionsManager {
public:
    static QVActionsManager& sharedManager();

    // Drops every action until the next setActions().
    void resetActions();
    // A new list built from the records, in order.
    void setActions(const QVariantList& records);
    void addActionObject(const QVariantMap& record);
    // A record marked "actionnotused" builds nothing.
    void insertActionObject(const QVariantMap& record, qsizetype atIndex);

    std::shared_ptr<zelk::QVAction> actionWithID(quint32 actionID) const;
    QList<std::shared_ptr<zelk::QVAction>> actionsArray() const;

private:
    QVActionsManager() = default;
    mutable std::mutex m_mutex;
    QList<std::shared_ptr<zelk::QVAction>> m_actions; // AMActionsArray
    mutable QVObjectIndex<zelk::QVAction> m_byID;
};

} // namespace engine
