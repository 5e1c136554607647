#pragma once
// Calendar store changes from Evolution Data Server on the session bus,
// while anyone observes. Its source registry ("...dataserver.SourcesN")
// lists the calendars and task lists; each is opened through the calendar
// factory ("...dataserver.CalendarN") and watched through a view of all
// its objects. A source added, removed or changed is kind 0 (calendars),
// an object added, changed or removed in a task list kind 1 (tasks), in a
// calendar kind 2 (events). The objects a view lists when it starts are
// not changes: a view's news count once it says it is complete. The
// service does not say which program made a change: the sender is empty.
// Without the service no change arrives; that is logged once.
#include "DesktopServices.h"

#include <memory>

namespace zelk {

class LinuxCalendar : public CalendarService {
public:
    LinuxCalendar();
    ~LinuxCalendar() override;
    [[nodiscard]] ObserverHandle observe(std::function<void(int kind, const QString& senderProcess)> observer) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zelk
