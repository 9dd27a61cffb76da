#pragma once
// Runs the built tapewren-cli as a user's shell would: in a start folder,
// with the virtual drive and the floppy folder set in its environment,
// standard input from a file (or a terminal an operator answers on), and its
// two outputs caught.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/FileContents.h"

extern char** environ;

struct CliRun {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

class CliRunner {
public:
    // scratch: a folder for the caught outputs.
    CliRunner(std::string startFolder, std::string tapes, std::string floppy, std::string scratch)
        : start_(std::move(startFolder)), tapes_(std::move(tapes)), floppy_(std::move(floppy)),
          scratch_(std::move(scratch)) {}

    // stdinText: what standard input holds.
    CliRun Run(std::initializer_list<std::string> arguments, const std::string& stdinText = "") const {
        return Run(std::vector<std::string>(arguments), stdinText);
    }
    CliRun Run(const std::vector<std::string>& arguments, const std::string& stdinText = "") const {
        return Run(arguments, stdinText, std::chrono::microseconds(-1));
    }
    // As Run, but the run is killed with SIGKILL once `after` has passed
    // (status -1 then, unless it had exited before).
    CliRun RunKilledAfter(const std::vector<std::string>& arguments, std::chrono::microseconds after) const {
        return Run(arguments, "", after);
    }

    // As Run, with standard input a terminal: once standard error holds
    // `prompt`, `operatorAction` runs and `typed` is typed on the terminal.
    CliRun RunAnswering(const std::vector<std::string>& arguments, const std::string& prompt,
                        const std::function<void()>& operatorAction, const std::string& typed) const {
        const Operator op{prompt, operatorAction, typed};
        return Run(arguments, "", std::chrono::microseconds(-1), &op);
    }

    // A variable for the runs that follow (TAPEWREN_VTAPE too: it replaces
    // the tapes folder); an empty value removes it again.
    void SetEnvironment(const std::string& name, const std::string& value) {
        if (value.empty())
            extra_.erase(name);
        else
            extra_[name] = value;
    }

    // Standard output of the runs that follow goes to path ("/dev/full": a
    // disk that is full); empty: caught again.
    void SendOutputTo(std::string path) { outPath_ = std::move(path); }

    static std::string Slurp(const std::string& path) {
        return FileContents<std::string>(path);
    }

private:
    struct Operator {
        std::string prompt;
        std::function<void()> action;
        std::string typed;
    };

    CliRun Run(const std::vector<std::string>& arguments, const std::string& stdinText,
               std::chrono::microseconds killAfter, const Operator* op = nullptr) const {
        const std::string in = scratch_ + "/stdin", out = scratch_ + "/stdout", err = scratch_ + "/stderr";
        std::ofstream(in, std::ios::binary) << stdinText;

        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            // No network drive may come before the virtual one; the test
            // program's sysfs (a tree without drives) goes on, so no run
            // reaches a real drive.
            if (entry.rfind("TAPEWREN_", 0) != 0 || entry.rfind("TAPEWREN_SYSFS=", 0) == 0) env.push_back(entry);
        }
        std::map<std::string, std::string> own = {{"TAPEWREN_VTAPE", tapes_}, {"TAPEWREN_FLOPPY", floppy_}};
        for (const auto& [name, value] : extra_) own[name] = value;
        for (const auto& [name, value] : own) env.push_back(name + "=" + value);
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);

        std::vector<std::string> args = {TW_CLI_PATH};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // The operator's terminal: a pseudo-terminal whose other end the
        // test types on.
        int terminal = -1;
        std::string terminalPath;
        if (op != nullptr) {
            terminal = posix_openpt(O_RDWR | O_NOCTTY);
            if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0 || ptsname(terminal) == nullptr) {
                if (terminal >= 0) close(terminal);
                return CliRun{-1, "", "could not open a pseudo-terminal"};
            }
            terminalPath = ptsname(terminal);
        }
        posix_spawn_file_actions_addopen(&actions, 0, op != nullptr ? terminalPath.c_str() : in.c_str(),
                                         op != nullptr ? O_RDWR | O_NOCTTY : O_RDONLY, 0);
        const std::string& outPath = outPath_.empty() ? out : outPath_;
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, start_.c_str());
        CliRun run;
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            if (terminal >= 0) close(terminal);
            run.err = "could not start " + args[0];
            return run;
        }
        int wstatus = 0;
        bool reaped = false;
        if (op != nullptr) {
            // Waits up to a minute for the question, and gives up at once if
            // the program ends without asking it.
            for (int waited = 0; waited < 60000 && !reaped; waited += 20) {
                if (Slurp(err).find(op->prompt) != std::string::npos) {
                    op->action();
                    const ssize_t n = write(terminal, op->typed.data(), op->typed.size());
                    if (n != static_cast<ssize_t>(op->typed.size())) kill(pid, SIGKILL);
                    break;
                }
                reaped = waitpid(pid, &wstatus, WNOHANG) == pid;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        if (killAfter.count() >= 0) {
            // Not reaped before the kill: the process id cannot be reused.
            std::this_thread::sleep_for(killAfter);
            kill(pid, SIGKILL);
        }
        if (!reaped) reaped = waitpid(pid, &wstatus, 0) == pid;
        if (terminal >= 0) close(terminal);
        if (reaped && WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
        if (outPath_.empty()) run.out = Slurp(out);
        run.err = Slurp(err);
        return run;
    }

    std::string start_;
    std::string tapes_;
    std::string floppy_;
    std::string scratch_;
    std::map<std::string, std::string> extra_;
    std::string outPath_;
};
