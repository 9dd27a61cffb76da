// The iSCSI adapters without a target: the list in TAPEWREN_ISCSI, the
// time-out variable, and portals that refuse or never answer.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "aspi/ScsiExec.h"
#include "aspi/iscsi/IscsiHostAdapter.h"
#include "aspi/iscsi/IscsiHostAdapters.h"
#include "aspi/iscsi/IscsiPortalUrl.h"

namespace {

TEST(IscsiPortalUrlTest, HostPortAndTarget) {
    IscsiPortalUrl url;
    ASSERT_TRUE(IscsiPortalUrl::Parse("iscsi://127.0.0.1:3261/iqn.2024-01.test.tgt:tape", url));
    EXPECT_EQ(url.host, "127.0.0.1");
    EXPECT_EQ(url.port, 3261);
    EXPECT_EQ(url.targetName, "iqn.2024-01.test.tgt:tape");
    EXPECT_EQ(url.Portal(), "127.0.0.1:3261");
}

TEST(IscsiPortalUrlTest, PortDefaultsTo3260) {
    IscsiPortalUrl url;
    ASSERT_TRUE(IscsiPortalUrl::Parse("iscsi://nas.local/iqn.x:y", url));
    EXPECT_EQ(url.port, 3260);
}

TEST(IscsiPortalUrlTest, BracketedIpv6Host) {
    IscsiPortalUrl url;
    ASSERT_TRUE(IscsiPortalUrl::Parse("iscsi://[::1]:3262/iqn.x:y", url));
    EXPECT_EQ(url.host, "::1");
    EXPECT_EQ(url.Portal(), "[::1]:3262");
}

class BadIscsiUrlTest : public ::testing::TestWithParam<const char*> {};

TEST_P(BadIscsiUrlTest, IsRefused) {
    IscsiPortalUrl url;
    url.host = "untouched";
    EXPECT_FALSE(IscsiPortalUrl::Parse(GetParam(), url));
    EXPECT_EQ(url.host, "untouched");
}

INSTANTIATE_TEST_SUITE_P(Urls, BadIscsiUrlTest,
                         ::testing::Values("http://h/iqn.x", "iscsi://h", "iscsi://h/", "iscsi:///iqn.x",
                                           "iscsi://h:0/iqn.x", "iscsi://h:70000/iqn.x", "iscsi://h:12a/iqn.x",
                                           "iscsi://h/iqn.x/1", "iscsi://::1/iqn.x", "iscsi://[::1/iqn.x",
                                           "iscsi://user@h/iqn.x"));

TEST(IscsiPortalUrlTest, ListSplitsOnBlanksAndCommas) {
    const auto entries = IscsiPortalUrl::SplitList(" iscsi://a/iqn.1:a,iscsi://b/iqn.1:b ,\n\tiscsi://c/iqn.1:c ");
    EXPECT_EQ(entries, (std::vector<std::string>{"iscsi://a/iqn.1:a", "iscsi://b/iqn.1:b", "iscsi://c/iqn.1:c"}));
    EXPECT_TRUE(IscsiPortalUrl::SplitList(nullptr).empty());
    EXPECT_TRUE(IscsiPortalUrl::SplitList(" , ").empty());
}

TEST(IscsiHostAdaptersTest, OneAdapterPerValidUrlInOrder) {
    const auto adapters =
        CreateIscsiHostAdapters("iscsi://10.0.0.1/iqn.1:a not-a-url iscsi://nas.example.org:3270/iqn.1:b", nullptr);
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[0]->Identifier(), "iSCSI 10.0.0.1");
    EXPECT_EQ(adapters[1]->Identifier(), "iSCSI nas.exampl");
}

TEST(IscsiHostAdaptersTest, TwoTargetsOnOnePortalHaveTheirOwnNames) {
    const auto adapters = CreateIscsiHostAdapters("iscsi://10.0.0.5/iqn.2024-01.x:a iscsi://10.0.0.5:3261/iqn.2024-01.x:b",
                                                  nullptr);
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[0]->Name(), "iSCSI 10.0.0.5:3260 iqn.2024-01.x:a");
    EXPECT_EQ(adapters[1]->Name(), "iSCSI 10.0.0.5:3261 iqn.2024-01.x:b");
}

TEST(IscsiHostAdaptersTest, TimeoutIsPositiveSecondsOrTheDefault) {
    EXPECT_EQ(IscsiTimeoutSeconds("30"), 30);
    EXPECT_EQ(IscsiTimeoutSeconds(nullptr), kIscsiDefaultTimeoutSeconds);
    EXPECT_EQ(IscsiTimeoutSeconds(""), kIscsiDefaultTimeoutSeconds);
    EXPECT_EQ(IscsiTimeoutSeconds("0"), kIscsiDefaultTimeoutSeconds);
    EXPECT_EQ(IscsiTimeoutSeconds("-5"), kIscsiDefaultTimeoutSeconds);
    EXPECT_EQ(IscsiTimeoutSeconds("10s"), kIscsiDefaultTimeoutSeconds);
}

// A TCP listener that never accepts: the kernel completes the handshake,
// and the login request goes unanswered, like a hung target.
class SilentPortal {
public:
    SilentPortal() {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(fd_, 4) == 0 &&
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port_ = ntohs(address.sin_port);
    }
    ~SilentPortal() {
        if (fd_ >= 0) close(fd_);
    }
    int Port() const { return port_; }
    void Stop() {
        close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

IscsiPortalUrl Loopback(int port) {
    IscsiPortalUrl url;
    url.host = "127.0.0.1";
    url.port = port;
    url.targetName = "iqn.2024-01.test:none";
    return url;
}

SRB_ExecSCSICmd TestUnitReadyRequest() {
    SRB_ExecSCSICmd srb{};
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_Target = 1;
    srb.SRB_CDBLen = 6;
    srb.SRB_SenseLen = SENSE_LEN;
    return srb;
}

TEST(IscsiAdapterOfflineTest, PortalThatNeverAnswersTimesOutInsteadOfHanging) {
    SilentPortal portal;
    ASSERT_NE(portal.Port(), 0);
    IscsiHostAdapter adapter(Loopback(portal.Port()), 1, 1);
    EXPECT_EQ(adapter.DeviceType(1), -1);
    SRB_ExecSCSICmd srb = TestUnitReadyRequest();
    ScsiExec exec(srb);
    adapter.Execute(1, exec);
    EXPECT_EQ(srb.SRB_Status, SS_ERR);
    EXPECT_EQ(srb.SRB_HaStat, HASTAT_TIMEOUT);
}

TEST(IscsiAdapterOfflineTest, RefusedConnectionIsSelectionTimeout) {
    SilentPortal portal;
    const int port = portal.Port();
    portal.Stop();
    IscsiHostAdapter adapter(Loopback(port), 5, 5);
    EXPECT_EQ(adapter.DeviceType(1), -1);
    SRB_ExecSCSICmd srb = TestUnitReadyRequest();
    ScsiExec exec(srb);
    adapter.Execute(1, exec);
    EXPECT_EQ(srb.SRB_Status, SS_ERR);
    EXPECT_EQ(srb.SRB_HaStat, HASTAT_SEL_TO);
}

}  // namespace
