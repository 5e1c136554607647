#pragma once
// Classes by name. Stored records name their class ("actionclass"); the
// host looks the class object up here. Plug-ins and frameworks register
// their class objects from one C entry point when they are loaded:
//
//   extern "C" ZELK_PLUGIN_EXPORT void zelkRegisterClasses(zelk::ClassRegistry&);
//
// A class object is a long-lived singleton describing one class: its name,
// its superclass's name and the bundle it came from. Frameworks derive their
// metaclasses from ClassObject and add the class operations as virtuals.
#include "Bundle.h"

#include <QString>
#include <QStringList>
#include <mutex>
#include <QHash>

#define ZELK_PLUGIN_EXPORT __attribute__((visibility("default")))

namespace zelk {

class ClassObject {
public:
    virtual ~ClassObject() = default;
    virtual QString className() const = 0;
    virtual QString superclassName() const { return {}; }
    // The bundle that holds the class (set by the registry at registration).
    const Bundle& bundle() const { return m_bundle; }
    void setBundle(const Bundle& b) { m_bundle = b; }

private:
    Bundle m_bundle;
};

class ClassRegistry {
public:
    static ClassRegistry& shared();
    static constexpr const char* EntryPoint = "zelkRegisterClasses";
    // Posted on the default NotificationCenter after a plug-in registered its
    // classes, with the registry as sender and userInfo
    // {"bundlePath": path, "NSLoadedClasses": class names}.
    static constexpr const char* BundleDidLoadNotification = "NSBundleDidLoadNotification";

    // Registers (or replaces) a class object, not owned. Classes registered
    // while a plug-in loads take that plug-in's bundle unless they have one.
    void registerClass(ClassObject* cls);
    void unregisterClass(const QString& name);
    ClassObject* classNamed(const QString& name) const;
    template <class T> T* lookup(const QString& name) const { return dynamic_cast<T*>(classNamed(name)); }
    QStringList classNames() const;

    // Loads a shared object with QLibrary (kept loaded for the process's
    // life), calls its entry point and answers the names it registered. A
    // missing file, a failed load or a missing entry point answers false
    // with the reason in *error. Loading the same file twice is a no-op
    // answering true.
    bool loadPlugin(const QString& path, QStringList* registered = nullptr, QString* error = nullptr);

    // Loads every shared object in a folder, in name order; answers the
    // paths that failed, each logged.
    QStringList loadPluginsInFolder(const QString& folder);

private:
    mutable std::recursive_mutex m_mutex;
    QHash<QString, ClassObject*> m_classes;
    QStringList m_loaded;
    QStringList* m_collecting = nullptr;
    Bundle m_loadingBundle;
};

} // namespace zelk
