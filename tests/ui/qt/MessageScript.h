#pragma once
// Answers every message dialog that comes up while a test drives the window,
// as a user would: records its title and text, then presses OK or Cancel as
// scripted (OK when the script is empty). Polls with single-shot timers, so
// it also answers a dialog opened while it is pressing a button. An observer
// may look at the window while each message is up.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "report/MessageKind.h"

class MessageScript {
public:
    struct Seen {
        std::string title;
        std::string text;
    };

    MessageScript() : state_(std::make_shared<State>()) { Arm(state_); }
    ~MessageScript() { state_->alive = false; }
    MessageScript(const MessageScript&) = delete;
    MessageScript& operator=(const MessageScript&) = delete;

    void Answer(int answer) { state_->answers.push_back(answer); }
    void Observe(std::function<void()> observer) { state_->observer = std::move(observer); }
    const std::vector<Seen>& Shown() const { return state_->seen; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& s : state_->seen) texts.push_back(s.text);
        return texts;
    }
    void Clear() { state_->seen.clear(); }

private:
    struct State {
        bool alive = true;
        std::deque<int> answers;
        std::vector<Seen> seen;
        std::function<void()> observer;
    };

    static void Arm(std::shared_ptr<State> state) {
        QTimer::singleShot(5, [state] {
            if (!state->alive) return;
            Arm(state);
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || !modal->isVisible()) return;
            auto* message = modal->findChild<QLabel*>(QStringLiteral("message"));
            if (message == nullptr) return;
            state->seen.push_back({modal->windowTitle().toStdString(), message->text().toStdString()});
            if (state->observer) state->observer();
            const int answer = state->answers.empty() ? kMessageOk : state->answers.front();
            if (!state->answers.empty()) state->answers.pop_front();
            auto visible = [modal](const char* name) {
                auto* button = modal->findChild<QPushButton*>(QString::fromLatin1(name));
                return button != nullptr && button->isVisible() ? button : nullptr;
            };
            QPushButton* button = answer == kMessageOk ? (visible("loneOk") ? visible("loneOk") : visible("ok"))
                                                       : (visible("cancel") ? visible("cancel") : visible("loneOk"));
            if (button != nullptr) button->click();
        });
    }

    std::shared_ptr<State> state_;
};
