// The jobs run by tapewren-cli on the virtual drive, as a script runs them:
// what lands on tape, in the catalog and in the folders, what standard
// output holds, and the exit status.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

#include "CliFixture.h"
#include "support/RunTool.h"
#include "tape/DateText.h"

namespace {

class CliJobsTest : public CliFixture {};

TEST_F(CliJobsTest, DirListsTheBackedUpFilesArchivesFirstWithSizesAndDates) {
    FormatAndBackUp();
    const CliRun dir = cli->Run({"dir"});
    ASSERT_EQ(dir.status, 0) << dir.err;
    const std::string today = TodayText();
    // Standard output holds the rows only; the status texts go elsewhere.
    EXPECT_EQ(dir.out, "b.zip\t70000\t05.03.2021\t" + today + "\t1\n" +  //
                           "a.txt\t3000\t05.03.2021\t" + today + "\t2\n" +  //
                           "c.dat\t1\t05.03.2021\t" + today + "\t3\n");
    EXPECT_NE(dir.err.find(" Checking tape ..."), std::string::npos);
}

// A nightly run takes only what is new or changed since its last backup,
// and a night with nothing new writes nothing and succeeds.
TEST_F(CliJobsTest, BackupChangedTakesOnlyNewAndChangedFiles) {
    FormatAndBackUp();
    Write("src/a.txt", Pattern(3001, 9));
    Write("src/d.txt", Pattern(10, 4));
    const std::vector<std::string> all = {"backup", "--changed", "../src/a.txt", "../src/b.zip", "../src/c.dat",
                                          "../src/d.txt"};
    const CliRun first = cli->Run(all);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.err.find("2 files have not changed since their last backup on tape 'Daily'"), std::string::npos)
        << first.err;
    const CliRun dir = cli->Run({"dir"});
    const std::string today = TodayText();
    EXPECT_NE(dir.out.find("c.dat\t1\t05.03.2021\t" + today + "\t3\na.txt\t3001\t"), std::string::npos) << dir.out;
    EXPECT_NE(dir.out.find("\nd.txt\t10\t"), std::string::npos) << dir.out;
    const std::string catalog = Bytes(Catalog());
    const CliRun second = cli->Run(all);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(Bytes(Catalog()), catalog);
}

// A file changed within the day of its last backup, its size the same, is
// changed: the sums file keeps the exact time.
TEST_F(CliJobsTest, BackupChangedSeesAChangeWithinTheSameDay) {
    FormatAndBackUp();
    const std::string path = Path("src/c.dat");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    const timespec later[2] = {status.st_atim, {status.st_mtim.tv_sec + 1, status.st_mtim.tv_nsec}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    const CliRun run = cli->Run({"backup", "--changed", "../src/a.txt", "../src/c.dat"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("1 file has not changed"), std::string::npos) << run.err;
    EXPECT_NE(cli->Run({"dir"}).out.find("\t3\nc.dat\t1\t"), std::string::npos);
}

// sums prints what sha256sum prints for the same files, so that
// "sha256sum -c" checks a restore.
TEST_F(CliJobsTest, SumsPrintsSha256LinesThatSha256sumChecks) {
    Write("src/a.txt", Pattern(3000, 1));
    Write("src/c.dat", Pattern(1, 3));
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    ASSERT_EQ(cli->Run({"backup", "--sha256", "../src/a.txt", "../src/c.dat"}).status, 0);
    const CliRun sums = cli->Run({"sums", "Daily"});
    ASSERT_EQ(sums.status, 0) << sums.err;
    int status = 0;
    EXPECT_EQ(sums.out, RunTool("cd '" + Path("src") + "' && sha256sum a.txt c.dat", status));
    ASSERT_EQ(cli->Run({"restore", "--to", "../dst", "a.txt", "c.dat"}).status, 0);
    Write("dst/SUMS", sums.out);
    RunTool("cd '" + Path("dst") + "' && sha256sum --quiet -c SUMS", status);
    EXPECT_EQ(status, 0);
}

// scrub prints a line per record; XXH3-128 checksums have no sha256sum
// lines to print.
TEST_F(CliJobsTest, ScrubListsEveryRecordAndSumsSaysXxh3HasNoTool) {
    FormatAndBackUp();
    const CliRun scrub = cli->Run({"scrub"});
    EXPECT_EQ(scrub.status, 0) << scrub.err;
    EXPECT_EQ(scrub.out, "1\tb.zip\tOK\n2\ta.txt\tOK\n3\tc.dat\tOK\n");
    const CliRun sums = cli->Run({"sums", "Daily"});
    EXPECT_EQ(sums.status, 1);
    EXPECT_EQ(sums.out, "");
    EXPECT_NE(sums.err.find("XXH3-128, which no coreutils tool checks"), std::string::npos) << sums.err;
}

// An older copy is restored by its record number, which dir and find show.
TEST_F(CliJobsTest, RestoreRecordTakesAnOlderCopy) {
    FormatAndBackUp();
    const std::string first = Read("src/a.txt");
    Write("src/a.txt", Pattern(100, 8));
    ASSERT_EQ(cli->Run({"backup", "../src/a.txt"}).status, 0);
    const CliRun found = cli->Run({"find", "a.txt"});
    EXPECT_NE(found.out.find("\t2\n"), std::string::npos) << found.out;
    EXPECT_NE(found.out.find("\t4\n"), std::string::npos) << found.out;
    ASSERT_EQ(cli->Run({"restore", "--to", "../dst", "a.txt", "--record", "2"}).status, 0);
    EXPECT_EQ(Read("dst/a.txt"), first);
    const CliRun wrong = cli->Run({"restore", "--to", "../dst", "a.txt", "--record", "3", "--overwrite"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("file record 3 of tape 'Daily' is not 'a.txt'"), std::string::npos) << wrong.err;
}

TEST_F(CliJobsTest, RestoreOfNamedEntriesWritesOnlyThoseFilesByteForByte) {
    FormatAndBackUp();
    const CliRun restore = cli->Run({"restore", "--to", "../dst", "c.dat", "a.txt"});
    ASSERT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(Read("dst/a.txt"), Read("src/a.txt"));
    EXPECT_EQ(Read("dst/c.dat"), Read("src/c.dat"));
    EXPECT_FALSE(std::filesystem::exists(Path("dst/b.zip")));
    EXPECT_NE(restore.err.find("Yeah! Restore ended successfully!\nTotal size: 3001 Bytes"), std::string::npos)
        << restore.err;
}

TEST_F(CliJobsTest, FullRestoreWithAllNeedsNoCatalog) {
    FormatAndBackUp();
    std::filesystem::remove(Catalog());
    const CliRun restore = cli->Run({"restore", "--to", "../dst", "--all"});
    ASSERT_EQ(restore.status, 0) << restore.err;
    for (const char* name : {"a.txt", "b.zip", "c.dat"})
        EXPECT_EQ(Read(std::string("dst/") + name), Read(std::string("src/") + name)) << name;
    EXPECT_NE(restore.err.find("[y/N] yes (--all)"), std::string::npos) << restore.err;
}

TEST_F(CliJobsTest, RestoreWithoutNamesAsksForAFullRestoreAndNoAnswerRestoresNothing) {
    FormatAndBackUp();
    const CliRun restore = cli->Run({"restore", "--to", "../dst"});
    EXPECT_EQ(restore.status, 1);
    EXPECT_NE(restore.err.find("Question: No files selected. Do you want to make a full restore of the tape? [y/N] no"),
              std::string::npos)
        << restore.err;
    EXPECT_TRUE(std::filesystem::is_empty(Path("dst")));
}

TEST_F(CliJobsTest, RestoreOverAnExistingFileAnsweredNoKeepsItAndFails) {
    FormatAndBackUp();
    Write("dst/a.txt", "mine");
    const CliRun restore = cli->Run({"restore", "--to", "../dst", "a.txt", "--no"});
    EXPECT_EQ(restore.status, 1);
    EXPECT_EQ(Read("dst/a.txt"), "mine");
    EXPECT_NE(restore.err.find("Restore stopped: '"), std::string::npos) << restore.err;
}

TEST_F(CliJobsTest, TerminalAnswerIsReadWhenStandardInputIsOneButFileInputIsNotAsked) {
    FormatAndBackUp();
    Write("dst/a.txt", "mine");
    // Standard input is a file here: "y" in it must not be taken as an answer.
    const CliRun restore = cli->Run({"restore", "--to", "../dst", "a.txt"}, "y\n");
    EXPECT_EQ(restore.status, 1);
    EXPECT_EQ(Read("dst/a.txt"), "mine");
    EXPECT_NE(restore.err.find("taken as no"), std::string::npos) << restore.err;
}

TEST_F(CliJobsTest, VerifyReportsAChangedFileWithItsOffsetAndFails) {
    FormatAndBackUp();
    std::string changed = Read("src/b.zip");
    changed[5000] = static_cast<char>(changed[5000] ^ 0x55);
    Write("src/b.zip", changed);
    std::filesystem::remove(Path("src/c.dat"));

    const CliRun verify = cli->Run({"verify", "--in", "../src", "--report"});
    EXPECT_EQ(verify.status, 1);
    EXPECT_EQ(verify.out, "b.zip\tFailed\t5000\na.txt\tOK\t\nc.dat\tFile not found\t\n");
    const std::string report = Read("start/VerifyResults.txt");
    ASSERT_GE(report.size(), 371u + 3 * 74);
    EXPECT_EQ(report.substr(371), std::string("b.zip") + std::string(31, ' ') + "Failed" + std::string(11, ' ') +
                                      "5000" + std::string(16, ' ') + "\n" + "a.txt" + std::string(31, ' ') + "OK" +
                                      std::string(15, ' ') + std::string(20, ' ') + "\n" + "c.dat" +
                                      std::string(31, ' ') + "File not found" + std::string(3, ' ') +
                                      std::string(20, ' ') + "\n");
}

TEST_F(CliJobsTest, VerifyOfNamedIdenticalFilesSucceedsAndWritesNoReportUnasked) {
    FormatAndBackUp();
    const CliRun verify = cli->Run({"verify", "--in", "../src", "a.txt"});
    EXPECT_EQ(verify.status, 0) << verify.err;
    EXPECT_EQ(verify.out, "a.txt\tOK\t\n");
    EXPECT_FALSE(std::filesystem::exists(Path("start/VerifyResults.txt")));
}

TEST_F(CliJobsTest, RebuildWritesTheSameCatalogTheBackupsWrote) {
    FormatAndBackUp();
    const std::string original = Bytes(Catalog());
    std::filesystem::remove(Catalog());
    const CliRun rebuild = cli->Run({"rebuild", "--yes"});
    ASSERT_EQ(rebuild.status, 0) << rebuild.err;
    EXPECT_EQ(Bytes(Catalog()), original);
    // The read that meets the end of data makes the device layer write its
    // diagnostic line; it goes with the messages, not into the output.
    EXPECT_EQ(rebuild.out, "");
}

TEST_F(CliJobsTest, RebuildAnsweredNoKeepsTheExistingCatalog) {
    FormatAndBackUp();
    Write("start/Daily.twd", "not a catalog");
    const CliRun rebuild = cli->Run({"rebuild", "--no"});
    EXPECT_EQ(rebuild.status, 1);
    EXPECT_EQ(Read("start/Daily.twd"), "not a catalog");
}

TEST_F(CliJobsTest, FormatAnsweredNoChangesNeitherTapeNorCatalog) {
    FormatAndBackUp();
    const std::string tape = Bytes(Tape()), catalog = Bytes(Catalog());
    const CliRun format = cli->Run({"format", "Daily", "--no"});
    EXPECT_EQ(format.status, 1);
    EXPECT_NE(format.err.find("A tape with that name exists already. Overwrite? [y/N] no (--no)"), std::string::npos)
        << format.err;
    EXPECT_EQ(Bytes(Tape()), tape);
    EXPECT_EQ(Bytes(Catalog()), catalog);
}

TEST_F(CliJobsTest, EjectUnloadsAndTheAutoloaderLoadsABlankNextCartridge) {
    FormatAndBackUp();
    const std::string tape = Bytes(Tape());
    const CliRun eject = cli->Run({"eject"});
    ASSERT_EQ(eject.status, 0) << eject.err;
    EXPECT_NE(eject.err.find(" Ejecting tape...\n Ready.\n"), std::string::npos) << eject.err;
    EXPECT_TRUE(std::filesystem::exists(Path("tapes/tape02.tap")));
    EXPECT_EQ(Bytes(Tape()), tape);
}

TEST_F(CliJobsTest, CheckShowsTheIdentBlock) {
    FormatAndBackUp();
    const CliRun check = cli->Run({"check"});
    ASSERT_EQ(check.status, 0) << check.err;
    EXPECT_EQ(check.out, "Tape name: Daily\nDate of formatting: " + TodayText() + "\nFormatted with Tapewren version: 1.6\n");
}

TEST_F(CliJobsTest, ExportAndImportCopyTheCatalogByteForByte) {
    FormatAndBackUp();
    const std::string catalog = Bytes(Catalog());
    const CliRun exported = cli->Run({"export", "Daily"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(Read("floppy/Daily.twd"), catalog);

    std::filesystem::remove(Catalog());
    const CliRun imported = cli->Run({"import", "Daily.twd"});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(Bytes(Catalog()), catalog);
}

TEST_F(CliJobsTest, ImportOverAnExistingCatalogAnsweredNoKeepsIt) {
    FormatAndBackUp();
    Write("floppy/Daily.twd", "other");
    const std::string catalog = Bytes(Catalog());
    const CliRun imported = cli->Run({"import", "Daily", "--no"});
    EXPECT_EQ(imported.status, 1);
    EXPECT_EQ(Bytes(Catalog()), catalog);
}

TEST_F(CliJobsTest, ImportOfANameNotOnTheFloppyCopiesNothing) {
    FormatAndBackUp();
    Write("floppy/Other.twd", Bytes(Catalog()));
    std::filesystem::remove(Catalog());
    const CliRun imported = cli->Run({"import", "Other", "Missing"});
    EXPECT_EQ(imported.status, 1);
    EXPECT_NE(imported.err.find("'Missing.twd' not found on floppy"), std::string::npos) << imported.err;
    EXPECT_FALSE(std::filesystem::exists(Catalog("Other")));
}

TEST_F(CliJobsTest, ExportWithoutAFloppyFolderFails) {
    FormatAndBackUp();
    std::filesystem::remove_all(Path("floppy"));
    const CliRun exported = cli->Run({"export", "Daily"});
    EXPECT_EQ(exported.status, 1);
    EXPECT_NE(exported.err.find("Error: Error writing Directory File to floppy"), std::string::npos) << exported.err;
}

TEST_F(CliJobsTest, BackupAppendsToTheTapeAndTheCatalog) {
    FormatAndBackUp();
    Write("src/d.txt", Pattern(10, 4));
    const CliRun backup = cli->Run({"backup", Path("src/d.txt")});
    ASSERT_EQ(backup.status, 0) << backup.err;
    const CliRun dir = cli->Run({"dir"});
    ASSERT_EQ(dir.status, 0);
    EXPECT_NE(dir.out.find("c.dat\t1\t"), std::string::npos);
    EXPECT_EQ(dir.out.substr(dir.out.rfind("d.txt")), "d.txt\t10\t" + DateText(std::time(nullptr)) + "\t" +
                                                          TodayText() + "\t4\n");
}

}  // namespace
