#pragma once
// Answers a sequence of modal dialogs as a user would, each step only on
// the kind of dialog it is meant for: a message dialog (it has a "message"
// label) or the Copy From Floppy dialog. Polls with re-armed single-shot
// timers, which also fire inside the nested event loop of a dialog that a
// step opens; the next poll is armed before a step acts, so a step may open
// further dialogs, and while a step runs the dialog it acts on is left to it
// even when the step lets the event loop run. After about five seconds without the expected dialog the
// script gives up, records it and closes whatever modal is up, so a test
// cannot hang.

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ModalScript {
public:
    enum class Kind { Message, CopyFromFloppy };
    using Action = std::function<void(QWidget*)>;

    struct Seen {
        std::string title;
        std::string text;
        bool operator==(const Seen&) const = default;
    };

    ModalScript() = default;
    // Timers still armed do nothing once the script is gone.
    ~ModalScript() { state_->stopped = true; }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // Steps run in the order added; Start arms the first poll.
    ModalScript& Then(Kind kind, Action action) {
        state_->steps.push_back({kind, std::move(action)});
        return *this;
    }
    // A message dialog answered with its "ok" (or lone "loneOk") button or
    // its "cancel" button.
    ModalScript& Message(bool ok = true) {
        return Then(Kind::Message, [ok](QWidget* dialog) {
            QPushButton* button = dialog->findChild<QPushButton*>(ok ? "ok" : "cancel");
            if (button == nullptr || !button->isVisible()) button = dialog->findChild<QPushButton*>("loneOk");
            if (button != nullptr) button->click();
        });
    }
    void Start() { Arm(state_, 0); }

    // Every step ran, nothing was given up and no modal came up unasked.
    bool Finished() const { return state_->steps.empty() && !state_->gaveUp && state_->unexpected.empty(); }
    // Title and text of every message dialog a step answered.
    const std::vector<Seen>& Messages() const { return state_->messages; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : state_->messages) texts.push_back(m.text);
        return texts;
    }
    // Modals that came up after the last step (closed by the script).
    const std::vector<std::string>& Unexpected() const { return state_->unexpected; }

private:
    struct Step {
        Kind kind;
        Action action;
    };
    // Shared with the timers, which may outlive the script.
    struct State {
        std::deque<Step> steps;
        std::vector<Seen> messages;
        std::vector<std::string> unexpected;
        bool gaveUp = false;
        bool stopped = false;
        // The dialog the running step acts on.
        QPointer<QWidget> acting;
    };

    static bool Is(Kind kind, QWidget* modal) {
        if (kind == Kind::Message) return modal->findChild<QLabel*>("message") != nullptr;
        return modal->objectName() == QStringLiteral("copyFromFloppy");
    }
    static std::string Describe(QWidget* modal) {
        const auto* message = modal->findChild<QLabel*>("message");
        return modal->windowTitle().toStdString() + ": " + (message ? message->text().toStdString() : "");
    }

    static void Arm(std::shared_ptr<State> state, int attempt) {
        QTimer::singleShot(10, [state, attempt] {
            if (state->stopped) return;
            QPointer<QWidget> modal = QApplication::activeModalWidget();
            const bool up = modal != nullptr && modal->isVisible();
            if (up && modal == state->acting) {
                Arm(state, attempt);
                return;
            }
            if (state->steps.empty()) {
                // Watch a while longer for a dialog no step expects.
                if (up) {
                    state->unexpected.push_back(Describe(modal));
                    modal->close();
                }
                if (attempt < 100) Arm(state, attempt + 1);
                return;
            }
            if (!up || !Is(state->steps.front().kind, modal)) {
                if (attempt < 500) {
                    Arm(state, attempt + 1);
                } else {
                    state->gaveUp = true;
                    state->steps.clear();
                    if (up) modal->close();
                }
                return;
            }
            Step step = std::move(state->steps.front());
            state->steps.pop_front();
            if (step.kind == Kind::Message)
                state->messages.push_back({modal->windowTitle().toStdString(),
                                           modal->findChild<QLabel*>("message")->text().toStdString()});
            Arm(state, 0);
            state->acting = modal;
            step.action(modal);
            state->acting = nullptr;
        });
    }

    std::shared_ptr<State> state_ = std::make_shared<State>();
};
