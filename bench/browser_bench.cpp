// How long the drive browser takes to list a large folder, and a click that
// marks (each click walks the whole list), for folders of 1,000 to 50,000
// files. Prints milliseconds per operation and the peak resident memory.
// Usage: browser_bench [FOLDER]  (default: a scratch folder under /tmp)
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/DriveBrowser.h"
#include "lists/ListMarker.h"
#include "lists/ListModel.h"
#include "lists/Tab.h"
#include "report/MessageSink.h"

namespace {

class SilentMessages : public MessageSink {
public:
    int Show(const Message& message) override {
        const std::string& text = message.text;
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return kMessageOk;
    }
};

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool MakeFiles(const std::filesystem::path& folder, int count) {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        const std::string name = (folder / ("file-" + std::to_string(i * 7919 % count) + ".dat")).string();
        const int fd = open(name.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0 || ftruncate(fd, i) != 0 || close(fd) != 0) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path base = argc > 1 ? argv[1] : "/tmp/tw-browser-bench";
    SilentMessages messages;
    DriveBrowser browser(messages);
    std::printf("%8s %12s %14s %14s\n", "files", "Fill ms", "click ms", "mark-all ms");
    for (int count : {1000, 10000, 50000}) {
        const auto folder = base / std::to_string(count);
        if (!MakeFiles(folder, count)) {
            std::fprintf(stderr, "cannot make %d files in %s\n", count, folder.c_str());
            return 1;
        }
        ListModel list;
        constexpr int kRuns = 5;
        auto start = std::chrono::steady_clock::now();
        for (int run = 0; run < kRuns; ++run)
            if (browser.Fill(list, folder.string(), "*.*") != 0) return 1;
        const double fill = Milliseconds(std::chrono::steady_clock::now() - start) / kRuns;

        // A click on the last row, marking and unmarking it in turn.
        std::vector<bool> selected(list.RowCount(), false);
        selected.back() = true;
        list.SetSelection(selected, static_cast<std::ptrdiff_t>(list.RowCount() - 1));
        constexpr int kClicks = 100;
        start = std::chrono::steady_clock::now();
        std::int64_t total = 0;
        for (int i = 0; i < kClicks; ++i) total += ListMarker::Click(list, kBackupTab);
        const double click = Milliseconds(std::chrono::steady_clock::now() - start) / kClicks;

        start = std::chrono::steady_clock::now();
        for (int i = 0; i < kRuns; ++i) total += ListMarker::MarkAll(list, kRestoreTab);
        const double markAll = Milliseconds(std::chrono::steady_clock::now() - start) / kRuns;
        std::printf("%8d %12.2f %14.3f %14.3f   (rows %zu, checksum %lld)\n", count, fill, click, markAll,
                    list.RowCount(), static_cast<long long>(total));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory: %ld KiB\n", usage.ru_maxrss);
    if (argc <= 1) std::filesystem::remove_all(base);
    return 0;
}
