#pragma once
// The one way to tell the user something or ask a yes-or-no question. Each
// object that reports errors owns (or is handed) its own sink; the window
// implements it with its message dialog, the command line with a prompt,
// tests with a scripted fake.

#include <string>

#include "report/MessageKind.h"

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Returns kMessageOk (1) when the user confirmed, kMessageCancel (2)
    // otherwise. Kinds outside 1..6 are shown as they come.
    virtual int ShowMessage(const std::string& text, int kind) = 0;
};
