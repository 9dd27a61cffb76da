#include "ui/MessageLook.h"

#include "report/MessageTitle.h"

MessageLook MessageLook::ForKind(int kind) {
    const char* title = MessageTitle(kind);
    switch (kind) {
    case Question:
        return {title, 136, {{{1000, 50}, {2000, 50}}}, 2, true};
    case Attention:
        return {title, 143, {{{400, 200}}}, 1, false};
    case Error:
        return {title, 144, {{{400, 200}}}, 1, false};
    case Info:
        return {title, 145, {}, 0, false};
    case Success:
        return {title, 146, {{{800, 50}, {1200, 50}, {1600, 50}, {1200, 100}}}, 4, false};
    case Oops:
        return {title, 151, {{{800, 50}, {1600, 50}}}, 2, false};
    default:
        return {title, 144, {}, 0, true};
    }
}
