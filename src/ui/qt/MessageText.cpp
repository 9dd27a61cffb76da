#include "ui/qt/MessageText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace {
// Wide enough that no line wraps.
constexpr qreal kUnwrapped = 0x01000000;
}  // namespace

MessageText::MessageText(QWidget* parent) : QLabel(parent) {
    // Plain text: a message may hold "<" or "&" and must show them as they are.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
}

int MessageText::LayOut(QTextLayout& layout, qreal width) const {
    // The same text preparation, tab stops and line placement as QLabel's
    // own drawing, so that a short message looks as it always did.
    QString text = this->text();
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    QTextOption option(alignment());
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(qRound(QFontMetricsF(font()).horizontalAdvance(QLatin1Char('x')) * 8.0));
    layout.setText(text);
    layout.setFont(font());
    layout.setTextOption(option);

    const qreal leading = QFontMetricsF(font()).leading();
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (line.lineNumber() > 0) height += leading;
        height = std::ceil(height);  // each line on whole pixels
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return static_cast<int>(std::ceil(height));
}

int MessageText::heightForWidth(int width) const {
    QTextLayout layout;
    const QMargins m = contentsMargins();
    return LayOut(layout, qMax(0, width - m.left() - m.right())) + m.top() + m.bottom();
}

int MessageText::WidestLine(qreal width) const {
    QTextLayout layout;
    LayOut(layout, width);
    qreal widest = 0;
    for (int i = 0; i < layout.lineCount(); ++i) widest = qMax(widest, layout.lineAt(i).naturalTextWidth());
    const QMargins m = contentsMargins();
    return static_cast<int>(std::ceil(widest)) + m.left() + m.right();
}

int MessageText::NaturalWidth() const { return WidestLine(kUnwrapped); }

QSize MessageText::sizeHint() const {
    const int width = NaturalWidth();
    return QSize(width, heightForWidth(width));
}

QSize MessageText::minimumSizeHint() const {
    // Lines of no width hold one character each.
    const QMargins m = contentsMargins();
    return QSize(WidestLine(0), QFontMetrics(font()).height() + m.top() + m.bottom());
}

void MessageText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    QTextLayout layout;
    LayOut(layout, area.width());
    painter.setPen(QPen(palette().brush(foregroundRole()), painter.pen().widthF()));
    layout.draw(&painter, area.topLeft());
}
