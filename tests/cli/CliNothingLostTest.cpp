// What tapewren-cli must not lose or call done: a catalog brought back from
// the floppy that is behind the tape, damage in the middle of the tape, a
// refusal for lack of catalog room, a cartridge that another program holds.
#include <gtest/gtest.h>
#include <sys/file.h>

#include <filesystem>

#include "CliFixture.h"
#include "support/TapImage.h"

namespace {

class CliNothingLostTest : public CliFixture {};

TEST_F(CliNothingLostTest, OlderCatalogFromTheFloppyIsRefusedUntilRebuilt) {
    for (int i = 0; i < 4; ++i) Write("src/f" + std::to_string(i) + ".txt", Pattern(3000, 10 + i));
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    ASSERT_EQ(cli->Run({"backup", "../src/f0.txt"}).status, 0);
    ASSERT_EQ(cli->Run({"export", "Daily"}).status, 0);
    ASSERT_EQ(cli->Run({"backup", "../src/f1.txt", "../src/f2.txt"}).status, 0);
    const CliRun imported = cli->Run({"import", "Daily", "--yes"});
    ASSERT_EQ(imported.status, 0) << imported.err;
    const std::string tape = Bytes(Tape());

    const CliRun refused = cli->Run({"backup", "../src/f3.txt"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Error: the tape holds 2 file records that the DirFile on hard drive does not list."),
              std::string::npos)
        << refused.err;
    EXPECT_TRUE(Bytes(Tape()) == tape) << "the tape changed";
    // The end of data it found on purpose is not the failure.
    EXPECT_EQ(refused.err.find("The tape ends here"), std::string::npos) << refused.err;

    ASSERT_EQ(cli->Run({"rebuild", "--yes"}).status, 0);
    const CliRun backup = cli->Run({"backup", "../src/f3.txt"});
    ASSERT_EQ(backup.status, 0) << backup.err;
    ASSERT_EQ(cli->Run({"restore", "--to", "../dst", "--all"}).status, 0);
    for (int i = 0; i < 4; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        EXPECT_EQ(Read("dst/" + name), Read("src/" + name)) << name;
    }
}

TEST_F(CliNothingLostTest, DamagedRecordCostsOnlyItselfAndFailsTheRun) {
    FormatAndBackUp();  // b.zip, a.txt, c.dat in tape order
    bool ok = false;
    auto objects = TapImage::Parse(Tape(), ok);
    ASSERT_TRUE(ok);
    std::size_t at = 0;
    for (int marks = 0; marks < 2; ++at) marks += objects[at].filemark;
    objects[at].data[0] = 7;  // record 2's header is no header
    TapImage::Write(Tape(), objects);

    const CliRun restore = cli->Run({"restore", "--to", "../dst", "--all"});
    EXPECT_EQ(restore.status, 1);
    EXPECT_NE(restore.err.find("Error: file record 2 on tape skipped: no file header"), std::string::npos)
        << restore.err;
    EXPECT_EQ(Read("dst/b.zip"), Read("src/b.zip"));
    EXPECT_EQ(Read("dst/c.dat"), Read("src/c.dat"));
    EXPECT_FALSE(std::filesystem::exists(Path("dst/a.txt")));

    const CliRun rebuild = cli->Run({"rebuild", "--yes"});
    EXPECT_EQ(rebuild.status, 1);
    for (const CliRun* run : {&restore, &rebuild})
        EXPECT_EQ(run->err.find("The tape ends here"), std::string::npos) << run->err;
    const CliRun dir = cli->Run({"dir"});
    EXPECT_EQ(dir.out.substr(0, 6), "b.zip\t");
    EXPECT_NE(dir.out.find("\nc.dat\t"), std::string::npos) << dir.out;
    EXPECT_EQ(dir.out.find("a.txt"), std::string::npos) << dir.out;
}

TEST_F(CliNothingLostTest, RefusalForLackOfCatalogRoomFailsTheRun) {
    FormatAndBackUp();
    std::string catalog = Bytes(Catalog());
    std::string entry(286, '\0');
    entry[0] = 1;
    for (int i = 0; i < 996; ++i) catalog += entry;
    Write("start/Daily.twd", catalog);
    const std::string tape = Bytes(Tape());
    const CliRun backup = cli->Run({"backup", "../src/a.txt"});
    EXPECT_EQ(backup.status, 1);
    EXPECT_NE(backup.err.find("Sorry, only space for 0 files left on directory"), std::string::npos) << backup.err;
    EXPECT_TRUE(Bytes(Tape()) == tape) << "the tape changed";
    // --quiet (cron) shows every message of a run that fails, and ends with
    // the tape and the number of files.
    const CliRun quiet = cli->Run({"backup", "../src/a.txt", "--quiet"});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_NE(quiet.err.find("Info: Sorry, only space for 0 files left on directory\n"), std::string::npos)
        << quiet.err;
    EXPECT_EQ(quiet.err.substr(quiet.err.rfind('\n', quiet.err.size() - 2) + 1),
              "tapewren-cli backup failed (tape 'Daily', 1 file)\n")
        << quiet.err;
}

TEST_F(CliNothingLostTest, EjectOfACartridgeAnotherProgramHoldsFailsAndTheMagazineStays) {
    FormatAndBackUp();
    ASSERT_EQ(cli->Run({"eject"}).status, 0);  // a blank tape02 is loaded and noted in .loaded
    const std::string loaded = Read("tapes/.loaded");
    const std::string held = Path("tapes/" + loaded.substr(0, loaded.find('\n')));
    const int holder = ::open(held.c_str(), O_RDWR);
    ASSERT_GE(holder, 0) << held;
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    const CliRun eject = cli->Run({"eject"});
    ::close(holder);
    EXPECT_EQ(eject.status, 1);
    EXPECT_EQ(Read("tapes/.loaded"), loaded);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("tapes")), std::filesystem::directory_iterator()),
              3);  // tape01, tape02 and .loaded: no tape03
}

}  // namespace
