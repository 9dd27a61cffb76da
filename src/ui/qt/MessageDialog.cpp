#include "ui/qt/MessageDialog.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "ui/MessageLook.h"
#include "ui/TonePlayer.h"
#include "ui/qt/AlsaTonePlayer.h"
#include "ui/qt/Artwork.h"
#include "ui/qt/DialogUnits.h"

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

int MessageDialog::ShowMessage(const std::string& text, int kind) {
    text_ = text;
    kind_ = kind;
    const MessageLook look = MessageLook::ForKind(kind);
    const DialogUnits dlu;

    QDialog dialog(QApplication::activeWindow());
    dialog.setFont(DialogUnits::DialogFont());
    dialog.setFixedSize(dlu.Size(194, 79));

    auto* picture = new QLabel(&dialog);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setGeometry(dlu.Rect(13, 10, 21, 20));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Plain text: a message may hold "<" or "&" and must show them as they are.
    auto* message = new QLabel(&dialog);
    message->setObjectName(QStringLiteral("message"));
    message->setGeometry(dlu.Rect(47, 10, 140, 41));
    message->setTextFormat(Qt::PlainText);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message->setWordWrap(true);
    message->setText(QString::fromStdString(text));

    QPushButton* ok = AddButton(dialog, "ok", dlu.Rect(40, 57, 50, 15));
    QPushButton* cancel = AddButton(dialog, "cancel", dlu.Rect(99, 57, 50, 15));
    cancel->setText(QStringLiteral("Cancel"));
    QPushButton* loneOk = AddButton(dialog, "loneOk", dlu.Rect(137, 57, 50, 15));
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
