#include "ui/qt/AboutBox.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ui/StoredTexts.h"
#include "ui/qt/Artwork.h"
#include "ui/qt/DialogUnits.h"

namespace {
QLabel* AddLabel(QWidget* parent, const char* name, QRect rect, const std::string& text) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(rect);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setText(QString::fromStdString(text));
    return label;
}
}  // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    const DialogUnits dlu;
    setFont(DialogUnits::DialogFont());
    setWindowTitle(QStringLiteral("About Tapewren"));
    setFixedSize(dlu.Size(254, 138));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setGeometry(dlu.Rect(8, 7, 20, 20));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    icon->setPixmap(Artwork::Picture(128, 32));

    QLabel* heading = AddLabel(this, "heading", dlu.Rect(42, 7, 171, 8), StoredTexts::HeadingLine());
    heading->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    heading->setWordWrap(false);
    QFont bold = DialogUnits::DialogFont();
    bold.setWeight(QFont::Bold);
    heading->setFont(bold);

    AddLabel(this, "line1074", dlu.Rect(7, 42, 183, 19), StoredTexts::AboutLine(0));
    AddLabel(this, "line1075", dlu.Rect(42, 27, 170, 8), StoredTexts::AboutLine(1));
    AddLabel(this, "line1076", dlu.Rect(67, 17, 121, 8), StoredTexts::AboutLine(2));

    auto* frame = new QGroupBox(this);
    frame->setGeometry(dlu.Rect(7, 60, 240, 54));
    // Created after the frame so that it is drawn on top of it.
    QLabel* small = AddLabel(this, "line1077", dlu.Rect(13, 67, 231, 44), StoredTexts::AboutLine(3));
    QFont smallFont = DialogUnits::DialogFont();
    smallFont.setPixelSize(9);  // 7 points at 96 dpi
    small->setFont(smallFont);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setGeometry(dlu.Rect(95, 119, 65, 16));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
