#pragma once
// The one way to tell the user something or ask a yes-or-no question. Each
// object that reports errors owns (or is handed) its own sink; the window
// implements it with its message dialog, the command line with a prompt,
// tests with a scripted fake.

#include <initializer_list>
#include <string>
#include <string_view>

#include "report/Message.h"
#include "report/MessageKind.h"
#include "report/MessageTable.h"

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Returns kMessageOk (1) when the user confirmed, kMessageCancel (2)
    // otherwise. Kinds outside 1..6 are shown as they come.
    virtual int Show(const Message& message) = 0;

    // The table's text for id (its "%s" filled from args) and its kind.
    int ShowMessage(MessageId id, std::initializer_list<std::string_view> args = {}) {
        return Show(Make(id, MessageInfo(id).kind, args));
    }
    // Another kind than the table's.
    int ShowMessage(MessageId id, int kind, std::initializer_list<std::string_view> args = {}) {
        return Show(Make(id, kind, args));
    }
    // A message that reports a failed tape command; record: the file record
    // it was about (0: none).
    int ShowFailure(MessageId id, const CommandFailure& failure, std::initializer_list<std::string_view> args = {},
                    int record = 0) {
        Message message = Make(id, MessageInfo(id).kind, args);
        message.failure = failure;
        message.record = record;
        return Show(message);
    }

    static Message Make(MessageId id, int kind, std::initializer_list<std::string_view> args) {
        Message message{id, kind, FormatMessage(id, args), {}, {}, 0};
        for (std::string_view arg : args) message.args.emplace_back(arg);
        return message;
    }
};
