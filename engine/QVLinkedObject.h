#pragma once
// What launchers and contexts drive: the engine's shortcuts, menus and
// palettes. Launchers and contexts hold their linked objects strongly; the
// managers break the cycles when they drop their objects on a reload.
#include <memory>

namespace engine {

class QVLinkedObject : public std::enable_shared_from_this<QVLinkedObject> {
public:
    virtual ~QVLinkedObject() = default;
    // Run (a shortcut starts its run thread, or stops a run going on; a
    // menu pops up; a palette shows or hides). Inactive objects ignore it.
    virtual void runObject() = 0;
    // Counted activation pushed by the contexts.
    virtual void setObjectActivated(bool activated) = 0;
    // Is a run going on? (Sleep and shut-down launchers wait for it.)
    virtual bool canGoRunning() { return false; }
};

} // namespace engine
