#include "ObjectDirectory.h"

#include "QVContext.h"
#include "QVEAction.h"
#include "QVLauncher.h"
#include "QVMenu.h"
#include "QVShortcut.h"

namespace editor {

namespace {
ObjectDirectory* g_shared = nullptr; // main thread only
}

ObjectDirectory* ObjectDirectory::shared() { return g_shared; }
void ObjectDirectory::setShared(ObjectDirectory* directory) { g_shared = directory; }

void linkObjects(const QList<ObjectRef>& refs, zelk::QVEMainObject* user, bool add)
{
    ObjectDirectory* directory = ObjectDirectory::shared();
    if (!directory)
        return;
    // Both kinds of linkable object answer the same two calls.
    const auto apply = [&](auto* object) {
        if (!object)
            return;
        if (add)
            object->addLinkedObject(user);
        else
            object->removeLinkedObject(user);
    };
    for (const ObjectRef& ref : refs) {
        switch (ref.kind) {
        case ObjectRef::Action:
            apply(directory->actionWithID(ref.id));
            break;
        case ObjectRef::Launcher:
            apply(directory->launcherWithID(ref.id));
            break;
        case ObjectRef::Context:
            apply(directory->contextWithID(ref.id));
            break;
        case ObjectRef::Shortcut:
            apply(directory->shortcutWithID(ref.id));
            break;
        case ObjectRef::Menu:
            apply(directory->menuWithID(ref.id));
            break;
        }
    }
}

} // namespace editor
