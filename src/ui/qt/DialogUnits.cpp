#include "ui/qt/DialogUnits.h"

#include <QFontMetrics>
#include <cstdint>

QFont DialogUnits::DialogFont() {
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setPixelSize(11);
    return font;
}

DialogUnits::DialogUnits() : DialogUnits(DialogFont()) {}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int advance = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (advance / 26 + 1) / 2;
    baseY_ = metrics.height();
}

int DialogUnits::MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = (c < 0 ? -c : c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = (product < 0 ? -product : product) + half;
    const std::int64_t quotient = magnitude / (c < 0 ? -c : c);
    const std::int64_t result = negative ? -quotient : quotient;
    if (result > INT32_MAX || result < INT32_MIN) return -1;  // as MulDiv answers an overflow
    return static_cast<int>(result);
}

int DialogUnits::X(int dlu) const { return MulDiv(dlu, baseX_, 4); }

int DialogUnits::Y(int dlu) const { return MulDiv(dlu, baseY_, 8); }

QRect DialogUnits::Rect(int x, int y, int w, int h) const {
    return QRect(X(x), Y(y), X(w), Y(h));
}

QSize DialogUnits::Size(int w, int h) const { return QSize(X(w), Y(h)); }
