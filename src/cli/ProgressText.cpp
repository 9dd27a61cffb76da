#include "cli/ProgressText.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

std::size_t Clamp(int written, std::size_t size) {
    if (written < 0 || size == 0) return 0;
    return std::min(static_cast<std::size_t>(written), size - 1);
}

}  // namespace

std::size_t ProgressText::Bytes(char* out, std::size_t size, std::int64_t bytes) {
    static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024) return Clamp(std::snprintf(out, size, "%lld B", static_cast<long long>(bytes)), size);
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < std::size(kUnits)) {
        value /= 1024.0;
        ++unit;
    }
    return Clamp(std::snprintf(out, size, "%.1f %s", value, kUnits[unit]), size);
}

std::size_t ProgressText::Duration(char* out, std::size_t size, std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    const long long h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (h > 0) return Clamp(std::snprintf(out, size, "%lld:%02lld:%02lld", h, m, s), size);
    return Clamp(std::snprintf(out, size, "%lld:%02lld", m, s), size);
}

std::size_t ProgressText::Format(char* out, std::size_t size, std::int64_t done, std::int64_t total, double rate,
                                 int barWidth) {
    if (size == 0) return 0;
    out[0] = '\0';
    if (total <= 0) return 0;
    const std::int64_t shown = std::clamp<std::int64_t>(done, 0, total);
    const int filled = static_cast<int>(static_cast<double>(shown) / static_cast<double>(total) * barWidth);
    const int percent = static_cast<int>(static_cast<double>(shown) * 100.0 / static_cast<double>(total));

    char bar[128];
    const int width = std::clamp(barWidth, 0, static_cast<int>(sizeof bar) - 1);
    for (int i = 0; i < width; ++i) bar[i] = i < filled ? '#' : '-';
    bar[width] = '\0';

    char doneText[32], totalText[32], left[32];
    Bytes(doneText, sizeof doneText, shown);
    Bytes(totalText, sizeof totalText, total);
    if (rate > 0.0)
        Duration(left, sizeof left, static_cast<std::int64_t>(static_cast<double>(total - shown) / rate + 0.5));
    else
        std::snprintf(left, sizeof left, "--:--");
    char rateText[32];
    if (rate > 0.0)
        std::snprintf(rateText, sizeof rateText, "%.1f", rate / 1e6);
    else
        std::snprintf(rateText, sizeof rateText, "--");
    return Clamp(std::snprintf(out, size, "[%s] %3d%%  %s/%s  %s MB/s  %s left", bar, percent, doneText, totalText,
                               rateText, left),
                 size);
}
