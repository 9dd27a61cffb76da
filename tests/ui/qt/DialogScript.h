#pragma once
// Answers the modal message dialogs that a click brings up, one after the
// other, from a list of answers (true: OK, false: Cancel), and records
// their texts. Polls with single shots, as a repeating timer does not fire
// inside a nested event loop; stops when destroyed. A dialog beyond the
// list is cancelled, so a test cannot hang on it.

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class DialogScript {
public:
    explicit DialogScript(std::deque<bool> answers = {}) : state_(std::make_shared<State>()) {
        state_->answers = std::move(answers);
        Arm(state_);
    }
    ~DialogScript() { state_->active = false; }
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    const std::vector<std::string>& Texts() const { return state_->texts; }

private:
    struct State {
        std::deque<bool> answers;
        std::vector<std::string> texts;
        QPointer<QWidget> last;
        bool active = true;
    };
    static void Arm(std::shared_ptr<State> state) {
        QTimer::singleShot(5, [state] {
            if (!state->active) return;
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal->isVisible() && modal != state->last) {
                auto* message = modal->findChild<QLabel*>(QStringLiteral("message"));
                state->texts.push_back(message ? message->text().toStdString() : std::string("<no message>"));
                const bool ok = !state->answers.empty() && state->answers.front();
                if (!state->answers.empty()) state->answers.pop_front();
                state->last = modal;
                auto* lone = modal->findChild<QPushButton*>(QStringLiteral("loneOk"));
                auto* button = modal->findChild<QPushButton*>(
                    ok ? (lone && lone->isVisible() ? QStringLiteral("loneOk") : QStringLiteral("ok"))
                       : QStringLiteral("cancel"));
                if (button != nullptr && button->isVisible())
                    button->click();
                else if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
            }
            Arm(state);
        });
    }
    std::shared_ptr<State> state_;
};
