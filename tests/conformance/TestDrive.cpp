#include "TestDrive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/DefaultAdapters.h"
#include "aspi/Aspi.h"
#include "aspi/HostAdapterList.h"
#include "aspi/SenseData.h"
#include "aspi/iscsi/IscsiHostAdapter.h"
#include "aspi/iscsi/IscsiPortalUrl.h"
#include "aspi/sg/SgHostAdapter.h"
#include "aspi/sg/SgHostScan.h"
#include "aspi/virtual/DriveClock.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "scsi/Sleep.h"
#include "support/TgtDaemon.h"

namespace fs = std::filesystem;

namespace {

std::atomic<std::uint64_t> testClock{0};

std::uint64_t TestClockNow() { return testClock.load(); }

// The built-in drive over a fresh folder of cartridges (a blank one is made),
// in its default or its LTO-like personality; the latter on the test clock.
class VirtualDrive : public TestDrive {
public:
    explicit VirtualDrive(bool lto) : lto_(lto) {}
    ~VirtualDrive() override {
        HostAdapterList::Install({});
        if (lto_) SetDriveClock(nullptr);
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
        if (lto_) {
            SetDriveClock(&TestClockNow);
            setenv("TAPEWREN_VTAPE_DRIVE", "lto", 1);
        }
        std::vector<std::unique_ptr<HostAdapter>> adapters;
        adapters.push_back(CreateVirtualHostAdapter());
        unsetenv("TAPEWREN_VTAPE_DRIVE");
        HostAdapterList::Install(std::move(adapters));
        return true;
    }
    std::string ImageFile() const override {
        auto* adapter = dynamic_cast<VirtualHostAdapter*>(HostAdapterList::At(0));
        return adapter != nullptr ? adapter->Drive().CurrentPath() : std::string();
    }
    DriveAddress Address() const override { return DriveAddress{0, 0, 0}; }
    DriveQuirks Quirks() const override {
        DriveQuirks q;
        q.loadsNextAfterUnload = true;
        q.reportsTapeCapacity = lto_;
        return q;
    }
    int EmptyTarget() const override { return 5; }
    int OtherDeviceTarget() const override { return -1; }

private:
    bool lto_;
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
    return std::make_unique<VirtualDrive>(kind == DriveKind::Lto);
}

std::string DriveName(DriveKind kind) {
    switch (kind) {
    case DriveKind::Tgt: return "TgtOverIscsi";
    case DriveKind::Lto: return "LtoVirtualDrive";
    case DriveKind::Sg: return "ScsiGeneric";
    case DriveKind::Virtual: break;
    }
    return "VirtualDrive";
}

std::vector<DriveKind> DriveKinds() {
    std::vector<DriveKind> kinds = {DriveKind::Virtual, DriveKind::Lto, DriveKind::Tgt};
    if (std::getenv("TAPEWREN_TEST_SG") != nullptr) kinds.push_back(DriveKind::Sg);
    return kinds;
}

void TestSleep(unsigned milliseconds) { testClock += milliseconds; }

namespace {

// Runs one command without data out and waits for it; the final status byte.
BYTE RunCommand(const DriveAddress& address, std::array<BYTE, 6> cdb, SRB_ExecSCSICmd& srb, BYTE* data = nullptr,
                DWORD length = 0) {
    srb = SRB_ExecSCSICmd{};
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = address.adapter;
    srb.SRB_Target = address.target;
    srb.SRB_Lun = address.lun;
    srb.SRB_Flags = data != nullptr ? SRB_DIR_IN : 0;
    srb.SRB_BufLen = length;
    srb.SRB_BufPointer = data;
    srb.SRB_SenseLen = SENSE_LEN;
    srb.SRB_CDBLen = 6;
    std::copy(cdb.begin(), cdb.end(), srb.CDBByte);
    SendASPI32Command(&srb);
    while (SrbStatus(srb.SRB_Status) == SS_PENDING) SleepMs(1);
    return SrbStatus(srb.SRB_Status);
}

std::string SenseText(const BYTE* sense) {
    char text[48];
    std::snprintf(text, sizeof text, "sense %02X/%02X/%02X", SenseData::Key(sense), sense[SenseData::kAsc],
                  sense[SenseData::kAscq]);
    return text;
}

}  // namespace

std::string AwaitReady(const DriveAddress& address) {
    // Ten minutes of the drive's time: a real first load can take longer,
    // these drives take seconds.
    for (int attempt = 0; attempt < 600; ++attempt) {
        SRB_ExecSCSICmd srb;
        if (RunCommand(address, {0x00, 0, 0, 0, 0, 0}, srb) == SS_COMP) {
            BYTE sense[18] = {};
            if (RunCommand(address, {0x03, 0, 0, 0, sizeof sense, 0}, srb, sense, sizeof sense) != SS_COMP)
                return "REQUEST SENSE failed";
            if (SenseData::Key(sense) != SenseKey::NoSense) return "REQUEST SENSE found " + SenseText(sense);
            return std::string();
        }
        if (srb.SRB_TargStat != STATUS_CHKCOND)
            return "TEST UNIT READY ended with target status " + std::to_string(srb.SRB_TargStat);
        const BYTE* sense = srb.SenseArea;
        const bool notReady = SenseData::Key(sense) == SenseKey::NotReady && sense[SenseData::kAsc] == 0x04;
        if (SenseData::Key(sense) == SenseKey::UnitAttention) continue;
        if (notReady && sense[SenseData::kAscq] == 0x01) {
            SleepMs(1000);
            continue;
        }
        if (notReady && sense[SenseData::kAscq] == 0x02) {
            if (RunCommand(address, {0x1B, 0, 0, 0, 0x01, 0}, srb) != SS_COMP) return "LOAD failed";
            continue;
        }
        return "TEST UNIT READY gave " + SenseText(sense);
    }
    return "the drive did not become ready";
}
