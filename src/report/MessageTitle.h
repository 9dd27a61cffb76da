#pragma once
// The title a message of each kind is shown under. A kind outside 1..6 keeps
// the message dialog's own title, "Attention:".

#include "report/MessageKind.h"

inline const char* MessageTitle(int kind) {
    switch (kind) {
    case Question: return "Question";
    case Attention: return "Attention";
    case Error: return "Error";
    case Info: return "Info";
    case Success: return "Yeah!";
    case Oops: return "Ooops!";
    default: return "Attention:";
    }
}
