// The session both faces build: the adapters installed before the first
// listing and only then, and the jobs handed the session's own objects.
#include "app/Session.h"

#include <gtest/gtest.h>

#include "aspi/HostAdapterList.h"
#include "support/FakeJobWindow.h"
#include "support/RecordingStatus.h"
#include "support/ScriptedDriveAdapter.h"
#include "support/ScriptedMessages.h"

namespace {

int setups = 0;

void InstallOneDrive() {
    ++setups;
    HostAdapterList::Install(ScriptedDriveAdapter::OneTapeDrive(1));
}

class SessionTest : public testing::Test {
protected:
    void SetUp() override {
        setups = 0;
        HostAdapterList::Install({});
    }
    void TearDown() override { HostAdapterList::Install({}); }

    ScriptedMessages messages;
    RecordingStatus status;
};

TEST_F(SessionTest, AdaptersAreInstalledOnceBeforeTheFirstListing) {
    Session session(messages, status, InstallOneDrive);
    EXPECT_EQ(HostAdapterList::Count(), 0) << "a command that needs no drive touches none";
    const AdapterListing first = session.ListAdapters();
    ASSERT_TRUE(first.available);
    EXPECT_EQ(first.entries.size(), 1u);
    EXPECT_EQ(first.devices.chosen, 1);
    session.ListAdapters();
    EXPECT_EQ(setups, 1);
}

TEST_F(SessionTest, JobsWorkOnTheSessionsOwnObjectsAndTexts) {
    Session session(messages, status);
    session.CurrentTapeName() = "Old";
    session.CurrentDirFilePath() = "/start/Old.twd";
    session.Start("/start");
    EXPECT_EQ(session.StartDirectory(), "/start");
    EXPECT_TRUE(session.CurrentTapeName().empty()) << "no tape is current at start";
    EXPECT_TRUE(session.CurrentDirFilePath().empty());

    FakeJobWindow window;
    const JobContext context = session.ContextFor(window);
    EXPECT_EQ(&context.volume, &session.Volume());
    EXPECT_EQ(&context.device, &session.Device());
    EXPECT_EQ(&context.dirFile, &session.Catalog());
    EXPECT_EQ(&context.drive, &session.Selector().Selection());
    EXPECT_EQ(&context.messages, &messages);
    EXPECT_EQ(&context.status, &status);
    EXPECT_EQ(&context.counters, &session.Counters());
    EXPECT_EQ(&context.events, &window);
    EXPECT_EQ(&context.startDirectory, &session.StartDirectory());
    EXPECT_EQ(&context.currentTapeName, &session.CurrentTapeName());
    EXPECT_EQ(&context.currentDirFilePath, &session.CurrentDirFilePath());
    const CurrentTape tape = session.Tape();
    EXPECT_EQ(&tape.tapeName, &session.CurrentTapeName());
    EXPECT_EQ(&tape.dirFilePath, &session.CurrentDirFilePath());
}

}  // namespace
