#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <functional>

#include "DialogAnswerer.h"
#include "ui/StoredTexts.h"
#include "ui/qt/AboutBox.h"
#include "ui/qt/DialogUnits.h"

namespace {
QString Text(const AboutBox& box, const char* name) {
    const auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
    return label == nullptr ? QStringLiteral("<missing>") : label->text();
}
}  // namespace

TEST(AboutBox, ShowsTitleHeadingAndTheFourLines) {
    AboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Tapewren"));
    EXPECT_EQ(Text(box, "heading"), QString::fromStdString(StoredTexts::HeadingLine()));
    EXPECT_EQ(Text(box, "line1074"), QString::fromStdString(StoredTexts::AboutLine(0)));
    EXPECT_EQ(Text(box, "line1075"), QString::fromStdString(StoredTexts::AboutLine(1)));
    EXPECT_EQ(Text(box, "line1076"), QString::fromStdString(StoredTexts::AboutLine(2)));
    EXPECT_EQ(Text(box, "line1077"), QString::fromStdString(StoredTexts::AboutLine(3)));
    EXPECT_EQ(box.size(), DialogUnits().Size(254, 138));
}

TEST(AboutBox, HeadingIsBoldAndSmallPrintIsSmaller) {
    AboutBox box;
    const auto* heading = box.findChild<QLabel*>("heading");
    const auto* small = box.findChild<QLabel*>("line1077");
    const auto* line = box.findChild<QLabel*>("line1075");
    ASSERT_TRUE(heading && small && line);
    EXPECT_TRUE(heading->font().bold());
    EXPECT_FALSE(line->font().bold());
    EXPECT_LT(QFontMetrics(small->font()).height(), QFontMetrics(line->font()).height());
}

TEST(AboutBox, EveryLineFitsItsLabel) {
    AboutBox box;
    for (const char* name : {"heading", "line1074", "line1075", "line1076", "line1077"}) {
        const auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(label, nullptr) << name;
        const int needed = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
        EXPECT_LE(needed, label->height() + 2) << name;
        if (!label->wordWrap()) {
            EXPECT_LE(label->sizeHint().width(), label->width()) << name;
        }
    }
}

class AboutBoxCloses : public testing::TestWithParam<std::pair<const char*, std::function<void(QWidget*)>>> {};

TEST_P(AboutBoxCloses, ReturnsToTheCaller) {
    AboutBox box;
    DialogAnswerer answerer;
    answerer.Answer(GetParam().second);
    box.exec();
    EXPECT_TRUE(answerer.Answered());
    EXPECT_FALSE(box.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    ByOkEnterEscapeAndCloseBox, AboutBoxCloses,
    testing::Values(
        std::pair<const char*, std::function<void(QWidget*)>>{
            "Ok", [](QWidget* d) { d->findChild<QPushButton*>("ok")->click(); }},
        std::pair<const char*, std::function<void(QWidget*)>>{
            "Enter", [](QWidget* d) { DialogAnswerer::PressKey(d, Qt::Key_Return); }},
        std::pair<const char*, std::function<void(QWidget*)>>{
            "Escape", [](QWidget* d) { DialogAnswerer::PressKey(d, Qt::Key_Escape); }},
        std::pair<const char*, std::function<void(QWidget*)>>{"CloseBox", [](QWidget* d) { d->close(); }}),
    [](const auto& info) { return std::string(info.param.first); });
