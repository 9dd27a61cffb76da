// The window on an iSCSI tape drive that tgt serves on 127.0.0.1, as a user
// meets it: what the combos list and choose, FORMAT, Check and Dir Tape on
// it; and a portal that refuses or never answers, which must leave the
// window usable with a plain "no device" state instead of hanging it.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "ModalScript.h"
#include "WindowTestSupport.h"
#include "app/DefaultAdapters.h"
#include "support/TgtDaemon.h"
#include "tape/DateText.h"
#include "ui/ControlId.h"
#include "ui/TabLayout.h"
#include "ui/WindowController.h"

namespace {

const char kFormatQuestion[] = "Do you really want to format the tape and erase everything on it?";
const char kOverwriteQuestion[] = "A tape with that name exists already. Overwrite?";
const char kVirtualAdapter[] = "1 - VIRTUAL TAPE    ";
// An iSCSI adapter is named after its portal and target.
const char kIscsiAdapter[] = "0 - iSCSI 127.0.0.1:";

// The adapter entries: the portal's, then the virtual drive's.
void ExpectIscsiThenVirtual(const std::vector<std::string>& entries) {
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].rfind(kIscsiAdapter, 0), 0u) << entries[0];
    EXPECT_EQ(entries[1], kVirtualAdapter);
}

// A TCP socket on 127.0.0.1 that the test holds for its whole run: bound
// only, it refuses connections; listening, the kernel completes them but
// nobody ever reads.
class LoopbackSocket {
public:
    explicit LoopbackSocket(bool listening) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        if (fd_ < 0) return;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        // Non-blocking, so that taking the waiting connections ends.
        if (fcntl(fd_, F_SETFL, O_NONBLOCK) != 0 ||
            bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
            (listening && listen(fd_, 4) != 0))
            return;
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackSocket() {
        if (fd_ >= 0) close(fd_);
    }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    int Port() const { return port_; }
    // Connections the kernel completed and nobody took yet; each is closed.
    int TakeWaitingConnections() {
        int taken = 0;
        for (int fd; (fd = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK)) >= 0 || errno == EINTR;) {
            if (fd < 0) continue;
            close(fd);
            ++taken;
        }
        return taken;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

// Ends the process if the test hangs, rather than waiting for the test
// runner's own limit: far beyond any login deadline, not a speed check.
struct HangGuard {
    HangGuard() { alarm(120); }
    ~HangGuard() { alarm(0); }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;
};

}  // namespace

void PrintTo(const ModalScript::Seen& seen, std::ostream* out) { *out << seen.title << ": " << seen.text; }

// Window tests with the program's own adapter list: the iSCSI portal of
// TAPEWREN_ISCSI first, the virtual drive in a temporary folder after it.
class IscsiWindowBase : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        root = std::filesystem::canonical(folder.path().toStdString()).string();
        std::filesystem::create_directories(root + "/start");
        std::filesystem::create_directories(root + "/tapes");
        setenv("TAPEWREN_VTAPE", (root + "/tapes").c_str(), 1);
        unsetenv("TAPEWREN_VTAPE_CAPACITY_MB");
    }
    void TearDown() override {
        WindowTest::TearDown();
        unsetenv("TAPEWREN_VTAPE");
        unsetenv("TAPEWREN_ISCSI");
        unsetenv("TAPEWREN_ISCSI_TIMEOUT");
    }

    // Opens the window on the adapters of TAPEWREN_ISCSI; any message it
    // shows while starting is closed and recorded in `startMessages`.
    void OpenOn(const std::string& url, const char* timeoutSeconds) {
        setenv("TAPEWREN_ISCSI", url.c_str(), 1);
        if (timeoutSeconds != nullptr)
            setenv("TAPEWREN_ISCSI_TIMEOUT", timeoutSeconds, 1);
        else
            unsetenv("TAPEWREN_ISCSI_TIMEOUT");
        InstallDefaultAdapters();
        // The window takes the current directory as its start directory.
        std::filesystem::current_path(root + "/start");
        ModalScript watch;
        watch.Start();
        Open();
        QCoreApplication::processEvents();
        startMessages = watch.Unexpected();
    }

    std::vector<ModalScript::Seen> Click(int id, int messages) {
        ModalScript script;
        for (int i = 0; i < messages; ++i) script.Message(true);
        script.Start();
        QTest::mouseClick(Get<QPushButton>(id), Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_TRUE(script.Finished()) << "unexpected: " << (script.Unexpected().empty() ? "" : script.Unexpected()[0]);
        return script.Messages();
    }
    std::vector<ModalScript::Seen> Format(const std::string& name, int questions) {
        ClickTab(kUtilitiesTab);
        auto* field = Get<QLineEdit>(kTapeNameField);
        field->clear();
        QTest::keyClicks(field, QString::fromStdString(name));
        return Click(kFormatTape, questions);
    }
    std::string Catalog(const std::string& tape) { return root + "/start/" + tape + ".twd"; }

    QTemporaryDir folder;
    std::string root;
    std::vector<std::string> startMessages;
};

// tgt serves one target with tape drives at LUNs 1 and 2, each with a new
// blank tape per test; LUN 0 is tgt's fixed controller.
class IscsiWindowTest : public IscsiWindowBase {
protected:
    static void TearDownTestSuite() { TgtDaemon::Instance().Stop(); }

    void SetUp() override {
        IscsiWindowBase::SetUp();
        TgtDaemon& daemon = TgtDaemon::Instance();
        ASSERT_TRUE(daemon.NewTape(1)) << daemon.Error();
        ASSERT_TRUE(daemon.NewTape(2)) << daemon.Error();
        OpenOn(daemon.TargetUrl(), nullptr);
        ASSERT_TRUE(startMessages.empty()) << startMessages[0];
    }
};

TEST_F(IscsiWindowTest, ListsThePortalBeforeTheVirtualDriveAndChoosesTheHighestTapeLun) {
    ExpectIscsiThenVirtual(ComboTexts(Get<QComboBox>(kAdapterCombo)));
    EXPECT_EQ(Get<QComboBox>(kAdapterCombo)->currentIndex(), 0);
    EXPECT_EQ(ComboTexts(Get<QComboBox>(kDeviceCombo)),
              // tgt's controller LUN has type 0x0C, which has no name.
              (std::vector<std::string>{"0 - IET     Controller        Type: ",
                                        "1 - IET     VIRTUAL-TAPE      Type: Tape",
                                        "2 - IET     VIRTUAL-TAPE      Type: Tape", "3 - no device", "4 - no device",
                                        "5 - no device", "6 - no device", "7 - no device"}));
    EXPECT_EQ(Get<QComboBox>(kDeviceCombo)->currentIndex(), 2);
}

TEST_F(IscsiWindowTest, TheFreshDriveIsSwitchedFromVariableBlocksTo1024AndReady) {
    EXPECT_EQ(TextOf(kBlockSizeField), "1024");
    // tgt reports no block count.
    EXPECT_EQ(TextOf(kCapacityField), "n.a.");
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
    EXPECT_TRUE(Get<QTabWidget>(kTabControl)->isEnabled());
    EXPECT_TRUE(Shown(kStart));
    EXPECT_FALSE(Shown(kDeviceStateLabel));
}

TEST_F(IscsiWindowTest, FormatAsksOnceThenCheckShowsNameDateAndVersion) {
    const std::string before = TodayText();
    const auto asked = Format("Nightly", 1);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], (ModalScript::Seen{"Question", std::string(kFormatQuestion) +
                                                           "\n\nThe tape in the drive has no name: it is blank or "
                                                           "was not formatted by this program."}));
    EXPECT_EQ(std::filesystem::file_size(Catalog("Nightly")), 78u);

    const auto checked = Click(kCheckTape, 1);
    const std::string after = TodayText();
    ASSERT_EQ(checked.size(), 1u);
    EXPECT_EQ(checked[0].title, "Info");
    const auto lines = [](const std::string& day) {
        return "Tape name: Nightly\nDate of formatting: " + day + "\nFormatted with Tapewren version: 1.6";
    };
    EXPECT_TRUE(checked[0].text == lines(before) || checked[0].text == lines(after)) << checked[0].text;
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
}

TEST_F(IscsiWindowTest, DirTapeAfterFormatShowsTheTapesEmptyCatalog) {
    Format("Nightly", 1);
    ClickTab(kBackupTab);
    EXPECT_TRUE(Click(kRightDirTape, 0).empty());
    EXPECT_EQ(TextOf(kRightListLabel), "Tape: 'Nightly'");
    EXPECT_EQ(Get<QTreeWidget>(kRightList)->topLevelItemCount(), 0);
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
}

TEST_F(IscsiWindowTest, ReformattingAnExistingNameAsksBothQuestionsAndStartsAnEmptyCatalog) {
    Format("Nightly", 1);
    // A catalog that has grown since: the reformat must start it afresh.
    {
        std::ofstream grow(Catalog("Nightly"), std::ios::app | std::ios::binary);
        grow << std::string(286, '\0');
    }
    const auto asked = Format("Nightly", 2);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], (ModalScript::Seen{"Question", kOverwriteQuestion}));
    // The question names the tape it erases: the grown catalog lists no whole entry.
    EXPECT_EQ(asked[1].text.rfind(std::string(kFormatQuestion) + "\n\nThe tape in the drive is 'Nightly', formatted ", 0), 0u);
    EXPECT_TRUE(asked[1].text.ends_with("; by its catalog it holds 0 file records.")) << asked[1].text;
    EXPECT_EQ(std::filesystem::file_size(Catalog("Nightly")), 78u);
    const auto checked = Click(kCheckTape, 1);
    ASSERT_EQ(checked.size(), 1u);
    EXPECT_EQ(checked[0].text.rfind("Tape name: Nightly\n", 0), 0u) << checked[0].text;
}

TEST_F(IscsiWindowTest, FormatOnTheLowerLunLeavesTheChosenOneBlank) {
    // Choose LUN 1 in the combo as a user would, format there, then go back
    // to LUN 2: each LUN is its own drive.
    auto* devices = Get<QComboBox>(kDeviceCombo);
    devices->setFocus();
    QTest::keyClick(devices, Qt::Key_Up);
    ASSERT_EQ(devices->currentIndex(), 1);
    ASSERT_EQ(TextOf(kStatusLine), " Ready.");
    Format("LunOne", 1);
    QTest::keyClick(devices, Qt::Key_Down);
    ASSERT_EQ(devices->currentIndex(), 2);
    const auto checked = Click(kCheckTape, 1);
    ASSERT_EQ(checked.size(), 1u);
    EXPECT_EQ(checked[0].text, "Error reading IdentBlock from tape\n\nThe start of the tape cannot be read: the tape is "
                               "blank, or written in a format that this drive cannot read. Format it on the "
                               "Utilities tab with \"FORMAT Tape\" to use it.");
}

// Portals that do not work. Every wait has a deadline, so the window opens;
// the drive entries say "no device" and the tab area stays closed behind
// its notice. The virtual drive is still there to be chosen.
class IscsiDeadPortalWindowTest : public IscsiWindowBase, public testing::WithParamInterface<bool> {
protected:
    void ExpectNoDriveState() {
        EXPECT_TRUE(startMessages.empty()) << startMessages[0];
        ExpectIscsiThenVirtual(ComboTexts(Get<QComboBox>(kAdapterCombo)));
        auto* devices = Get<QComboBox>(kDeviceCombo);
        ASSERT_EQ(devices->count(), 8);
        for (int i = 0; i < devices->count(); ++i)
            EXPECT_EQ(devices->itemText(i).toStdString(), std::to_string(i) + " - no device");
        EXPECT_EQ(devices->currentIndex(), 0);
        EXPECT_TRUE(Shown(kDeviceStateLabel));
        EXPECT_EQ(TextOf(kDeviceStateLabel), "- no tape device selected -");
        EXPECT_FALSE(Get<QTabWidget>(kTabControl)->isEnabled());
        for (int id : TabLayout::AreaControls()) EXPECT_FALSE(Shown(id)) << "control " << id;
        EXPECT_EQ(TextOf(kBlockSizeField), "n.a.");
        EXPECT_EQ(TextOf(kStatusLine), " Selected device not installed");
    }
};

TEST_P(IscsiDeadPortalWindowTest, OpensWithNoDeviceAndTheVirtualDriveStillWorks) {
    const bool listening = GetParam();
    LoopbackSocket dead(listening);
    ASSERT_NE(dead.Port(), 0);
    const HangGuard guard;
    OpenOn("iscsi://127.0.0.1:" + std::to_string(dead.Port()) + "/iqn.2026-12.tapewren.test:none", "1");
    ExpectNoDriveState();
    // The silent portal was really reached: the program's login waited on
    // a connection that nobody served.
    if (listening) {
        EXPECT_GT(dead.TakeWaitingConnections(), 0);
    }

    auto* adapters = Get<QComboBox>(kAdapterCombo);
    adapters->setFocus();
    QTest::keyClick(adapters, Qt::Key_Down);
    ASSERT_EQ(adapters->currentIndex(), 1);
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
    EXPECT_TRUE(Shown(kStart));
    EXPECT_FALSE(Shown(kDeviceStateLabel));

    // Back to the dead portal: the same plain state again, not a hang.
    QTest::keyClick(adapters, Qt::Key_Up);
    ASSERT_EQ(adapters->currentIndex(), 0);
    ExpectNoDriveState();
}

INSTANTIATE_TEST_SUITE_P(RefusedOrSilent, IscsiDeadPortalWindowTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("ListenerThatNeverAnswers")
                                               : std::string("NothingListening");
                         });

TEST_F(IscsiWindowTest, DriveThatGoesAwayGivesAnErrorNotATapeName) {
    Format("Nightly", 1);
    const HangGuard guard;
    // The session drops with the daemon; the next command finds no portal.
    TgtDaemon::Instance().Stop();
    const auto checked = Click(kCheckTape, 1);
    ASSERT_EQ(checked.size(), 1u);
    EXPECT_EQ(checked[0].title, "Error");
    EXPECT_EQ(checked[0].text, "Error reading IdentBlock from tape\n\nNo drive answers at the selected target any "
                               "more. Check that it is switched on and connected, then look at the list under "
                               "\"Select SCSI Adapter\".");
    EXPECT_EQ(TextOf(kStatusLine), " Selected device not installed");
}
