#pragma once
// Answers the next modal dialog as a user would: a single-shot timer,
// re-armed until a modal widget is up (a repeating timer does not fire
// while exec() blocks), then runs the action on it. Gives up after
// about five seconds so a dialog that never appears cannot hang the test;
// a dialog that appears but is never closed is closed by the last attempt.

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class DialogAnswerer {
public:
    using Action = std::function<void(QWidget*)>;

    // Arms the answer before the call that blocks.
    void Answer(Action action) {
        answered_ = false;
        Arm(std::make_shared<Action>(std::move(action)), 0);
    }
    bool Answered() const { return answered_; }

    static void PressKey(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &release);
    }

private:
    void Arm(std::shared_ptr<Action> action, int attempt) {
        QTimer::singleShot(10, [this, action, attempt] {
            QPointer<QWidget> modal = QApplication::activeModalWidget();
            if (modal == nullptr || !modal->isVisible()) {
                if (attempt < 500) Arm(action, attempt + 1);
                return;
            }
            answered_ = true;
            (*action)(modal);
            // A wrong action must not leave the test blocked in exec().
            if (modal != nullptr && modal->isVisible()) {
                QTimer::singleShot(5000, [modal] {
                    if (modal != nullptr && modal->isVisible()) modal->close();
                });
            }
        });
    }

    bool answered_ = false;
};
