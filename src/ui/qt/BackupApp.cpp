#include "ui/qt/BackupApp.h"

#include <QTimer>
#include <cstdio>

#include "app/DefaultAdapters.h"
#include "aspi/HostAdapterList.h"
#include "tape/ProgramVersion.h"
#include "ui/WindowController.h"
#include "ui/qt/MainWindow.h"

BackupApp::BackupApp(int& argc, char** argv) : QApplication(argc, argv), version_(kProgramVersion) {
    setApplicationName(QStringLiteral("Tapewren"));
    setApplicationVersion(QString::fromStdString(version_));
}

int BackupApp::Run(bool exitWhenReady, std::chrono::steady_clock::time_point started) {
    // Before the window changes the current directory: a relative
    // TAPEWREN_VTAPE names a folder under the directory the user started in.
    InstallDefaultAdapters();
    MainWindow window;
    if (exitWhenReady) {
        QTimer::singleShot(0, &window, [&window, started] {
            const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - started);
            const std::string& status = window.Controller().State().statusText;
            std::printf("start-up: %.1f ms, status \"%s\"\n", elapsed.count() / 1000.0, status.c_str());
            std::fflush(stdout);
            window.done(status == " Ready." ? 0 : 1);
        });
    }
    const int result = window.exec();
    if (exitWhenReady) return result;
    return 0;
}
