#include "ui/MessageLook.h"

#include "report/MessageKind.h"

MessageLook MessageLook::ForKind(int kind) {
    switch (kind) {
    case Question:
        return {"Question", 136, {{{1000, 50}, {2000, 50}}}, 2, true};
    case Attention:
        return {"Attention", 143, {{{400, 200}}}, 1, false};
    case Error:
        return {"Error", 144, {{{400, 200}}}, 1, false};
    case Info:
        return {"Info", 145, {}, 0, false};
    case Success:
        return {"Yeah!", 146, {{{800, 50}, {1200, 50}, {1600, 50}, {1200, 100}}}, 4, false};
    case Oops:
        return {"Ooops!", 151, {{{800, 50}, {1600, 50}}}, 2, false};
    default:
        return {"Attention:", 144, {}, 0, true};
    }
}
