#pragma once
// One message to the user: its id, its kind, its text (MessageTable.h
// holds the texts) and what filled the text's "%s" in, so that a face can
// word the same message its own way; when it reports a failed tape command,
// that command's outcome and the file record it was about.

#include <string>
#include <vector>

#include "report/CommandFailure.h"
#include "report/MessageTable.h"

struct Message {
    MessageId id = MessageId::Count;  // every message shown has its own
    int kind = 0;
    std::string text;
    CommandFailure failure;
    std::vector<std::string> args;
    int record = 0;  // the file record on tape (from 1), 0: none or not known
};
