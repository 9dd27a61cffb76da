#pragma once

// What a message is; decides title, picture, tones and buttons.
enum MessageKind : int {
    Question = 1,
    Attention = 2,
    Error = 3,
    Info = 4,
    Success = 5,
    Oops = 6,
};

// Results of ShowMessage.
inline constexpr int kMessageOk = 1;
inline constexpr int kMessageCancel = 2;
