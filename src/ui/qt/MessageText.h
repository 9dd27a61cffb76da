#pragma once
// The message dialog's text: a plain-text, word-wrapped label that also
// breaks a word too long for one line (a long path) wherever it must, so
// that no part of a message is ever wider than the label. Text that fits
// is drawn exactly as a word-wrapped QLabel draws it.

#include <QLabel>

class QTextLayout;

class MessageText : public QLabel {
public:
    explicit MessageText(QWidget* parent);

    int heightForWidth(int width) const override;
    // Width of the widest line when only the text's own line breaks count.
    int NaturalWidth() const;

    QSize sizeHint() const override;
    // As narrow as the widest single character.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Lays the text out in lines of `width` pixels; returns the height.
    int LayOut(QTextLayout& layout, qreal width) const;
    // Width of the widest line laid out in lines of `width` pixels.
    int WidestLine(qreal width) const;
};
