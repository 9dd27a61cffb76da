#pragma once
// The program's message dialog: shows a text with the kind's title,
// picture, tones and buttons, modally over the active window, and returns
// kMessageOk (OK, lone OK, Enter) or kMessageCancel (Cancel, Escape, close
// box). Each owner keeps its own instance; the window exists only while
// Show runs. The window grows to show all of a long text (see
// MessageLayout). Child objectNames for tests: "ok", "cancel", "loneOk",
// "message", "messageArea" (the scroll area around "message"), "picture".

#include <string>

#include "report/MessageSink.h"

class TonePlayer;

class MessageDialog : public MessageSink {
public:
    // Plays through the process's shared sound player.
    MessageDialog();
    // Plays through the given player (tests record instead of playing);
    // the player must outlive this object.
    explicit MessageDialog(TonePlayer& player);

    int Show(const Message& message) override { return ShowText(message.text, message.kind); }
    // The dialog for this text and kind.
    int ShowText(const std::string& text, int kind);

    // The last text and kind shown.
    const std::string& Text() const { return text_; }
    int Kind() const { return kind_; }

private:
    TonePlayer* player_;
    std::string text_;
    int kind_ = 0;
};
