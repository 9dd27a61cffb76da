// Which drive a command line run touches: with --adapter and --target, only
// the drive named, in the same process as the session with scripted drives.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "cli/CliMessages.h"
#include "cli/CliSession.h"
#include "support/RecordingStatus.h"
#include "support/ScriptedDriveAdapter.h"

namespace {

TEST(CliDriveChoiceTest, NamedAdapterAndTargetAreTheOnlyDriveSetUp) {
    auto first = std::make_unique<ScriptedDriveAdapter>("FIRST");
    auto second = std::make_unique<ScriptedDriveAdapter>("SECOND");
    // The first adapter's drive is in variable-block mode: choosing it sends
    // it a MODE SELECT.
    first->At(2).type = 1;
    second->At(3).type = 1;
    second->At(3).blockLength = 1024;
    ScriptedDriveAdapter& untouched = *first;
    std::vector<std::unique_ptr<HostAdapter>> adapters;
    adapters.push_back(std::move(first));
    adapters.push_back(std::move(second));
    HostAdapterList::Install(std::move(adapters));

    std::FILE* out = std::tmpfile();
    CliMessages messages(out, nullptr, false, Answer::No);
    RecordingStatus status;
    CliSession session(messages, status, "/tmp");
    EXPECT_EQ(session.SelectDrive(1, 3), 0);
    EXPECT_EQ(session.Selector().Address().adapter, 1);
    EXPECT_EQ(untouched.modeSelects, 0);
    EXPECT_EQ(untouched.At(2).blockLength, 0);
    std::fclose(out);
    HostAdapterList::Install({});
}

}  // namespace
