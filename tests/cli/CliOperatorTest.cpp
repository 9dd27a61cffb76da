// What an operator meets through the built tapewren-cli on the virtual
// drive: device failures in words, the wrong-tape and destructive-answer
// guards, existing files on restore, folders in a backup, the catalog
// folder, find, JSON read back with a JSON parser, and the self-test (on tgt
// over iSCSI too).
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <nlohmann/json.hpp>

#include "CliFixture.h"
#include "support/TapImage.h"
#include "support/TgtDaemon.h"
#include "tape/DateText.h"

namespace {

using Json = nlohmann::json;

class CliOperatorTest : public CliFixture {
public:
    // For the set-up steps of parameterised cases.
    using CliFixture::cli;
    using CliFixture::Path;
    using CliFixture::Pattern;
    using CliFixture::Tape;
    using CliFixture::Write;
};

struct DeviceCase {
    const char* name;
    std::function<void(CliOperatorTest&)> setUp;  // after FormatAndBackUp unless blank
    bool blank;
    std::vector<std::string> args;
    std::string said;  // in the messages; "$IMAGE" stands for the image's path
};

class CliDeviceWordsTest : public CliOperatorTest, public testing::WithParamInterface<DeviceCase> {};

// The LTO-like drive with a cartridge of this kind.
void LtoCartridge(CliOperatorTest& t, const char* kind) {
    t.cli->SetEnvironment("TAPEWREN_VTAPE_DRIVE", "lto");
    t.cli->SetEnvironment("TAPEWREN_VTAPE_READY_SECONDS", "0");
    t.cli->SetEnvironment("TAPEWREN_VTAPE_CARTRIDGE", kind);
}

TEST_P(CliDeviceWordsTest, FailureIsSaidInWordsWithoutRawLinesUnlessVerbose) {
    const DeviceCase& c = GetParam();
    if (!c.blank) FormatAndBackUp();
    int lock = -1;
    if (std::string(c.name) == "BusyImage") {
        lock = ::open(Tape().c_str(), O_RDONLY);
        ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    }
    if (c.setUp) c.setUp(*this);
    std::string said = c.said;
    const std::size_t image = said.find("$IMAGE");
    if (image != std::string::npos) said.replace(image, 6, Tape());

    const CliRun quiet = cli->Run(c.args);
    std::vector<std::string> verboseArgs = c.args;
    verboseArgs.push_back("--verbose");
    const CliRun verbose = cli->Run(verboseArgs);
    if (lock >= 0) ::close(lock);
    EXPECT_EQ(quiet.status, 1);
    EXPECT_NE(quiet.err.find(said), std::string::npos) << quiet.err;
    for (const char* raw : {"-Fehler: ", " error: 4", "no mode sense"})
        EXPECT_EQ(quiet.err.find(raw), std::string::npos) << quiet.err;
    EXPECT_NE(verbose.err.find(": 4\n"), std::string::npos) << verbose.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliDeviceWordsTest,
    testing::Values(
        DeviceCase{"BlankTape", nullptr, true, {"check"}, "The tape is blank: it has not been formatted."},
        DeviceCase{"MissingImage",
                   [](CliOperatorTest& t) { t.cli->SetEnvironment("TAPEWREN_VTAPE", t.Path("nowhere/tape.tap")); },
                   true, {"dir"}, "/nowhere/tape.tap does not exist."},
        DeviceCase{"WriteProtectedImage", [](CliOperatorTest& t) { ::chmod(t.Tape().c_str(), 0444); }, false,
                   {"backup", "../src/a.txt"}, "The tape is write-protected: the image $IMAGE is read-only."},
        DeviceCase{"BusyImage", nullptr, false, {"dir"}, "The drive is busy: the image $IMAGE is held by process"},
        DeviceCase{"FullCartridge",
                   [](CliOperatorTest& t) {
                       t.cli->SetEnvironment("TAPEWREN_VTAPE_CAPACITY_MB", "1");
                       t.Write("src/big.bin", CliOperatorTest::Pattern(3 << 20, 9));
                   },
                   false, {"backup", "../src/big.bin"}, "'big.bin' did not fit on it"},
        // Refusals of the cartridge in an LTO drive.
        DeviceCase{"WormCartridge", [](CliOperatorTest& t) { LtoCartridge(t, "worm"); }, false,
                   {"format", "Daily", "--yes", "--force"}, "The cartridge is a WORM cartridge (write once)"},
        DeviceCase{"EncryptedCartridge", [](CliOperatorTest& t) { LtoCartridge(t, "encrypted"); }, false, {"check"},
                   "The tape is encrypted, and the drive has no key for it"},
        DeviceCase{"CartridgeTheDriveCannotRead", [](CliOperatorTest& t) { LtoCartridge(t, "unsupported"); }, false,
                   {"check"}, "The drive cannot read this cartridge: its generation"},
        DeviceCase{"DeferredError",
                   [](CliOperatorTest& t) {
                       LtoCartridge(t, "");
                       t.cli->SetEnvironment("TAPEWREN_VTAPE_FAULTS", "write#1=deferred");
                   },
                   false, {"backup", "../src/b.zip"},
                   "The drive could not write data it had already accepted (a deferred error)"},
        // A WRITE FILEMARKS that waits for the tape reports its failure itself:
        // the backup fails instead of ending "successfully" with the record
        // missing from the tape.
        DeviceCase{"FilemarkThatFailsOnTheTape",
                   [](CliOperatorTest& t) {
                       LtoCartridge(t, "");
                       t.cli->SetEnvironment("TAPEWREN_VTAPE_FAULTS", "filemarks#1=deferred");
                   },
                   false, {"backup", "../src/a.txt"}, "Error writing FileMark\nThe drive cannot write on this tape"},
        DeviceCase{"CartridgeTheDriveCannotWrite", [](CliOperatorTest& t) { LtoCartridge(t, "unsupported"); }, false,
                   {"format", "Daily", "--yes", "--force"}, "The drive cannot write on this cartridge: its generation"}),
    [](const testing::TestParamInfo<DeviceCase>& info) { return std::string(info.param.name); });

TEST_F(CliOperatorTest, FullCartridgeSaysWhatToDoAndStatusShowsWriteProtection) {
    FormatAndBackUp();
    cli->SetEnvironment("TAPEWREN_VTAPE_CAPACITY_MB", "1");
    Write("src/big.bin", Pattern(3 << 20, 9));
    const CliRun full = cli->Run({"backup", "../src/big.bin"});
    EXPECT_NE(full.err.find("The cartridge is full. Go on with another tape"), std::string::npos) << full.err;

    ::chmod(Tape().c_str(), 0444);
    const CliRun status = cli->Run({"status"});
    EXPECT_EQ(status.out.substr(0, status.out.find('\n')), " Ready. The tape is write-protected.");
    EXPECT_TRUE(Json::parse(cli->Run({"status", "--json"}).out)["write_protected"].get<bool>());
}

class CliWrongTapeTest : public CliOperatorTest, public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CliWrongTapeTest, AnotherTapesNameIsRefusedBeforeAnythingChanges) {
    FormatAndBackUp();
    const std::string tape = Bytes(Tape()), catalog = Bytes(Catalog());
    Write("dst/a.txt", "mine");
    std::vector<std::string> args = GetParam();
    args.insert(args.end(), {"--tape", "Weekly", "--yes", "--force"});
    const CliRun run = cli->Run(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("the loaded tape is 'Daily', not 'Weekly'"), std::string::npos) << run.err;
    EXPECT_EQ(Bytes(Tape()), tape);
    EXPECT_EQ(Bytes(Catalog()), catalog);
    EXPECT_EQ(Read("dst/a.txt"), "mine");
    EXPECT_EQ(run.out, "");
    args[args.size() - 3] = "Daily";
    const CliRun right = cli->Run(args);
    EXPECT_EQ(right.status, 0) << right.err;
}

INSTANTIATE_TEST_SUITE_P(Commands, CliWrongTapeTest,
                         testing::Values(std::vector<std::string>{"backup", "../src/a.txt"},
                                         std::vector<std::string>{"restore", "--to", "../dst", "--overwrite", "a.txt"},
                                         std::vector<std::string>{"verify", "--in", "../src"},
                                         std::vector<std::string>{"rebuild"}));

TEST_F(CliOperatorTest, StatusSaysWhyTheDriveIsNotReadyAndAWriteNamesTheDrive) {
    cli->SetEnvironment("TAPEWREN_VTAPE", Path("nowhere/tape.tap"));
    const CliRun status = cli->Run({"status"});
    EXPECT_EQ(status.status, 1);
    EXPECT_NE(status.out.find("the image " + Path("nowhere/tape.tap") + " does not exist"), std::string::npos)
        << status.out;
    EXPECT_TRUE(Json::parse(cli->Run({"status", "--json"}).out)["reason"].is_string());
    cli->SetEnvironment("TAPEWREN_VTAPE", "");
    const CliRun format = cli->Run({"format", "Daily", "--yes"});
    EXPECT_EQ(format.status, 0) << format.err;
    EXPECT_NE(format.err.find("Info: Drive: adapter 0 (VIRTUAL TAPE), target 0: "), std::string::npos) << format.err;
    EXPECT_NE(format.err.find(", image " + Path("tapes")), std::string::npos) << format.err;
}

TEST_F(CliOperatorTest, YesAloneDoesNotEraseRecordsOrAnotherTapesCatalog) {
    // A blank tape and a new name: --yes is enough.
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    ASSERT_EQ(cli->Run({"backup", "../src/a.txt"}).status, 1);  // no such file yet
    Write("src/a.txt", "a");
    ASSERT_EQ(cli->Run({"backup", "../src/a.txt"}).status, 0);
    const std::string tape = Bytes(Tape());
    std::filesystem::remove(Catalog());
    // Records on tape: --yes alone is answered no.
    const CliRun refused = cli->Run({"format", "Other", "--yes"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("erase everything on it? [y/N] no (--yes does not answer this without --force: "
                               "the tape holds data after its ident block)"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(Bytes(Tape()), tape);
    EXPECT_EQ(cli->Run({"selftest", "--yes"}).status, 1);
    EXPECT_EQ(Bytes(Tape()), tape);
    EXPECT_EQ(cli->Run({"format", "Other", "--yes", "--force"}).status, 0);
    EXPECT_NE(Bytes(Tape()), tape);
}

// A tape is empty only when the drive reports the end of data right after
// the ident block's filemark; a tape that cannot be read there, or holds
// anything else there, needs --force, and the answer says why.
struct EmptyCase {
    const char* name;
    std::vector<std::string> args;
    std::uint32_t word;   // written over the object
    std::size_t object;   // 1: the ident block's filemark, 2: record 1's header
    const char* why;
};

class CliEmptyTapeTest : public CliOperatorTest, public testing::WithParamInterface<EmptyCase> {};

TEST_P(CliEmptyTapeTest, OnlyATapeThatEndsAfterItsIdentBlockIsOverwrittenWithoutForce) {
    const EmptyCase& c = GetParam();
    FormatAndBackUp();
    bool ok = false;
    const auto objects = TapImage::Parse(Tape(), ok);
    ASSERT_TRUE(ok && objects.size() > c.object);
    std::string image = Bytes(Tape());
    for (std::size_t i = 0; i < 4; ++i)
        image[TapImage::OffsetOf(objects, c.object) + i] = static_cast<char>(c.word >> (8 * i));
    std::ofstream(Tape(), std::ios::binary | std::ios::trunc) << image;
    std::vector<std::string> args = c.args;
    args.push_back("--yes");
    const CliRun run = cli->Run(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Bytes(Tape()), image);
    EXPECT_NE(run.err.find(std::string("[y/N] no (--yes does not answer this without --force: ") + c.why),
              std::string::npos)
        << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliEmptyTapeTest,
    testing::Values(
        // An erase gap where the filemark was: spacing one filemark passes record 1.
        EmptyCase{"FilemarkGoneFormat", {"format", "Other"}, 0xFFFFFFFE, 1,
                  "the tape holds data after its ident block"},
        EmptyCase{"FilemarkGoneSelfTest", {"selftest"}, 0xFFFFFFFE, 1, "the tape holds data after its ident block"},
        // A record marked bad: its header cannot be read.
        EmptyCase{"HeaderUnreadable", {"format", "Other"}, 0x80000400, 2,
                  "the tape cannot be read after its ident block"}),
    [](const testing::TestParamInfo<EmptyCase>& info) { return std::string(info.param.name); });

struct ExistingCase {
    const char* name;
    std::vector<std::string> options;
    const char* kept;  // what dst/a.txt holds afterwards: "mine" or "tape"
    int status;
};

class CliExistingFileTest : public CliOperatorTest, public testing::WithParamInterface<ExistingCase> {};

TEST_P(CliExistingFileTest, ExistingFilesAreSkippedOrReplacedAndTheOthersRestored) {
    FormatAndBackUp();
    Write("dst/a.txt", "mine");
    std::vector<std::string> args = {"restore", "--to", "../dst"};
    args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
    const CliRun run = cli->Run(args);
    EXPECT_EQ(run.status, GetParam().status) << run.err;
    EXPECT_EQ(Read("dst/a.txt"), std::string(GetParam().kept) == "mine" ? "mine" : Read("src/a.txt"));
    EXPECT_EQ(Read("dst/c.dat"), Read("src/c.dat"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliExistingFileTest,
    testing::Values(ExistingCase{"SkipSelected", {"--skip-existing", "a.txt", "c.dat"}, "mine", 0},
                    ExistingCase{"SkipFull", {"--skip-existing", "--all"}, "mine", 0},
                    ExistingCase{"OverwriteSelected", {"--overwrite", "a.txt", "c.dat"}, "tape", 0},
                    ExistingCase{"OverwriteFull", {"--overwrite", "--all", "--no"}, "tape", 0}),
    [](const testing::TestParamInfo<ExistingCase>& info) { return std::string(info.param.name); });

TEST_F(CliOperatorTest, KeepDatesDatesRestoredFilesAtNoonOfTheirDay) {
    FormatAndBackUp();
    ASSERT_EQ(cli->Run({"restore", "--to", "../dst", "--keep-dates", "a.txt"}).status, 0);
    ASSERT_EQ(cli->Run({"restore", "--to", "../src", "--overwrite", "b.zip"}).status, 0);
    ASSERT_TRUE(SetDate("src/a.txt", 5, 3, 2021));
    EXPECT_EQ(std::filesystem::last_write_time(Path("dst/a.txt")),
              std::filesystem::last_write_time(Path("src/a.txt")));
    // Without the option a restored file is dated the time of the restore.
    EXPECT_GT(std::filesystem::last_write_time(Path("src/b.zip")),
              std::filesystem::last_write_time(Path("dst/a.txt")));
}

TEST_F(CliOperatorTest, BackupLeavesOutFoldersAndExcludedNames) {
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    std::filesystem::create_directories(Path("src/sub"));
    Write("src/a.txt", "a");
    Write("src/b.tmp", "b");
    const CliRun warned = cli->Run({"backup", "../src/a.txt", "../src/b.tmp", "../src/sub", "--exclude", "*.tmp"});
    EXPECT_EQ(warned.status, 1);
    EXPECT_NE(warned.err.find("Attention: '../src/sub' is a folder: not backed up"), std::string::npos) << warned.err;
    EXPECT_NE(warned.err.find("Backup ended successfully!"), std::string::npos);
    const CliRun quiet = cli->Run({"backup", "../src/a.txt", "../src/sub", "--skip-others", "--quiet"});
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    // Quiet: no status lines, no questions answered, no summary; the warning
    // and one line that names the tape, the files and the bytes.
    EXPECT_EQ(quiet.err, "Attention: '../src/sub' is a folder: not backed up (a backup takes the files of one "
                         "folder)\ntapewren-cli backup: done, tape 'Daily', 1 file, 1 bytes\n");
    EXPECT_EQ(cli->Run({"dir"}).out.find("b.tmp"), std::string::npos);
}

TEST_F(CliOperatorTest, CatalogFolderComesFromTheOptionOrTheEnvironment) {
    std::filesystem::create_directories(Path("catalogs"));
    Write("src/a.txt", "a");
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes", "--catalogs", "../catalogs"}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(Path("catalogs/Daily.twd")));
    EXPECT_FALSE(std::filesystem::exists(Catalog()));
    cli->SetEnvironment("TAPEWREN_CATALOGS", Path("catalogs"));
    EXPECT_EQ(cli->Run({"backup", "../src/a.txt"}).status, 0);
    EXPECT_EQ(cli->Run({"dir", "--tape", "Daily"}).out.substr(0, 6), "a.txt\t");
    EXPECT_EQ(cli->Run({"dir", "--catalogs", "../nowhere"}).status, 1);
}

TEST_F(CliOperatorTest, FindSearchesEveryCatalogWithoutATape) {
    FormatAndBackUp();
    std::filesystem::copy_file(Catalog(), Catalog("Copy"));
    // No drive is needed: the image's folder is gone.
    cli->SetEnvironment("TAPEWREN_VTAPE", Path("nowhere"));
    const CliRun found = cli->Run({"find", "*.TXT", "c.*", "-i"});
    EXPECT_EQ(found.status, 0) << found.err;
    const std::string today = TodayText();
    EXPECT_EQ(found.out, "Daily\ta.txt\t3000\t05.03.2021\t" + today + "\t2\nDaily\tc.dat\t1\t05.03.2021\t" + today +
                             "\t3\nDaily\ta.txt\t3000\t05.03.2021\t" + today + "\t2\nDaily\tc.dat\t1\t05.03.2021\t" +
                             today + "\t3\n");
    EXPECT_EQ(cli->Run({"find", "*.TXT"}).status, 1);
    const CliRun dir = cli->Run({"dir", "--tape", "Daily"});
    EXPECT_EQ(dir.status, 0) << dir.err;
    EXPECT_EQ(std::count(dir.out.begin(), dir.out.end(), '\n'), 3);
}

TEST_F(CliOperatorTest, JsonOfEveryListingParsesAndANameWithATabForgesNothing) {
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    const std::string odd = "tab\there\nline.txt";
    Write("src/" + odd, "odd");
    ASSERT_TRUE(SetDate("src/" + odd, 5, 3, 2021));
    ASSERT_EQ(cli->Run({"backup", Path("src/" + odd)}).status, 0);

    EXPECT_EQ(cli->Run({"dir"}).out, "tab\\there\\nline.txt\t3\t05.03.2021\t" + TodayText() + "\t1\n");
    EXPECT_EQ(cli->Run({"verify", "--in", "../src"}).out, "tab\\there\\nline.txt\tOK\t\n");
    const Json dir = Json::parse(cli->Run({"dir", "--json"}).out);
    EXPECT_EQ(dir["tape"], "Daily");
    EXPECT_EQ(dir["files"][0]["name"], odd);
    EXPECT_EQ(dir["files"][0]["file_date"], "2021-03-05");
    EXPECT_EQ(dir["files"][0]["size"], 3);
    EXPECT_EQ(Json::parse(cli->Run({"find", "tab*", "--json"}).out)["matches"][0]["tape"], "Daily");
    const Json verify = Json::parse(cli->Run({"verify", "--in", "../src", "--json"}).out);
    EXPECT_EQ(verify["files"][0]["name"], odd);
    EXPECT_EQ(verify["files"][0]["status"], "OK");
    EXPECT_TRUE(verify["completed"].get<bool>());
    EXPECT_EQ(Json::parse(cli->Run({"status", "--json"}).out)["block_size"], 1024);
    const Json adapters = Json::parse(cli->Run({"adapters", "--json"}).out);
    EXPECT_EQ(adapters["adapters"][0]["devices"][0]["type"], "Tape");
    EXPECT_TRUE(adapters["adapters"][0]["devices"][1]["device"].is_null());
}

TEST_F(CliOperatorTest, ControlCharactersInNamesReachNoTerminal) {
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    const std::string odd = "red\x1b[31m\a.txt";
    Write("src/" + odd, "odd");
    const CliRun backup = cli->Run({"backup", Path("src/" + odd)});  // its status line names the file
    const CliRun dir = cli->Run({"dir"});
    const CliRun missing = cli->Run({"restore", "--to", "../dst", odd + "x"});
    for (const CliRun* run : {&backup, &dir, &missing})
        for (const std::string* text : {&run->out, &run->err})
            EXPECT_EQ(text->find_first_of("\x1b\a"), std::string::npos) << *text;
    EXPECT_EQ(dir.out.substr(0, dir.out.find('\t')), "red\\x1b[31m\\x07.txt");
    EXPECT_NE(missing.err.find("'red\\x1b[31m\\x07.txtx' is not in the directory file"), std::string::npos)
        << missing.err;
}

TEST_F(CliOperatorTest, SelfTestPassesOnTheVirtualDrive) {
    const CliRun run = cli->Run({"selftest", "--yes"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 18) << run.out;
    EXPECT_EQ(run.out.find("FAILED"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("Self-test passed: 18 of 18 checks passed."), std::string::npos) << run.err;
}

TEST_F(CliOperatorTest, SelfTestPassesOnTgtOverIscsi) {
    TgtDaemon& tgt = TgtDaemon::Instance();
    if (!tgt.NewTape(1)) GTEST_SKIP() << tgt.Error();
    cli->SetEnvironment("TAPEWREN_ISCSI", tgt.TargetUrl());
    // tgt reads a blank tape as a medium error: the tape might hold data.
    const CliRun run = cli->Run({"selftest", "--adapter", "0", "--target", "1", "--yes", "--force"});
    tgt.Stop();
    EXPECT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_EQ(run.out.find("FAILED"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("checks passed"), std::string::npos) << run.err;
}

}  // namespace
