// The one event queue of the win32 backend. Window procedures (the program window's, the
// settings and viewer windows') turn what they receive into `Event`s here, and
// `Windowing::waitEvent` hands them out oldest first, so the program keeps a single loop.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace drape::platform::win32 {

void queueEvent(const Event& event);
// Takes the oldest queued event; false when none is waiting.
bool takeEvent(Event& out);

// A hook that sees each message before it is dispatched and returns true when it handled it
// (the controls install `IsDialogMessageW` for their windows, which gives Tab its meaning).
using MessageFilter = bool (*)(MSG& message);
void setMessageFilter(MessageFilter filter);
bool filterMessage(MSG& message);

}  // namespace drape::platform::win32
