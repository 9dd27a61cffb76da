#include "ui/qt/MessageDialog.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include "ui/MessageLook.h"
#include "ui/TonePlayer.h"
#include "ui/qt/AlsaTonePlayer.h"
#include "ui/qt/Artwork.h"
#include "ui/qt/DialogUnits.h"
#include "ui/qt/MessageLayout.h"
#include "ui/qt/MessageText.h"

namespace {
QPushButton* AddButton(QDialog& dialog, const char* name, QRect rect) {
    auto* button = new QPushButton(QStringLiteral("OK"), &dialog);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(rect);
    return button;
}
}  // namespace

MessageDialog::MessageDialog() : player_(&AlsaTonePlayer::Shared()) {}

MessageDialog::MessageDialog(TonePlayer& player) : player_(&player) {}

int MessageDialog::ShowText(const std::string& text, int kind) {
    text_ = text;
    kind_ = kind;
    const MessageLook look = MessageLook::ForKind(kind);
    const DialogUnits dlu;

    QDialog dialog(QApplication::activeWindow());
    dialog.setFont(DialogUnits::DialogFont());

    auto* picture = new QLabel(&dialog);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The text sits in a frameless scroll area, which only shows a scroll
    // bar when the text is taller than the screen allows.
    auto* area = new QScrollArea(&dialog);
    area->setObjectName(QStringLiteral("messageArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* message = new MessageText(&dialog);
    message->setObjectName(QStringLiteral("message"));
    message->setText(QString::fromStdString(text));
    area->setWidget(message);

    const MessageLayout layout(*message, dlu, dialog.screen()->availableGeometry().size(),
                               area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area));
    dialog.setFixedSize(layout.dialog);
    picture->setGeometry(layout.picture);
    area->setGeometry(layout.textArea);
    message->resize(layout.textSize);
    area->setVerticalScrollBarPolicy(layout.scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    // Only a text that scrolls is a stop for Tab, so the keys can scroll it.
    area->setFocusPolicy(layout.scrolls ? Qt::StrongFocus : Qt::NoFocus);

    QPushButton* ok = AddButton(dialog, "ok", layout.ok);
    QPushButton* cancel = AddButton(dialog, "cancel", layout.cancel);
    cancel->setText(QStringLiteral("Cancel"));
    QPushButton* loneOk = AddButton(dialog, "loneOk", layout.loneOk);
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(kMessageOk); });
    QObject::connect(loneOk, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(kMessageOk); });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(kMessageCancel); });

    // The tones sound before the window appears, one after the other.
    for (std::size_t i = 0; i < look.toneCount; ++i) {
        player_->Play(look.tones[i].frequencyHz, look.tones[i].durationMs);
    }
    dialog.setWindowTitle(QString::fromLatin1(look.title));
    picture->setPixmap(Artwork::Picture(look.pictureId));
    ok->setVisible(look.okAndCancel);
    cancel->setVisible(look.okAndCancel);
    loneOk->setVisible(!look.okAndCancel);
    // Enter presses the visible default button; with OK hidden that must be
    // the lone OK so that Enter still answers 1.
    (look.okAndCancel ? ok : loneOk)->setDefault(true);
    (look.okAndCancel ? ok : loneOk)->setFocus();

    // Escape and the close box reject with 0; only OK answers 1.
    return dialog.exec() == kMessageOk ? kMessageOk : kMessageCancel;
}
