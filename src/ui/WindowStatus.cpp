#include "ui/WindowStatus.h"

#include "ui/StatusView.h"
#include "ui/WindowState.h"

void WindowStatus::ShowStatus(const std::string& text) {
    state_.statusText = text;
    if (view_) view_->StatusChanged();
}

void WindowStatus::ShowProgress(std::int64_t done, std::int64_t total) {
    state_.progress = ProgressScale::For(done, total);
    state_.byteLabel = state_.progress.Label();
    RepaintProgress();
}

void WindowStatus::RepaintProgress() {
    if (view_) view_->ProgressChanged();
}
