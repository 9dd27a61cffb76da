#pragma once
// The application: holds the program's version text, installs the host
// adapters and runs the main window modally; the process ends when the
// window closes.

#include <QApplication>
#include <chrono>
#include <string>

class BackupApp : public QApplication {
    Q_OBJECT
public:
    BackupApp(int& argc, char** argv);

    // "1.6": what ident blocks and directory files record.
    const std::string& Version() const { return version_; }

    // Runs the main window until it closes; returns the process's exit code.
    // With exitWhenReady, prints how long start-up took to " Ready." and
    // quits at once (exit code 1 when the drive did not become ready).
    int Run(bool exitWhenReady, std::chrono::steady_clock::time_point started);

private:
    std::string version_;
};
