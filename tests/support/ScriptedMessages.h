#pragma once
// A MessageSink for tests: records every message and answers from a queue
// (kMessageOk when the queue is empty).

#include <deque>
#include <string>
#include <vector>

#include "report/MessageSink.h"

struct RecordedMessage {
    std::string text;
    int kind;
    bool operator==(const RecordedMessage&) const = default;
};

class ScriptedMessages : public MessageSink {
public:
    int Show(const Message& message) override {
        ids.push_back(message.id);
        return Answer(message.text, message.kind);
    }
    // What a test that logs messages sees of each.
    virtual int Answer(const std::string& text, int kind) {
        shown.push_back({text, kind});
        if (answers.empty()) return kMessageOk;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<int> answers;
    std::vector<RecordedMessage> shown;
    std::vector<MessageId> ids;
};
