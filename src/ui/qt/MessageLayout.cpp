#include "ui/qt/MessageLayout.h"

#include <algorithm>

#include "ui/qt/DialogUnits.h"
#include "ui/qt/MessageText.h"

namespace {
// Room left on the screen for the window's title bar and borders, in dialog units.
constexpr int kFrameWidthDlu = 16;
constexpr int kFrameHeightDlu = 32;
}  // namespace

MessageLayout::MessageLayout(const MessageText& text, const DialogUnits& dlu, QSize available, int scrollBarWidth) {
    // The template: a 194 x 79 dialog with the text at 47,10,140,41.
    const QSize templateSize = dlu.Size(194, 79);
    const QRect templateText = dlu.Rect(47, 10, 140, 41);
    const int aroundWidth = templateSize.width() - templateText.width();
    const int aroundHeight = templateSize.height() - templateText.height();
    const int widest = std::max(
        templateText.width(),
        std::min(dlu.X(kWidestTextDlu), available.width() - dlu.X(kFrameWidthDlu) - aroundWidth));
    const int tallest =
        std::max(templateText.height(), available.height() - dlu.Y(kFrameHeightDlu) - aroundHeight);

    int width = templateText.width();
    if (text.heightForWidth(width) > templateText.height())
        width = std::clamp(text.NaturalWidth(), templateText.width(), widest);
    int height = std::max(templateText.height(), text.heightForWidth(width));
    textSize = QSize(width, height);
    if (height > tallest) {
        scrolls = true;
        height = tallest;
        const int beside = std::max(1, width - scrollBarWidth);
        textSize = QSize(beside, text.heightForWidth(beside));
    }

    const int wider = width - templateText.width();
    const int taller = height - templateText.height();
    dialog = templateSize + QSize(wider, taller);
    picture = dlu.Rect(13, 10, 21, 20);
    textArea = QRect(templateText.topLeft(), QSize(width, height));
    ok = dlu.Rect(40, 57, 50, 15).translated(wider / 2, taller);
    cancel = dlu.Rect(99, 57, 50, 15).translated(wider / 2, taller);
    loneOk = dlu.Rect(137, 57, 50, 15).translated(wider, taller);
}
