#include "TestDrive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/DefaultAdapters.h"
#include "aspi/HostAdapterList.h"
#include "aspi/iscsi/IscsiHostAdapter.h"
#include "aspi/iscsi/IscsiPortalUrl.h"
#include "aspi/sg/SgHostAdapter.h"
#include "aspi/sg/SgHostScan.h"
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

// The drive whose generic node TAPEWREN_TEST_SG names, found in the real
// sysfs as the program finds it; TAPEWREN_TEST_SG_TAPE puts a fresh tape in.
class SgDrive : public TestDrive {
public:
    ~SgDrive() override { HostAdapterList::Install({}); }
    bool Prepare(bool writeProtected, std::string& error) override {
        const std::string node = std::getenv("TAPEWREN_TEST_SG");
        const char* tape = std::getenv("TAPEWREN_TEST_SG_TAPE");
        if (tape == nullptr) {
            error = "TAPEWREN_TEST_SG_TAPE names no program that loads a tape";
            return false;
        }
        // The adapter is made afresh, so the node is closed while the tape changes.
        HostAdapterList::Install({});
        const std::string command = std::string(tape) + (writeProtected ? " protected" : " blank");
        if (std::system(command.c_str()) != 0) {
            error = command + " failed";
            return false;
        }
        HostAdapterList::Install(CreateSgHostAdapters(SysfsRoot()));
        for (int a = 0; a < HostAdapterList::Count(); ++a) {
            auto* adapter = dynamic_cast<SgHostAdapter*>(HostAdapterList::At(a));
            for (int t = 0; adapter != nullptr && t < SgHostAdapter::kTargets; ++t) {
                if (adapter->Problem(t).node != node) continue;
                address_ = DriveAddress{static_cast<BYTE>(a), static_cast<BYTE>(t), 0};
                for (int other = 0; other < SgHostAdapter::kTargets; ++other) {
                    const int type = adapter->DeviceType(other);
                    if (type < 0 && empty_ < 0) empty_ = other;
                    if (type >= 0 && type != 1 && other_ < 0) other_ = other;
                }
                tgt_ = adapter->Name().find("IET ") != std::string::npos;
                return true;
            }
        }
        error = "no tape drive with the node " + node + " in " + SysfsRoot();
        return false;
    }
    DriveAddress Address() const override { return address_; }
    DriveQuirks Quirks() const override {
        DriveQuirks q;
        if (tgt_) {
            q.readAtEndOfDataIsBlankCheck = false;
            q.spaceAtEndOfDataIsBlankCheck = false;
            q.unloadTakesTapeOut = false;
        }
        return q;
    }
    int EmptyTarget() const override { return empty_; }
    int OtherDeviceTarget() const override { return other_; }

private:
    DriveAddress address_;
    int empty_ = -1;
    int other_ = -1;
    bool tgt_ = false;  // tgt's tape emulation behind the kernel's initiator
};

}  // namespace

std::unique_ptr<TestDrive> TestDrive::Make(DriveKind kind) {
    if (kind == DriveKind::Tgt) return std::make_unique<TgtDrive>();
    if (kind == DriveKind::Sg) return std::make_unique<SgDrive>();
    return std::make_unique<VirtualDrive>();
}

std::string DriveName(DriveKind kind) {
    return kind == DriveKind::Tgt ? "TgtOverIscsi" : kind == DriveKind::Sg ? "ScsiGeneric" : "VirtualDrive";
}

std::vector<DriveKind> DriveKinds() {
    std::vector<DriveKind> kinds = {DriveKind::Virtual, DriveKind::Tgt};
    if (std::getenv("TAPEWREN_TEST_SG") != nullptr) kinds.push_back(DriveKind::Sg);
    return kinds;
}
