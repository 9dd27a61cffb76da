#pragma once
// Helpers for window tests: a fixture that installs host adapters before
// the window exists and puts the current directory back afterwards, and
// access to controls by template number.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "ui/qt/MainWindow.h"

// Cancels every modal dialog other than the main window while it lives, and
// counts them: a handler that asks or reports blocks until it is answered.
// Re-arms a fresh single shot each time, since a repeating timer does not
// fire inside a nested event loop.
class ModalCanceller {
public:
    explicit ModalCanceller(QWidget* mainWindow) : state_(std::make_shared<State>()) {
        state_->mainWindow = mainWindow;
        Arm(state_);
    }
    ~ModalCanceller() { state_->active = false; }
    int Cancelled() const { return state_->cancelled; }

private:
    struct State {
        QWidget* mainWindow = nullptr;
        bool active = true;
        int cancelled = 0;
    };
    static void Arm(std::shared_ptr<State> state) {
        QTimer::singleShot(5, [state] {
            if (!state->active) return;
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog != nullptr && dialog != state->mainWindow) {
                ++state->cancelled;
                dialog->reject();
            }
            Arm(state);
        });
    }
    std::shared_ptr<State> state_;
};

class WindowTest : public testing::Test {
protected:
    void SetUp() override { startDirectory_ = std::filesystem::current_path(); }
    void TearDown() override {
        window.reset();
        HostAdapterList::Install({});
        std::filesystem::current_path(startDirectory_);
    }

    void Install(std::vector<std::unique_ptr<HostAdapter>> adapters) { HostAdapterList::Install(std::move(adapters)); }
    MainWindow& Open() {
        window = std::make_unique<MainWindow>();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }

    template <typename W>
    W* Get(int id) {
        auto* widget = qobject_cast<W*>(window->Control(id));
        EXPECT_NE(widget, nullptr) << "control " << id;
        return widget;
    }
    std::string TextOf(int id) {
        if (auto* label = qobject_cast<QLabel*>(window->Control(id))) return label->text().toStdString();
        if (auto* edit = qobject_cast<QLineEdit*>(window->Control(id))) return edit->text().toStdString();
        if (auto* button = qobject_cast<QPushButton*>(window->Control(id))) return button->text().toStdString();
        ADD_FAILURE() << "control " << id << " has no text";
        return {};
    }
    bool Shown(int id) { return window->Control(id)->isVisible(); }
    static std::vector<std::string> ComboTexts(QComboBox* combo) {
        std::vector<std::string> texts;
        for (int i = 0; i < combo->count(); ++i) texts.push_back(combo->itemText(i).toStdString());
        return texts;
    }
    // "Filename 99, Size 63 right, ..." as the list's header shows it.
    static std::string Columns(QTreeWidget* list) {
        std::string text;
        for (int c = 0; c < list->columnCount(); ++c) {
            if (!text.empty()) text += ", ";
            text += list->headerItem()->text(c).toStdString() + " " + std::to_string(list->columnWidth(c));
            if (list->headerItem()->textAlignment(c) & Qt::AlignRight) text += " right";
        }
        return text;
    }
    void ClickTab(int index) {
        auto* tabs = Get<QTabWidget>(1009);
        QTabBar* bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }

    std::unique_ptr<MainWindow> window;

private:
    std::filesystem::path startDirectory_;
};
