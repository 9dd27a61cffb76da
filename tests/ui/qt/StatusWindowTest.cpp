// The status line must reach the screen while a handler keeps the event
// loop busy; the grab reads the window's backing store, which only a real
// repaint changes.
#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

#include "WindowTestSupport.h"
#include "ui/ControlId.h"
#include "ui/StoredTexts.h"
#include "ui/WindowController.h"

class StatusWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Install({});
        Open();
        QTest::qWait(50);
    }
    QImage GrabStatusLine() {
        const QRect r = window->Control(kStatusLine)->geometry();
        return window->screen()->grabWindow(window->winId(), r.x(), r.y(), r.width(), r.height()).toImage();
    }
};

TEST_F(StatusWindowTest, ShowStatusRepaintsBeforeTheHandlerReturns) {
    bool changed = false;
    bool ran = false;
    // Runs as a handler: nothing here returns to the event loop.
    QTimer::singleShot(0, window.get(), [&] {
        const QImage before = GrabStatusLine();
        window->Controller().Status().ShowStatus(" Writing file: report.txt");
        changed = GrabStatusLine() != before;
        ran = true;
    });
    QTest::qWait(100);
    ASSERT_TRUE(ran);
    EXPECT_TRUE(changed);
    EXPECT_EQ(TextOf(kStatusLine), " Writing file: report.txt");
}

TEST_F(StatusWindowTest, GrabShowsOnlyWhatWasRepainted) {
    // Without the repaint a blocked handler's text never reaches the screen:
    // this is what the test above would catch.
    bool changed = true;
    QTimer::singleShot(0, window.get(), [&] {
        const QImage before = GrabStatusLine();
        Get<QLineEdit>(kStatusLine)->setText(" Rewinding tape ...");
        changed = GrabStatusLine() != before;
    });
    QTest::qWait(100);
    EXPECT_FALSE(changed);
}

TEST_F(StatusWindowTest, ProgressShowsBytesAndPercentScale) {
    window->Controller().Status().ShowProgress(512, 1024);
    EXPECT_EQ(TextOf(kByteLabel), "512 / 1024 Bytes");
    auto* bar = Get<QProgressBar>(kProgressBar);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 50);
    window->Controller().Status().ShowProgress(0, 0);
    EXPECT_EQ(TextOf(kByteLabel), "0 / 0 Bytes");
    EXPECT_EQ(bar->value(), 0);
    // An empty bar, never the toolkit's endless busy animation.
    EXPECT_GT(bar->maximum(), bar->minimum());
}

TEST_F(StatusWindowTest, ClickShowsOneOfTheRandomTexts) {
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    QTest::mouseClick(Get<QPushButton>(kClick), Qt::LeftButton);
    ASSERT_FALSE(shown.isEmpty());
    bool known = false;
    for (int i = 0; i < StoredTexts::kRandomCount; ++i)
        known = known || shown.toStdString() == StoredTexts::RandomText(i);
    EXPECT_TRUE(known) << shown.toStdString();
}

TEST_F(StatusWindowTest, AboutButtonAndF1OpenTheAboutBox) {
    int opened = 0;
    auto answer = [&] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()); box && box != window.get()) {
            ++opened;
            box->accept();
        }
    };
    QTimer::singleShot(0, answer);
    QTest::mouseClick(Get<QPushButton>(kAbout), Qt::LeftButton);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTimer::singleShot(0, answer);
    QTest::keyClick(window.get(), Qt::Key_F1);
    EXPECT_EQ(opened, 2);
}

TEST_F(StatusWindowTest, RightClickOnThePictureOffersAboutAndStreaming) {
    QWidget* reel = window->Control(kReelPicture);
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, reel->mapTo(window.get(), reel->rect().center()));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    QAction* about = menu->actions().front();
    EXPECT_EQ(about->text().toStdString(), "&About Tapewren...");
    EXPECT_EQ(menu->actions().back()->text().toStdString(), "&Streaming (keep the drive moving)");
    EXPECT_TRUE(menu->actions().back()->isCheckable());
    QString opened;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()); box && box != window.get()) {
            opened = box->windowTitle();
            box->accept();
        }
    });
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(about).center());
    EXPECT_EQ(opened.toStdString(), "About Tapewren");
}

TEST_F(StatusWindowTest, EnterBeforeAnyDriveOpensAbout) {
    int opened = 0;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()); box && box != window.get()) {
            ++opened;
            box->accept();
        }
    });
    window->Controller().Logic().ShowDeviceState(TabAreaState::Starting, kStartingNotice);
    window->Render();
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_EQ(opened, 1);
}
