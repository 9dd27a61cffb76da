#pragma once
// Where the message dialog's controls go. A text that fits the template's
// label keeps the template's layout exactly. A longer one first widens the
// text (up to kWidestTextDlu), then lengthens it, as far as the screen
// allows; past that the text scrolls. The buttons move down with the
// text's bottom; OK and Cancel stay centred as in the template, the lone OK
// keeps its distance from the right edge.

#include <QRect>
#include <QSize>

class DialogUnits;
class MessageText;

class MessageLayout {
public:
    // The widest the text grows, in dialog units: about 70 characters.
    static constexpr int kWidestTextDlu = 280;

    // `available` is the screen area the window may take, frame included;
    // `scrollBarWidth` what a vertical scroll bar takes from the text.
    MessageLayout(const MessageText& text, const DialogUnits& dlu, QSize available, int scrollBarWidth);

    QSize dialog;
    QRect picture;
    QRect textArea;  // the visible part of the text
    QSize textSize;  // all of the text; taller than textArea when it scrolls
    QRect ok;
    QRect cancel;
    QRect loneOk;
    bool scrolls = false;
};
