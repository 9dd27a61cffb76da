#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "DialogAnswerer.h"
#include "ui/ClickGenerator.h"
#include "ui/StoredTexts.h"
#include "ui/qt/ClickBox.h"

class ClickBoxTest : public testing::Test {
protected:
    void Answer() {
        answerer.Answer([this](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            caption = box->windowTitle();
            text = box->text();
            buttons = box->buttons().size();
            owner = box->parentWidget();
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            ASSERT_NE(ok, nullptr);
            ok->click();
        });
    }

    DialogAnswerer answerer;
    QString caption;
    QString text;
    qsizetype buttons = 0;
    QWidget* owner = nullptr;
};

TEST_F(ClickBoxTest, ShowsTheTextUnderTheApplicationNameWithOneOkAndNoOwner) {
    QApplication::setApplicationName(QStringLiteral("tapewren-test"));
    Answer();
    ClickBox::Show("Keep calm & <rewind>.");
    EXPECT_TRUE(answerer.Answered());
    EXPECT_EQ(caption, QStringLiteral("tapewren-test"));
    EXPECT_EQ(text, QStringLiteral("Keep calm & <rewind>."));
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(owner, nullptr);
}

TEST_F(ClickBoxTest, ShowNextShowsTheRandomTextTheGeneratorPicks) {
    ClickGenerator generator(99);
    ClickGenerator twin(99);
    for (int i = 0; i < 3; ++i) {
        Answer();
        ClickBox::ShowNext(generator);
        EXPECT_EQ(text, QString::fromStdString(StoredTexts::RandomText(twin.NextIndex()))) << i;
    }
}
