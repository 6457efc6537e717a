// [X] A first-in, first-out queue of the backend's window events (one thread, no locking)
// [X] One message filter, installed by the controls, consulted before dispatching
#include "platform/win32/win32_events.h"

#include <deque>

namespace drape::platform::win32 {

namespace {

std::deque<Event>& queue() {
    static std::deque<Event> events;
    return events;
}

MessageFilter installedFilter = nullptr;

}  // namespace

void queueEvent(const Event& event) {
    queue().push_back(event);
}

bool takeEvent(Event& out) {
    if (queue().empty()) {
        return false;
    }
    out = queue().front();
    queue().pop_front();
    return true;
}

void setMessageFilter(MessageFilter filter) {
    installedFilter = filter;
}

bool filterMessage(MSG& message) {
    return installedFilter != nullptr && installedFilter(message);
}

}  // namespace drape::platform::win32
