// Starts the window; without a display says how to run it instead of
// letting the toolkit abort.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/qt/BackupApp.h"

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

}  // namespace

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY") && !Set("QT_QPA_PLATFORM")) {
        // Name the program as it was started, so the line can be pasted.
        std::fprintf(stderr,
                     "tapewren: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                     "Tapewren is a desktop program. Run it on a desktop, or on a virtual display with:\n"
                     "    xvfb-run -a %s\n",
                     argc > 0 && argv[0] && *argv[0] ? argv[0] : "tapewren");
        return 1;
    }
    BackupApp app(argc, argv);
    const char* exitWhenReady = std::getenv("TAPEWREN_EXIT_WHEN_READY");
    return app.Run(exitWhenReady != nullptr && std::strcmp(exitWhenReady, "1") == 0, started);
}
