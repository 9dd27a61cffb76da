#pragma once
// Keeps the window alive while a command runs in its handler: between
// blocks and in the drive's polling wait, the window repaints and answers
// the desktop (which would otherwise call it "Not Responding"). The user's
// input stays blocked meanwhile, except for the one control that asks for a
// stop and for dialogs opened during the command. Single-threaded: the
// command is suspended while events are handled, and none of them starts
// another command.

#include <QObject>
#include <QPointer>
#include <chrono>

class QWidget;

class JobPump : public QObject {
    Q_OBJECT
public:
    JobPump();
    ~JobPump() override;

    // From now until End: input reaches only stop (may be null) and
    // dialogs, and Pump handles events. Installs the drive's pause hook.
    void Begin(QWidget* stop);
    void End();
    bool Active() const { return active_; }

    // Handles pending events when the last time was long enough ago.
    void Pump();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void PausePumping(unsigned milliseconds);
    bool Allowed(QObject* target) const;

    static JobPump* current_;
    bool active_ = false;
    bool pumping_ = false;
    QPointer<QWidget> stop_;
    std::chrono::steady_clock::time_point last_{};
    using PauseHook = void (*)(unsigned);
    PauseHook previousPause_ = nullptr;
};
