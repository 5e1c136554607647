#pragma once
// The launchers and contexts that a menu or a palette links to: read from
// its record's references (active ones only; a reference to a launcher or
// context that is not there is left out), linked to the object, switched
// with its activation and unlinked before it goes.
#include <QList>
#include <QVariantMap>
#include <memory>

namespace engine {

class QVContext;
class QVLauncher;
class QVLinkedObject;

class QVObjectLinks {
public:
    // launchersKey holds LauncherRefs, contextsKey ContextRefs.
    void link(const QVariantMap& record, const QString& launchersKey, const QString& contextsKey,
              const std::shared_ptr<QVLinkedObject>& object);
    void unlink(const QVLinkedObject* object);
    // Every launcher's activateObject or deactivateObject with the object.
    void switchLaunchers(const QVLinkedObject* object, bool activated) const;

    const QList<std::shared_ptr<QVLauncher>>& launchers() const { return m_launchers; }
    const QList<std::shared_ptr<QVContext>>& contexts() const { return m_contexts; }

private:
    QList<std::shared_ptr<QVLauncher>> m_launchers;
    QList<std::shared_ptr<QVContext>> m_contexts;
};

} // namespace engine
