#include "cli/CliStatus.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "cli/OutputText.h"
#include "cli/ProgressText.h"

namespace {

constexpr std::size_t kTextReserve = 4096;
constexpr auto kRedrawPause = std::chrono::milliseconds(100);
constexpr int kBarWidth = 20;
constexpr int kMinColumns = 20;

}  // namespace

CliStatus::CliStatus(int fd, bool terminal, int columns)
    : fd_(fd), terminal_(terminal), columns_(std::max(columns, kMinColumns)) {
    given_.reserve(kTextReserve);
    text_.reserve(kTextReserve);
}

void CliStatus::Write(const char* text, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd_, text, size);
        // A status display that cannot be written is not worth failing a job.
        if (written <= 0) return;
        text += written;
        size -= static_cast<std::size_t>(written);
    }
}

void CliStatus::ShowStatus(const std::string& text) {
    // Jobs repeat a text for every catalog row they pass.
    if (!terminal_ && text == given_) return;
    given_ = text;
    // A control character in a file's name must neither forge a status
    // line nor drive the terminal.
    text_.clear();
    AppendTerminalText(text_, text, false);
    if (!terminal_) {
        // The line and its end in one call.
        text_.push_back('\n');
        Write(text_.data(), text_.size());
        text_.pop_back();
        return;
    }
    Draw();
}

void CliStatus::ShowProgress(std::int64_t done, std::int64_t total) {
    const Clock::time_point now = Clock::now();
    if (!started_ && done > 0) {
        started_ = true;
        first_ = now;
    }
    moved_ += done >= done_ ? done - done_ : done;
    done_ = done;
    total_ = total;
    if (!terminal_) return;
    if (drawn_ && now - lastDraw_ < kRedrawPause && done != total) return;
    Draw();
}

void CliStatus::Draw() {
    const Clock::time_point now = Clock::now();
    lastDraw_ = now;
    char progress[256];
    double rate = 0.0;
    const double seconds = std::chrono::duration<double>(now - first_).count();
    if (started_ && seconds > 0.2) rate = static_cast<double>(moved_) / seconds;
    const std::size_t progressSize = ProgressText::Format(progress, sizeof progress, done_, total_, rate, kBarWidth);

    // The status text gives way to the progress when the line is short; the
    // line stays within the width so that "\r" returns to its start.
    const std::size_t width = static_cast<std::size_t>(columns_ - 1);
    const std::size_t progressShown = std::min(progressSize, width);
    const std::size_t room = progressShown == 0 ? width : (width > progressShown + 2 ? width - progressShown - 2 : 0);
    const std::size_t textSize = std::min(text_.size(), room);

    char line[1024];
    std::size_t n = 0;
    auto put = [&](const char* s, std::size_t size) {
        size = std::min(size, sizeof line - n);
        std::memcpy(line + n, s, size);
        n += size;
    };
    put("\r\x1b[K", 4);
    put(text_.data(), textSize);
    if (progressShown > 0) {
        if (textSize > 0) put("  ", 2);
        put(progress, progressShown);
    }
    Write(line, n);
    drawn_ = true;
}

void CliStatus::ClearLine() {
    if (terminal_ && drawn_) {
        Write("\r\x1b[K", 4);
        drawn_ = false;
    }
}

void CliStatus::Finish() {
    if (terminal_ && drawn_) {
        // A finished job leaves its bar at zero for the next one; the last
        // line keeps only the drive's state.
        total_ = 0;
        Draw();
        Write("\n", 1);
        drawn_ = false;
    }
}
