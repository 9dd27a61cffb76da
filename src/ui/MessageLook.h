#pragma once
// What each message kind looks and sounds like: window title, picture,
// tones in order and buttons. A kind outside 1..6 keeps the dialog's own
// look: title "Attention:", the lightning picture, OK and Cancel, no tones.

#include <array>
#include <cstddef>

struct Tone {
    int frequencyHz;
    int durationMs;
    bool operator==(const Tone&) const = default;
};

struct MessageLook {
    static constexpr std::size_t kMaxTones = 4;

    const char* title;
    int pictureId;  // icon resource number: 136, 143, 144, 145, 146 or 151
    std::array<Tone, kMaxTones> tones;
    std::size_t toneCount;
    bool okAndCancel;  // false: the lone OK button only

    static MessageLook ForKind(int kind);
};
