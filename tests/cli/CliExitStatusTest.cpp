// Exit status 2 for a wrong command line, with nothing touched; 1 for a job
// that fails or is refused; the reasons on standard error.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliFixture.h"
#include "tape/ProgramVersion.h"

namespace {

class CliUsageTest : public CliFixture, public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CliUsageTest, WrongCommandLineExitsWith2AndTouchesNoDrive) {
    Write("src/a.txt", "a");
    Write("dst/b.txt", "b");
    const CliRun run = cli->Run(GetParam());
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find("tapewren-cli: "), std::string::npos);
    // Not even a blank cartridge was made.
    EXPECT_TRUE(std::filesystem::is_empty(Path("tapes")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsageTest,
    testing::Values(std::vector<std::string>{}, std::vector<std::string>{"frob"},
                    std::vector<std::string>{"format"}, std::vector<std::string>{"format", "A", "B"},
                    std::vector<std::string>{"backup"}, std::vector<std::string>{"restore", "a.txt"},
                    std::vector<std::string>{"restore", "--to", "../dst", "--all", "a.txt"},
                    std::vector<std::string>{"verify"}, std::vector<std::string>{"dir", "--report"},
                    std::vector<std::string>{"dir", "--target", "8"},
                    std::vector<std::string>{"dir", "--adapter", "x"},
                    std::vector<std::string>{"dir", "--yes", "--no"}, std::vector<std::string>{"dir", "--frob"},
                    std::vector<std::string>{"export"}, std::vector<std::string>{"status", "--to"},
                    std::vector<std::string>{"backup", "../src/a.txt", "../dst/b.txt"},
                    std::vector<std::string>{"find"}, std::vector<std::string>{"dir", "--exclude", "x"},
                    std::vector<std::string>{"restore", "--to", "../dst", "--skip-existing", "--overwrite"},
                    std::vector<std::string>{"backup", "../src/a.txt", "--json"},
                    std::vector<std::string>{"status", "--quiet", "--verbose"},
                    std::vector<std::string>{"selftest", "--tape", "Daily"},
                    std::vector<std::string>{"dir", "--tape="}));

class CliAnsweredNoTest : public CliFixture, public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CliAnsweredNoTest, EveryQuestionAnsweredNoFailsTheRun) {
    FormatAndBackUp();
    ASSERT_EQ(cli->Run({"export", "Daily"}).status, 0);  // export and import find a copy to replace
    Write("dst/a.txt", "mine");
    std::vector<std::string> args = GetParam();
    args.push_back("--no");
    const CliRun run = cli->Run(args);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("[y/N] no (--no)"), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Commands, CliAnsweredNoTest,
                         testing::Values(std::vector<std::string>{"export", "Daily"},
                                         std::vector<std::string>{"import", "Daily"},
                                         std::vector<std::string>{"format", "Daily"},
                                         std::vector<std::string>{"rebuild"}, std::vector<std::string>{"selftest"},
                                         std::vector<std::string>{"restore", "--to", "../dst"},
                                         std::vector<std::string>{"restore", "--to", "../dst", "--all"},
                                         std::vector<std::string>{"restore", "--to", "../dst", "a.txt"}));

// A listing or result that cannot be written (a full disk) is a failure.
class CliFullDiskTest : public CliFixture, public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CliFullDiskTest, OutputThatCannotBeWrittenFailsTheRun) {
    FormatAndBackUp();
    cli->SendOutputTo("/dev/full");
    const CliRun run = cli->Run(GetParam());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("tapewren-cli: standard output could not be written whole"), std::string::npos)
        << run.err;
}

INSTANTIATE_TEST_SUITE_P(Commands, CliFullDiskTest,
                         testing::Values(std::vector<std::string>{"dir"},
                                         std::vector<std::string>{"dir", "--tape", "Daily", "--json"},
                                         std::vector<std::string>{"find", "*"}, std::vector<std::string>{"check"},
                                         std::vector<std::string>{"verify", "--in", "../src"},
                                         std::vector<std::string>{"--help"}));

class CliFailureTest : public CliFixture {};

TEST_F(CliFailureTest, DirWithoutTheTapesCatalogFails) {
    FormatAndBackUp();
    std::filesystem::remove(Catalog());
    const CliRun dir = cli->Run({"dir"});
    EXPECT_EQ(dir.status, 1);
    EXPECT_EQ(dir.out, "");
    // The command line names its own commands, not the window's tab.
    EXPECT_NE(dir.err.find("Error: DirFile not found on hard drive. \nThe catalog folder holds no Daily.twd: make it "
                           "anew from the tape with \"tapewren-cli rebuild\""),
              std::string::npos)
        << dir.err;
    EXPECT_EQ(dir.err.find("tab"), std::string::npos) << dir.err;
}

TEST_F(CliFailureTest, BlankTapeFailsEveryTapeCommand) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"dir"}, std::vector<std::string>{"check"},
                                                 std::vector<std::string>{"restore", "--to", "../dst", "--all"}}) {
        const CliRun run = cli->Run(args);
        EXPECT_EQ(run.status, 1) << args.front();
        EXPECT_NE(run.err.find("Error: Error reading IdentBlock from tape"), std::string::npos) << run.err;
    }
}

TEST_F(CliFailureTest, BackupOfAMissingFileWritesNothing) {
    FormatAndBackUp();
    const std::string tape = Bytes(Tape()), catalog = Bytes(Catalog());
    const CliRun backup = cli->Run({"backup", "../src/a.txt", "../src/nothing.txt"});
    EXPECT_EQ(backup.status, 1);
    EXPECT_NE(backup.err.find("'nothing.txt' is not a file that can be backed up"), std::string::npos) << backup.err;
    EXPECT_EQ(Bytes(Tape()), tape);
    EXPECT_EQ(Bytes(Catalog()), catalog);
}

TEST_F(CliFailureTest, RestoreOfANameNotInTheCatalogRestoresNothing) {
    FormatAndBackUp();
    const CliRun restore = cli->Run({"restore", "--to", "../dst", "a.txt", "zzz"});
    EXPECT_EQ(restore.status, 1);
    EXPECT_NE(restore.err.find("'zzz' is not in the directory file of tape 'Daily'"), std::string::npos)
        << restore.err;
    EXPECT_TRUE(std::filesystem::is_empty(Path("dst")));
}

TEST_F(CliFailureTest, RestoreIntoAFolderThatIsNotThereFails) {
    FormatAndBackUp();
    const CliRun restore = cli->Run({"restore", "--to", "../nowhere", "a.txt"});
    EXPECT_EQ(restore.status, 1);
    EXPECT_NE(restore.err.find("Error: '../nowhere' is not a folder"), std::string::npos) << restore.err;
}

TEST_F(CliFailureTest, TargetWithoutATapeDriveIsRefused) {
    const CliRun check = cli->Run({"check", "--target", "3"});
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.err.find("Error: - no tape device selected -"), std::string::npos) << check.err;
}

TEST_F(CliFailureTest, AnAdapterThatIsNotListedHasNoTapeDrive) {
    const CliRun dir = cli->Run({"dir", "--adapter", "9"});
    EXPECT_EQ(dir.status, 1);
    EXPECT_NE(dir.err.find("Error: - no tape device selected -"), std::string::npos) << dir.err;
}

TEST_F(CliFailureTest, StatusExitsZeroOnlyForAReadyDrive) {
    const CliRun ready = cli->Run({"status"});
    EXPECT_EQ(ready.status, 0) << ready.err;
    EXPECT_EQ(ready.out.substr(0, ready.out.find('\n')), " Ready.");
    EXPECT_NE(ready.out.find("Block Size: 1024 Bytes\n"), std::string::npos);

    const CliRun none = cli->Run({"status", "--target", "5"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out.substr(0, none.out.find('\n')), "- no tape device selected -");
}

TEST_F(CliFailureTest, AdaptersListsTheVirtualDriveAsTheWindowDoes) {
    const CliRun adapters = cli->Run({"adapters"});
    ASSERT_EQ(adapters.status, 0) << adapters.err;
    EXPECT_EQ(adapters.out.substr(0, 4), "0 - ");
    EXPECT_NE(adapters.out.find("  * 0 - VIRTUAL TAPE DRIVE        Type: Tape\n    1 - no device\n"),
              std::string::npos)
        << adapters.out;
}

TEST_F(CliFailureTest, HelpNamesEveryCommand) {
    const CliRun help = cli->Run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"adapters", "status", "format", "check", "eject", "dir", "find", "backup", "restore",
                                "verify", "rebuild", "export", "import", "selftest"})
        EXPECT_NE(help.out.find(std::string("\n  ") + command), std::string::npos) << command;
}

TEST_F(CliFailureTest, VersionIsOneLineOnStandardOutput) {
    const CliRun version = cli->Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("tapewren-cli ") + kProgramVersion + "\n");
}

}  // namespace
