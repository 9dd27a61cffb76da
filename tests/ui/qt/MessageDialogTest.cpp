#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "DialogAnswerer.h"
#include "RecordingTonePlayer.h"
#include "jobs/JobSummary.h"
#include "report/MessageKind.h"
#include "ui/MessageLook.h"
#include "ui/qt/Artwork.h"
#include "ui/qt/DialogUnits.h"
#include "ui/qt/MessageLayout.h"
#include "ui/qt/MessageDialog.h"

namespace {
// What the user saw when the dialog was up.
struct Seen {
    QString title;
    bool ok = false;
    bool cancel = false;
    bool loneOk = false;
    QImage picture;
    QString text;
    QSize size;
    std::size_t tonesBeforeShown = 0;
    QWidget* owner = nullptr;
};

QPushButton* Button(QWidget* dialog, const char* name) {
    return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
}

// Number of separate bands of ink rows in a rendered label: one per line.
int TextLines(QLabel* label) {
    const QImage image = label->grab().toImage();
    const QColor background = image.pixelColor(image.width() - 1, image.height() - 1);
    int lines = 0;
    bool inLine = false;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < image.width() && !ink; ++x) {
            ink = image.pixelColor(x, y).lightness() < background.lightness() - 60;
        }
        if (ink && !inLine) ++lines;
        inLine = ink;
    }
    return lines;
}
}  // namespace

class MessageDialogTest : public testing::Test {
protected:
    // Shows the message and answers it with `action` after noting what was shown.
    int Show(const std::string& text, int kind, DialogAnswerer::Action action) {
        answerer.Answer([this, action](QWidget* dialog) {
            seen.title = dialog->windowTitle();
            seen.ok = Button(dialog, "ok")->isVisible();
            seen.cancel = Button(dialog, "cancel")->isVisible();
            seen.loneOk = Button(dialog, "loneOk")->isVisible();
            seen.picture = dialog->findChild<QLabel*>("picture")->pixmap().toImage();
            seen.text = dialog->findChild<QLabel*>("message")->text();
            seen.size = dialog->size();
            seen.tonesBeforeShown = player.played.size();
            seen.owner = dialog->parentWidget();
            action(dialog);
        });
        const int result = dialog.ShowText(text, kind);
        EXPECT_TRUE(answerer.Answered()) << "the dialog never appeared";
        return result;
    }

    static void Click(QWidget* dialog, const char* name) { Button(dialog, name)->click(); }

    RecordingTonePlayer player;
    MessageDialog dialog{player};
    DialogAnswerer answerer;
    Seen seen;
};

struct KindCase {
    int kind;
    const char* title;
    bool okAndCancel;
    std::vector<Tone> tones;
};

class MessageDialogKinds : public MessageDialogTest, public testing::WithParamInterface<KindCase> {};

TEST_P(MessageDialogKinds, ShowsTitleButtonsPictureAndPlaysTonesFirst) {
    const KindCase& c = GetParam();
    const char* confirm = c.okAndCancel ? "ok" : "loneOk";
    EXPECT_EQ(Show("Tape rewound.", c.kind, [confirm](QWidget* d) { Click(d, confirm); }), kMessageOk);
    EXPECT_EQ(seen.title, QString::fromLatin1(c.title));
    EXPECT_EQ(seen.ok, c.okAndCancel);
    EXPECT_EQ(seen.cancel, c.okAndCancel);
    EXPECT_EQ(seen.loneOk, !c.okAndCancel);
    EXPECT_EQ(seen.picture, Artwork::MessageIcon(c.kind).toImage());
    EXPECT_EQ(seen.text, QStringLiteral("Tape rewound."));
    EXPECT_EQ(player.played, c.tones);
    EXPECT_EQ(seen.tonesBeforeShown, c.tones.size()) << "tones must have sounded before the window shows";
    EXPECT_EQ(dialog.Kind(), c.kind);
    EXPECT_EQ(dialog.Text(), "Tape rewound.");
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, MessageDialogKinds,
    testing::Values(KindCase{Question, "Question", true, {{1000, 50}, {2000, 50}}},
                    KindCase{Attention, "Attention", false, {{400, 200}}},
                    KindCase{Error, "Error", false, {{400, 200}}},
                    KindCase{Info, "Info", false, {}},
                    KindCase{Success, "Yeah!", false, {{800, 50}, {1200, 50}, {1600, 50}, {1200, 100}}},
                    KindCase{Oops, "Ooops!", false, {{800, 50}, {1600, 50}}},
                    KindCase{0, "Attention:", true, {}},
                    KindCase{7, "Attention:", true, {}},
                    KindCase{-1, "Attention:", true, {}}),
    [](const testing::TestParamInfo<KindCase>& info) {
        const int kind = info.param.kind;
        return kind < 0 ? std::string("KindMinus1") : "Kind" + std::to_string(kind);
    });

TEST_F(MessageDialogTest, EachKindHasItsOwnPicture) {
    for (int a = 1; a <= 6; ++a) {
        for (int b = a + 1; b <= 6; ++b) {
            EXPECT_NE(Artwork::MessageIcon(a).toImage(), Artwork::MessageIcon(b).toImage()) << a << " " << b;
        }
    }
    // Unknown kinds keep the template's lightning, the Error picture.
    EXPECT_EQ(Artwork::MessageIcon(0).toImage(), Artwork::MessageIcon(Error).toImage());
    EXPECT_EQ(Artwork::MessageIcon(7).toImage(), Artwork::MessageIcon(Error).toImage());
}

TEST_F(MessageDialogTest, QuestionCancelAnswers2) {
    EXPECT_EQ(Show("Format tape?", Question, [](QWidget* d) { Click(d, "cancel"); }), kMessageCancel);
}

TEST_F(MessageDialogTest, QuestionEscapeAnswers2) {
    EXPECT_EQ(Show("Format tape?", Question, [](QWidget* d) { DialogAnswerer::PressKey(d, Qt::Key_Escape); }),
              kMessageCancel);
}

TEST_F(MessageDialogTest, QuestionCloseBoxAnswers2) {
    EXPECT_EQ(Show("Format tape?", Question, [](QWidget* d) { d->close(); }), kMessageCancel);
}

TEST_F(MessageDialogTest, QuestionEnterAnswers1) {
    EXPECT_EQ(Show("Format tape?", Question, [](QWidget* d) { DialogAnswerer::PressKey(d, Qt::Key_Return); }),
              kMessageOk);
}

TEST_F(MessageDialogTest, ErrorEnterAnswers1ThroughTheLoneOk) {
    EXPECT_EQ(Show("Read error", Error, [](QWidget* d) { DialogAnswerer::PressKey(d, Qt::Key_Return); }),
              kMessageOk);
    EXPECT_EQ(Show("Read error", Error, [](QWidget* d) { DialogAnswerer::PressKey(d, Qt::Key_Enter); }),
              kMessageOk);
}

TEST_F(MessageDialogTest, ErrorEscapeAndCloseBoxAnswer2) {
    EXPECT_EQ(Show("Read error", Error, [](QWidget* d) { DialogAnswerer::PressKey(d, Qt::Key_Escape); }),
              kMessageCancel);
    EXPECT_EQ(Show("Read error", Error, [](QWidget* d) { d->close(); }), kMessageCancel);
}

TEST_F(MessageDialogTest, UnknownKindOkAndCancelAnswer1And2) {
    EXPECT_EQ(Show("?", 0, [](QWidget* d) { Click(d, "ok"); }), kMessageOk);
    EXPECT_EQ(Show("?", 7, [](QWidget* d) { Click(d, "cancel"); }), kMessageCancel);
}

TEST_F(MessageDialogTest, InstanceCanBeShownAgainWithAnotherKind) {
    Show("first", Question, [](QWidget* d) { Click(d, "ok"); });
    player.played.clear();
    EXPECT_EQ(Show("second", Info, [](QWidget* d) { Click(d, "loneOk"); }), kMessageOk);
    EXPECT_EQ(seen.title, QStringLiteral("Info"));
    EXPECT_FALSE(seen.cancel);
    EXPECT_EQ(seen.text, QStringLiteral("second"));
    EXPECT_TRUE(player.played.empty());
}

TEST_F(MessageDialogTest, LineBreakStartsASecondLine) {
    int broken = 0;
    int unbroken = 0;
    Show("Tape rewound.\nAll done.", Info, [&broken](QWidget* d) {
        broken = TextLines(d->findChild<QLabel*>("message"));
        Click(d, "loneOk");
    });
    Show("Tape rewound. All done.", Info, [&unbroken](QWidget* d) {
        unbroken = TextLines(d->findChild<QLabel*>("message"));
        Click(d, "loneOk");
    });
    EXPECT_EQ(broken, 2);
    EXPECT_EQ(unbroken, 1);
}

TEST_F(MessageDialogTest, LongLineWrapsWithinTheLabel) {
    int lines = 0;
    Show("Error: DirFile not found on hard drive. You can make or import a DirFile on the Utilities tab.",
         Error, [&lines](QWidget* d) {
             lines = TextLines(d->findChild<QLabel*>("message"));
             Click(d, "loneOk");
         });
    EXPECT_GE(lines, 2);
}

TEST_F(MessageDialogTest, ShortTextKeepsTheTemplateLayout) {
    const DialogUnits dlu;
    for (const int kind : {Question, Error}) {
        Show("Tape rewound.", kind, [&dlu, kind](QWidget* d) {
            auto* label = d->findChild<QLabel*>("message");
            EXPECT_EQ(QRect(label->mapTo(d, QPoint(0, 0)), label->size()), dlu.Rect(47, 10, 140, 41));
            EXPECT_EQ(d->findChild<QLabel*>("picture")->geometry(), dlu.Rect(13, 10, 21, 20));
            EXPECT_EQ(Button(d, "ok")->geometry(), dlu.Rect(40, 57, 50, 15));
            EXPECT_EQ(Button(d, "cancel")->geometry(), dlu.Rect(99, 57, 50, 15));
            EXPECT_EQ(Button(d, "loneOk")->geometry(), dlu.Rect(137, 57, 50, 15));
            Click(d, kind == Question ? "ok" : "loneOk");
        });
        EXPECT_EQ(seen.size, dlu.Size(194, 79));
    }
}

namespace {
// A path of 4095 characters made of names of 255: words far wider than the dialog.
std::string LongestPath() {
    std::string path;
    while (path.size() < 4095) {
        path += '/';
        path.append(std::min<std::size_t>(255, 4095 - path.size()), 'n');
    }
    return path;
}

struct LongCase {
    const char* name;
    std::string text;
    int kind;
    bool fitsByWidening;  // keeps the template's height
};
void PrintTo(const LongCase& c, std::ostream* os) { *os << c.name; }
}  // namespace

class MessageDialogLongText : public MessageDialogTest, public testing::WithParamInterface<LongCase> {};

TEST_P(MessageDialogLongText, ShowsAllOfTheTextOnScreenAboveTheButtons) {
    const LongCase& c = GetParam();
    const DialogUnits dlu;
    const QSize templateSize = dlu.Size(194, 79);
    Show(c.text, c.kind, [&](QWidget* d) {
        auto* label = d->findChild<QLabel*>("message");
        auto* area = d->findChild<QScrollArea*>("messageArea");
        // Every line is laid out, none is wider than the label, and each
        // one is drawn.
        const int needed = label->heightForWidth(label->width());
        EXPECT_LE(needed, label->height());
        EXPECT_LE(label->minimumSizeHint().width(), label->width());
        EXPECT_EQ(TextLines(label), needed / label->fontMetrics().lineSpacing());
        // What is not in sight can be scrolled to.
        QWidget* window = area != nullptr ? static_cast<QWidget*>(area) : label;
        const int reach = area != nullptr ? area->viewport()->height() + area->verticalScrollBar()->maximum()
                                          : label->height();
        EXPECT_GE(reach, needed);
        if (area != nullptr) {
            EXPECT_GE(area->viewport()->width(), label->width());
        }

        const QRect shown(window->mapTo(d, QPoint(0, 0)), window->size());
        EXPECT_TRUE(d->rect().contains(shown));
        const QSize screen = d->screen()->availableGeometry().size();
        EXPECT_LE(d->width(), std::min(screen.width(), templateSize.width() + dlu.X(MessageLayout::kWidestTextDlu - 140)));
        EXPECT_LE(d->height(), screen.height());
        if (c.fitsByWidening) {
            EXPECT_EQ(d->height(), templateSize.height());
        }

        // OK and Cancel centred as in the template, the lone OK as far from
        // the right edge.
        const QRect ok = Button(d, "ok")->geometry();
        const QRect cancel = Button(d, "cancel")->geometry();
        const QRect loneOk = Button(d, "loneOk")->geometry();
        for (const QRect& button : {ok, cancel, loneOk}) EXPECT_GT(button.top(), shown.bottom());
        EXPECT_NEAR(ok.left() + cancel.right() - d->width(),
                    dlu.X(40) + dlu.X(99) + dlu.X(50) - 1 - templateSize.width(), 1);
        EXPECT_EQ(d->width() - loneOk.right(), templateSize.width() - (dlu.X(137) + dlu.X(50) - 1));
        Click(d, c.kind == Question ? "ok" : "loneOk");
    });
}

INSTANTIATE_TEST_SUITE_P(
    LongestMessages, MessageDialogLongText,
    testing::Values(
        LongCase{"OverwriteOfTheLongestPath", "File exist: " + LongestPath() + ". Overwrite?", Question, false},
        LongCase{"RestoreSummaryWithNotes",
                 JobSummary("Restore ended with 998 file records skipped!", "Tape->disk rate: ", 2145336164353,
                            9999999, 1) +
                     "\nThe tape cannot be read past file record 999."
                     "\nThe last file record on tape is unfinished and was not restored.",
                 Attention, false},
        LongCase{"BackupSummaryWithWrappingLines",
                 JobSummary("Backup ended successfully!", "Disk->tape rate: ", 2145336164353, 9999999, 1), Success,
                 true}),
    [](const testing::TestParamInfo<LongCase>& info) { return std::string(info.param.name); });

TEST_F(MessageDialogTest, MarkupIsShownAsTyped) {
    int plain = 0;
    Show("<b>x</b>", Info, [&plain](QWidget* d) {
        auto* label = d->findChild<QLabel*>("message");
        // Rich text would render only "x": far narrower than the tags.
        plain = label->sizeHint().width() > label->fontMetrics().horizontalAdvance(QStringLiteral("xx")) * 3;
        Click(d, "loneOk");
    });
    EXPECT_TRUE(plain);
}

TEST_F(MessageDialogTest, ActiveWindowOwnsTheDialog) {
    QWidget window;
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    ASSERT_EQ(QApplication::activeWindow(), &window);
    Show("Owned", Info, [](QWidget* d) { Click(d, "loneOk"); });
    EXPECT_EQ(seen.owner, &window);
}
