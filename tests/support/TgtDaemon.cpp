#include "support/TgtDaemon.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr char kTargetName[] = "iqn.2026-12.tapewren.test:tape";
constexpr char kPackageHint[] = "install the Debian package tgt (apt-get install tgt)";

std::string FindTool(const char* name) {
    std::vector<std::string> dirs;
    if (const char* path = std::getenv("PATH")) {
        std::stringstream in(path);
        for (std::string dir; std::getline(in, dir, ':');) dirs.push_back(dir);
    }
    dirs.insert(dirs.end(), {"/usr/sbin", "/sbin", "/usr/local/sbin"});
    for (const std::string& dir : dirs) {
        const std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

// Runs argv with stdout and stderr appended to log; the child dies with us.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& log) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
        close(fd);
    }
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0) dup2(null, 0);
    execv(args[0], args.data());
    _exit(127);
}

bool Alive(pid_t pid) { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }

void StopAtExit() { TgtDaemon::Instance().Stop(); }

}  // namespace

TgtDaemon& TgtDaemon::Instance() {
    static TgtDaemon daemon;
    return daemon;
}

std::string TgtDaemon::TargetUrl() const {
    return "iscsi://127.0.0.1:" + std::to_string(port_) + "/" + kTargetName;
}

int TgtDaemon::Run(const std::vector<std::string>& argv) {
    const pid_t pid = Spawn(argv, dir_ + "/tools.log");
    if (pid < 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool TgtDaemon::Tgtadm(const std::vector<std::string>& args) {
    std::vector<std::string> argv{tgtadm_, "-C", std::to_string(control_), "--lld", "iscsi"};
    argv.insert(argv.end(), args.begin(), args.end());
    return Run(argv) == 0;
}

bool TgtDaemon::ListenerUp() const {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    const bool up = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return up;
}

std::string TgtDaemon::LogTail() const {
    std::ifstream in(dir_ + "/tgtd.log");
    std::stringstream text;
    text << in.rdbuf();
    std::string s = text.str();
    return s.size() > 800 ? s.substr(s.size() - 800) : s;
}

bool TgtDaemon::Ensure() {
    if (started_) return true;
    if (failed_) return false;
    failed_ = !Start();
    if (failed_) Stop();
    return !failed_;
}

bool TgtDaemon::Start() {
    tgtd_ = FindTool("tgtd");
    tgtadm_ = FindTool("tgtadm");
    tgtimg_ = FindTool("tgtimg");
    if (tgtd_.empty() || tgtadm_.empty() || tgtimg_.empty()) {
        error_ = std::string("tgtd, tgtadm or tgtimg not found: ") + kPackageHint;
        return false;
    }
    char pattern[] = "/tmp/tw-tgt-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        error_ = "cannot make a temporary folder for tgtd";
        return false;
    }
    dir_ = pattern;
    setenv("TGT_IPC_SOCKET", (dir_ + "/socket").c_str(), 1);
    std::atexit(StopAtExit);
    control_ = 100 + static_cast<int>(getpid() % 900);

    // A second tgtd on a taken port keeps running without a listener, so
    // the port is checked, not just the process.
    for (int attempt = 0; attempt < 3 && !started_; ++attempt) {
        port_ = FreePort();
        pid_ = Spawn({tgtd_, "-f", "-C", std::to_string(control_), "--iscsi",
                      "portal=127.0.0.1:" + std::to_string(port_)},
                     dir_ + "/tgtd.log");
        if (pid_ < 0) break;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline && Alive(pid_)) {
            if (ListenerUp() && Tgtadm({"--op", "show", "--mode", "target"})) {
                started_ = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!started_) KillDaemon();
    }
    if (!started_) {
        error_ = "tgtd did not come up on 127.0.0.1 (" + std::string(kPackageHint) + "); its log: " + LogTail();
        return false;
    }
    if (!Tgtadm({"--op", "new", "--mode", "target", "--tid", "1", "--targetname", kTargetName}) ||
        !Tgtadm({"--op", "bind", "--mode", "target", "--tid", "1", "--initiator-address", "127.0.0.1"})) {
        error_ = "tgtadm could not set up the target; tgtd log: " + LogTail();
        started_ = false;
        return false;
    }
    return true;
}

bool TgtDaemon::NewTape(int lun, int sizeMb) {
    if (!Ensure()) return false;
    const std::string path = dir_ + "/tape" + std::to_string(++tapes_) + ".img";
    if (Run({tgtimg_, "--op", "new", "--device-type", "tape", "--barcode", "T" + std::to_string(tapes_), "--size",
             std::to_string(sizeMb), "--type", "data", "--file", path}) != 0) {
        error_ = "tgtimg could not make " + path;
        return false;
    }
    const std::string l = std::to_string(lun);
    // A new logical unit rather than a tape change: it starts with the
    // drive's power-on state (block length 0), as every case expects.
    if (std::find(luns_.begin(), luns_.end(), lun) != luns_.end()) {
        if (!Tgtadm({"--op", "delete", "--mode", "logicalunit", "--tid", "1", "--lun", l})) {
            error_ = "tgtadm could not remove LUN " + l;
            return false;
        }
        luns_.erase(std::find(luns_.begin(), luns_.end(), lun));
    }
    if (!Tgtadm({"--op", "new", "--mode", "logicalunit", "--tid", "1", "--lun", l, "--backing-store", path,
                 "--device-type", "tape"})) {
        error_ = "tgtadm could not add LUN " + l;
        return false;
    }
    luns_.push_back(lun);
    return true;
}

bool TgtDaemon::SetReadOnly(int lun, bool readOnly) {
    return Tgtadm({"--op", "update", "--mode", "logicalunit", "--tid", "1", "--lun", std::to_string(lun), "--params",
                   std::string("readonly=") + (readOnly ? "1" : "0")});
}

void TgtDaemon::KillDaemon() {
    if (pid_ > 0) {
        if (Alive(pid_)) {
            kill(pid_, SIGCONT);  // in case a test left it stopped
            Tgtadm({"--op", "delete", "--mode", "target", "--tid", "1", "--force"});
            Run({tgtadm_, "-C", std::to_string(control_), "--op", "delete", "--mode", "system"});
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
            while (Alive(pid_) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (Alive(pid_)) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
            }
        }
        pid_ = -1;
    }
    started_ = false;
    luns_.clear();
}

void TgtDaemon::Stop() {
    KillDaemon();
    if (!dir_.empty()) {
        std::error_code ec;
        fs::remove_all(dir_, ec);
        dir_.clear();
    }
}
