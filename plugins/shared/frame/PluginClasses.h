#pragma once
// The class objects a plug-in's types register as the library loads, kept in
// order until the host asks for them through the plug-in's entry point.
// ClassObject is the side's class-object type (QVEActionClass or
// QVActionClass).
#include "ActionTypeNames.h"
#include "Bundle.h"
#include "ClassRegistry.h"
#include "Log.h"

#include <QList>
#include <mutex>

namespace zelk {

template <class ClassObject>
class PluginClasses {
public:
    PluginClasses(const char* plugin, const Bundle& (*bundle)()) : m_plugin(plugin), m_bundle(bundle) {}

    // Adds cls once (nothing for nullptr). A class without a bundle gets the
    // plug-in's before the registry sees it, so it reads its own tables
    // however it is reached.
    void add(ClassObject* cls, const char* method)
    {
        if (!cls)
            return;
        if (!isActionTypeName(cls->className()))
            zlog(m_plugin, method) << "unknown action type" << cls->className();
        giveBundle(cls);
        std::lock_guard lock(m_mutex);
        if (!m_classes.contains(cls))
            m_classes.append(cls);
    }

    QList<ClassObject*> classes() const
    {
        std::lock_guard lock(m_mutex);
        return m_classes;
    }

    // What the entry point does: every class, with the plug-in's bundle,
    // into the host's registry.
    void registerAll(ClassRegistry& registry) const
    {
        for (ClassObject* cls : classes()) {
            giveBundle(cls);
            registry.registerClass(cls);
        }
    }

private:
    void giveBundle(ClassObject* cls) const
    {
        if (!cls->bundle().isValid())
            cls->setBundle(m_bundle());
    }

    const char* m_plugin;
    const Bundle& (*m_bundle)();
    mutable std::mutex m_mutex;
    QList<ClassObject*> m_classes;
};

} // namespace zelk
