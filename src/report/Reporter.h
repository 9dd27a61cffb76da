#pragma once
// What the layers above the device layer are handed to talk to the user: a
// message sink of their own, the shared status display and the shared byte
// counters.

#include "report/ByteCounters.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
