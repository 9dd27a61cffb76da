#include "TestDrive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "aspi/HostAdapterList.h"
#include "aspi/iscsi/IscsiHostAdapter.h"
#include "aspi/iscsi/IscsiPortalUrl.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "support/TgtDaemon.h"

namespace fs = std::filesystem;

namespace {

// The built-in drive over a fresh folder of cartridges (a blank one is made).
class VirtualDrive : public TestDrive {
public:
    ~VirtualDrive() override {
        HostAdapterList::Install({});
        std::error_code ec;
        if (!dir_.empty()) fs::remove_all(dir_, ec);
    }
    bool Prepare(bool writeProtected, std::string& error) override {
        char pattern[] = "/tmp/tw-vtape-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            error = "cannot make a temporary folder";
            return false;
        }
        dir_ = pattern;
        std::string source = dir_;
        if (writeProtected) {
            // One image, made read-only before the drive sees it.
            source = dir_ + "/protected.tap";
            std::ofstream(source).close();
            chmod(source.c_str(), 0444);
        }
        setenv("TAPEWREN_VTAPE", source.c_str(), 1);
        std::vector<std::unique_ptr<HostAdapter>> adapters;
        adapters.push_back(CreateVirtualHostAdapter());
        HostAdapterList::Install(std::move(adapters));
        return true;
    }
    DriveAddress Address() const override { return DriveAddress{0, 0, 0}; }
    DriveQuirks Quirks() const override {
        DriveQuirks q;
        q.loadsNextAfterUnload = true;
        return q;
    }
    int EmptyTarget() const override { return 5; }
    int OtherDeviceTarget() const override { return -1; }

private:
    std::string dir_;
};

// tgt's tape emulation at LUN 1 of the private daemon's target.
class TgtDrive : public TestDrive {
public:
    static constexpr int kLun = 1;
    ~TgtDrive() override { HostAdapterList::Install({}); }
    bool Prepare(bool writeProtected, std::string& error) override {
        TgtDaemon& daemon = TgtDaemon::Instance();
        if (!daemon.NewTape(kLun) || !daemon.SetReadOnly(kLun, writeProtected)) {
            error = daemon.Error();
            return false;
        }
        IscsiPortalUrl url;
        if (!IscsiPortalUrl::Parse(daemon.TargetUrl(), url)) {
            error = "bad target URL " + daemon.TargetUrl();
            return false;
        }
        std::vector<std::unique_ptr<HostAdapter>> adapters;
        adapters.push_back(std::make_unique<IscsiHostAdapter>(url, 60, 10));
        HostAdapterList::Install(std::move(adapters));
        return true;
    }
    DriveAddress Address() const override { return DriveAddress{0, kLun, 0}; }
    DriveQuirks Quirks() const override {
        DriveQuirks q;
        q.readAtEndOfDataIsBlankCheck = false;
        q.spaceAtEndOfDataIsBlankCheck = false;
        q.unloadTakesTapeOut = false;
        return q;
    }
    int EmptyTarget() const override { return 5; }
    // LUN 0 of every tgt target is its controller (type 0x0C).
    int OtherDeviceTarget() const override { return 0; }
};

}  // namespace

std::unique_ptr<TestDrive> TestDrive::Make(DriveKind kind) {
    if (kind == DriveKind::Tgt) return std::make_unique<TgtDrive>();
    return std::make_unique<VirtualDrive>();
}

std::string DriveName(DriveKind kind) { return kind == DriveKind::Tgt ? "TgtOverIscsi" : "VirtualDrive"; }
