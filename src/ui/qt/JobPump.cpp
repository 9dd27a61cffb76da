#include "ui/qt/JobPump.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <thread>

#include "scsi/Sleep.h"

namespace {

// Often enough for smooth repaints and the desktop's ping, rarely enough
// to cost nothing next to a block's transfer.
constexpr auto kInterval = std::chrono::milliseconds(40);

bool IsInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

}  // namespace

JobPump* JobPump::current_ = nullptr;

JobPump::JobPump() = default;

JobPump::~JobPump() { End(); }

void JobPump::Begin(QWidget* stop) {
    if (active_) return;
    active_ = true;
    stop_ = stop;
    last_ = std::chrono::steady_clock::now();
    current_ = this;
    previousPause_ = SetSleepFunction(&JobPump::PausePumping);
    qApp->installEventFilter(this);
}

void JobPump::End() {
    if (!active_) return;
    qApp->removeEventFilter(this);
    SetSleepFunction(previousPause_);
    previousPause_ = nullptr;
    if (current_ == this) current_ = nullptr;
    stop_ = nullptr;
    active_ = false;
}

void JobPump::Pump() {
    if (!active_ || pumping_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < kInterval) return;
    pumping_ = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    pumping_ = false;
    last_ = std::chrono::steady_clock::now();
}

void JobPump::PausePumping(unsigned milliseconds) {
    JobPump* pump = current_;
    if (pump != nullptr && pump->previousPause_ != nullptr)
        pump->previousPause_(milliseconds);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    if (pump != nullptr) pump->Pump();
}

bool JobPump::Allowed(QObject* target) const {
    // A dialog opened during the command (the job's message, the stop
    // question) is modal: it gets its input, the window behind it none.
    if (QApplication::activeModalWidget() != nullptr) return true;
    auto* widget = qobject_cast<QWidget*>(target);
    if (widget == nullptr) {
        // Window-level events go to the widget's window handle; they reach
        // the widget itself afterwards and are judged there.
        return target->isWindowType();
    }
    return stop_ != nullptr && (widget == stop_ || stop_->isAncestorOf(widget));
}

bool JobPump::eventFilter(QObject* watched, QEvent* event) {
    if (active_ && IsInput(event->type()) && !Allowed(watched)) return true;
    return QObject::eventFilter(watched, event);
}
