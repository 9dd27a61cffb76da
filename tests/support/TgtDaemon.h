#pragma once
// A private tgtd serving tape drives over iSCSI on 127.0.0.1, for tests: its
// own IPC socket folder, control port and a free iSCSI port, so that several
// test processes can run side by side. Started on first use, stopped by
// TgtEnvironment at the end (and at exit, and by the kernel if this process
// dies: the daemon gets SIGKILL when its parent goes).

#include <sys/types.h>

#include <string>
#include <vector>

class TgtDaemon {
public:
    static TgtDaemon& Instance();

    // Starts the daemon and one target unless already done; false with
    // Error() set when tgt is missing or would not start.
    bool Ensure();
    void Stop();
    const std::string& Error() const { return error_; }

    // iscsi://127.0.0.1:port/iqn... of the target.
    std::string TargetUrl() const;
    int Port() const { return port_; }
    pid_t Pid() const { return pid_; }

    // Puts a new blank tape (sizeMb) into the drive at lun 1.., which starts
    // like a freshly started drive: at the beginning, writable.
    bool NewTape(int lun, int sizeMb = 64);
    bool SetReadOnly(int lun, bool readOnly);

private:
    TgtDaemon() = default;
    bool Start();
    void KillDaemon();
    bool Tgtadm(const std::vector<std::string>& args);
    int Run(const std::vector<std::string>& argv);
    bool ListenerUp() const;
    std::string LogTail() const;

    std::string dir_;
    std::string error_;
    std::string tgtd_, tgtadm_, tgtimg_;
    pid_t pid_ = -1;
    int control_ = 0;
    int port_ = 0;
    int tapes_ = 0;
    std::vector<int> luns_;
    bool started_ = false;
    bool failed_ = false;
};
