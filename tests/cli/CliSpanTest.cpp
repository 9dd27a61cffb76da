// Backups that go on from a full tape to the next (--span), on the virtual
// drive's autoloader and on a drive without one, and the nightly run of a
// growing folder over a month.

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "CliFixture.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    return fields;
}

// The shell words of a command as TapeSpan quotes them.
std::vector<std::string> Words(const std::string& command) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == '\'') {
            quoted = !quoted;
            any = true;
        } else if (c == '\\' && !quoted && i + 1 < command.size()) {
            word += command[++i];
        } else if (c == ' ' && !quoted) {
            if (any || !word.empty()) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
        }
    }
    if (any || !word.empty()) words.push_back(word);
    return words;
}

}  // namespace

class CliSpanTest : public CliFixture {
protected:
    // Five files of 300 000 bytes on cartridges of 1 MiB: the fourth runs
    // into the end of the first tape and is cut there.
    std::vector<std::string> FiveFiles() {
        std::vector<std::string> args;
        for (int i = 0; i < 5; ++i) {
            const std::string name = std::string(1, static_cast<char>('a' + i)) + ".bin";
            Write("src/" + name, Pattern(300000, 40 + i));
            args.push_back("../src/" + name);
        }
        cli->SetEnvironment("TAPEWREN_VTAPE_CAPACITY_MB", "1");
        return args;
    }
    // The tape name of each image in tapes/.
    std::map<std::string, std::string> TapeImages() {
        std::map<std::string, std::string> images;
        for (const auto& entry : std::filesystem::directory_iterator(Path("tapes"))) {
            if (entry.path().extension() != ".tap") continue;
            cli->SetEnvironment("TAPEWREN_VTAPE", entry.path().string());
            const std::string out = cli->Run({"check"}).out;
            const std::size_t at = out.find("Tape name: ");
            if (at != std::string::npos) images[out.substr(at + 11, out.find('\n', at) - at - 11)] = entry.path();
        }
        cli->SetEnvironment("TAPEWREN_VTAPE", "");
        return images;
    }
    // Each file's copies as find lists them: tape and record.
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> Copies() {
        std::map<std::string, std::vector<std::pair<std::string, std::string>>> copies;
        for (const std::string& line : Lines(cli->Run({"find", "*"}).out)) {
            const std::vector<std::string> f = Fields(line);
            if (f.size() == 6) copies[f[1]].push_back({f[0], f[5]});
        }
        return copies;
    }
    // Restores name's copy in record on tape into dst/ and returns it.
    std::string Restored(const std::map<std::string, std::string>& images, const std::string& tape,
                         const std::string& name, const std::string& record) {
        std::filesystem::remove(Path("dst/" + name));
        cli->SetEnvironment("TAPEWREN_VTAPE", images.at(tape));
        const CliRun run =
            cli->Run({"restore", name, "--record", record, "--tape", tape, "--to", "../dst", "--overwrite"});
        cli->SetEnvironment("TAPEWREN_VTAPE", "");
        EXPECT_EQ(run.status, 0) << tape << " " << name << " " << record << "\n" << run.err;
        return Read("dst/" + name);
    }
};

// The autoloader's next cartridge is formatted Daily-2 and takes the cut
// file whole; find names the tape of every file, and each restores.
TEST_F(CliSpanTest, FullTapeGoesOnWithTheAutoloadersNextCartridge) {
    std::vector<std::string> args = FiveFiles();
    args.insert(args.begin(), {"backup", "--span", "Daily", "--quiet"});
    const CliRun run = cli->Run(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "tapewren-cli backup: done, tapes 'Daily', 'Daily-2', 5 files, 1500000 bytes\n");
    const auto copies = Copies();
    const auto images = TapeImages();
    ASSERT_EQ(images.size(), 2u);
    for (const char* name : {"a.bin", "b.bin", "c.bin", "d.bin", "e.bin"}) {
        ASSERT_EQ(copies.count(name), 1u) << name;
        ASSERT_EQ(copies.at(name).size(), 1u) << name << ": one copy, the cut one not listed";
        const auto& [tape, record] = copies.at(name).front();
        EXPECT_EQ(tape, name[0] <= 'c' ? "Daily" : "Daily-2") << name;
        EXPECT_EQ(Restored(images, tape, name, record), Read(std::string("src/") + name)) << name;
    }
}

// A catalog with room for 4 more entries takes 4 of 10 files; the other 6
// go on Daily-2.
TEST_F(CliSpanTest, FullCatalogGoesOnWithTheNextTape) {
    std::vector<std::string> first = {"backup"}, next = {"backup", "--span", "Daily"};
    for (int i = 0; i < 995 + 10; ++i) {
        const std::string name = "n" + std::to_string(i);
        Write("src/" + name, "x");
        (i < 995 ? first : next).push_back("../src/" + name);
    }
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    ASSERT_EQ(cli->Run(first).status, 0);
    const CliRun run = cli->Run(next);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("has room for no more files: the other files go on the next tape."), std::string::npos)
        << run.err;
    const auto copies = Copies();
    int onFirst = 0, onSecond = 0;
    for (int i = 995; i < 1005; ++i) {
        const auto& tape = copies.at("n" + std::to_string(i)).front().first;
        onFirst += tape == "Daily";
        onSecond += tape == "Daily-2";
    }
    EXPECT_EQ(onFirst, 4);
    EXPECT_EQ(onSecond, 6);
}

// Without --span the message names the files that did not fit and the
// command that goes on, which runs as written.
TEST_F(CliSpanTest, WithoutSpanTheFullTapeNamesTheCommandThatGoesOn) {
    std::vector<std::string> args = FiveFiles();
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    args.insert(args.begin(), "backup");
    const CliRun full = cli->Run(args);
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("Not backed up: d.bin, e.bin."), std::string::npos) << full.err;
    const std::string head = "tapewren-cli backup --span Daily ";
    const std::size_t at = full.err.find(head);
    ASSERT_NE(at, std::string::npos) << full.err;
    std::vector<std::string> words = Words(full.err.substr(at, full.err.find('\n', at) - at));
    EXPECT_EQ(words.size(), 6u);
    const CliRun goOn = cli->Run(std::vector<std::string>(words.begin() + 1, words.end()));
    EXPECT_EQ(goOn.status, 0) << goOn.err;
    const auto copies = Copies();
    EXPECT_EQ(copies.at("d.bin").front().first, "Daily-2");
    EXPECT_EQ(copies.at("e.bin").front().first, "Daily-2");
}

// A single image has no next cartridge: --yes cannot wait for the operator
// and stops; without a terminal the question to load one is answered no.
// Either way the files left and the command that goes on are named, and
// nothing is lost.
struct OperatorCase {
    const char* name;
    const char* answer;
    const char* why;
};

class CliSpanOperatorTest : public CliSpanTest, public testing::WithParamInterface<OperatorCase> {};

TEST_P(CliSpanOperatorTest, WithoutAutoloaderTheRunStopsWithTheCommandThatGoesOn) {
    std::vector<std::string> args = FiveFiles();
    cli->SetEnvironment("TAPEWREN_VTAPE", Tape());
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    args.insert(args.begin(), {"backup", "--span", "Daily", GetParam().answer});
    const CliRun run = cli->Run(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(std::string("Error: ") + GetParam().why +
                           " Nothing more was backed up. To back up the files left, run:\n"
                           "tapewren-cli backup --span Daily " +
                           Path("src/d.bin") + " " + Path("src/e.bin")),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Copies().count("d.bin"), 0u);
    EXPECT_EQ(Copies().at("c.bin").front().first, "Daily");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CliSpanOperatorTest,
    testing::Values(OperatorCase{"Yes", "--yes",
                                 "tape 'Daily' is full, and --yes cannot wait for the next tape on a drive without an "
                                 "autoloader."},
                    OperatorCase{"NoTerminal", "--quiet", "tape 'Daily' is full and no next tape was loaded."}),
    [](const testing::TestParamInfo<OperatorCase>& info) { return std::string(info.param.name); });

// With an operator at the terminal: asked to load the next tape, who takes
// the full image out and puts a blank (empty) one in its place before answering
// yes. The blank tape becomes Daily-2 and takes the rest, the cut file
// whole.
TEST_F(CliSpanTest, OperatorLoadsTheNextTapeWhenAskedOnTheTerminal) {
    std::vector<std::string> args = FiveFiles();
    cli->SetEnvironment("TAPEWREN_VTAPE", Tape());
    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    args.insert(args.begin(), {"backup", "--span", "Daily"});
    const std::string first = Path("tapes/first.tap");
    bool asked = false;
    const CliRun run = cli->RunAnswering(
        args, "Load the next tape for 'Daily'",
        [&] {
            asked = true;
            std::filesystem::rename(Tape(), first);
            std::ofstream(Tape()).close();
        },
        "y\n");
    EXPECT_TRUE(asked) << run.err;
    EXPECT_EQ(run.status, 0) << run.err;
    const auto copies = Copies();
    ASSERT_EQ(copies.size(), 5u) << run.err;
    EXPECT_EQ(copies.at("c.bin").front().first, "Daily");
    for (const char* name : {"d.bin", "e.bin"}) EXPECT_EQ(copies.at(name).size(), 1u) << name;
    EXPECT_EQ(copies.at("d.bin").front().first, "Daily-2");
    const std::map<std::string, std::string> images = {{"Daily", first}, {"Daily-2", Tape()}};
    for (const auto& [name, where] : copies)
        EXPECT_EQ(Restored(images, where.front().first, name, where.front().second), Read("src/" + name)) << name;
}

// A month of nights: 300 files, then 10 new and 5 changed each night, with
// --changed --span on an autoloader of small cartridges. Every night ends
// well with one line; every version of every file is on exactly one tape
// and restores by name and record.
TEST_F(CliSpanTest, NightlyBackupsForAMonthKeepEveryVersion) {
    constexpr int kNights = 30, kFirst = 300, kNew = 10, kChanged = 5;
    cli->SetEnvironment("TAPEWREN_VTAPE_CAPACITY_MB", "1");
    std::map<std::string, std::vector<std::string>> versions;  // each file's contents, oldest first
    int files = 0;
    std::uint32_t seed = 1000;
    auto put = [&](const std::string& name, int night) {
        const std::string bytes = Pattern(1000 + (seed * 7919) % 5000, seed);
        ++seed;
        Write("src/" + name, bytes);
        // A night apart, so that a changed file's time differs.
        const std::time_t when = 1700000000 + night * 86400;
        const timespec times[2] = {{when, 0}, {when, 0}};
        ::utimensat(AT_FDCWD, Path("src/" + name).c_str(), times, 0);
        versions[name].push_back(bytes);
    };
    std::ostringstream summary;
    for (int night = 1; night <= kNights; ++night) {
        const int fresh = night == 1 ? kFirst : kNew;
        for (int i = 0; i < fresh; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "f%04d.dat", files++);
            put(name, night);
        }
        if (night > 1)
            for (int i = 0; i < kChanged; ++i) {
                char name[32];
                std::snprintf(name, sizeof name, "f%04d.dat", (night * 37 + i * 61) % (files - kNew));
                put(name, night);
            }
        std::vector<std::string> args = {"backup", "--changed", "--span", "Nightly", "--quiet"};
        for (const auto& [name, contents] : versions) args.push_back("../src/" + name);
        const CliRun run = cli->Run(args);
        const int expected = night == 1 ? kFirst : kNew + kChanged;
        EXPECT_EQ(run.status, 0) << "night " << night << "\n" << run.err;
        EXPECT_EQ(Lines(run.err).size(), 1u) << "night " << night << "\n" << run.err;
        EXPECT_EQ(run.err.rfind("tapewren-cli backup: done, tape", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(", " + std::to_string(expected) + " files, "), std::string::npos)
            << "night " << night << "\n" << run.err;
        summary << "night " << night << ": exit " << run.status << ": " << run.err;
    }

    const auto copies = Copies();
    const auto images = TapeImages();
    int restored = 0;
    for (const auto& [name, contents] : versions) {
        auto found = copies.count(name) ? copies.at(name) : std::vector<std::pair<std::string, std::string>>{};
        ASSERT_EQ(found.size(), contents.size()) << name;
        // Oldest first: by the tape's number in the set, then by record.
        auto number = [](const std::string& tape) {
            const std::size_t dash = tape.rfind('-');
            return dash == std::string::npos ? 1 : std::atoi(tape.c_str() + dash + 1);
        };
        std::sort(found.begin(), found.end(), [&](const auto& x, const auto& y) {
            return std::make_pair(number(x.first), std::atoi(x.second.c_str())) <
                   std::make_pair(number(y.first), std::atoi(y.second.c_str()));
        });
        for (std::size_t v = 0; v < contents.size(); ++v, ++restored)
            EXPECT_EQ(Restored(images, found[v].first, name, found[v].second), contents[v]) << name << " " << v;
    }
    EXPECT_GE(images.size(), 3u) << "small cartridges: the month spans tapes";
    summary << "tapes used: " << images.size() << "\nfiles: " << versions.size() << ", versions restored by name and "
            << "record: " << restored << "\n";
    if (const char* file = std::getenv("TW_NIGHTLY_SUMMARY")) std::ofstream(file) << summary.str();
}

// What status says of the loaded tape and its room, and the warning of a
// backup that leaves little room (in the one line of --quiet too).
struct RoomCase {
    const char* name;
    int fileBytes;  // backed up to tape Daily first; 0: the tape stays blank
    std::vector<std::string> args;
    bool toOut;  // where the text is: standard output, else standard error
    const char* expected;
};

class CliRoomTest : public CliSpanTest, public testing::WithParamInterface<RoomCase> {};

TEST_P(CliRoomTest, SaysWhatTheTapeHoldsAndWarnsBeforeItFills) {
    cli->SetEnvironment("TAPEWREN_VTAPE_CAPACITY_MB", "1");
    const RoomCase& c = GetParam();
    if (c.fileBytes > 0) {
        ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
        Write("src/f.bin", Pattern(static_cast<std::size_t>(c.fileBytes), 5));
        if (c.args.front() != "backup") {
            ASSERT_EQ(cli->Run({"backup", "../src/f.bin"}).status, 0);
        }
    }
    const CliRun run = cli->Run(c.args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE((c.toOut ? run.out : run.err).find(c.expected), std::string::npos) << run.out << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Rooms, CliRoomTest,
    testing::Values(
        RoomCase{"BlankTape", 0, {"status"}, true,
                 " Ready.\nThe tape is blank: it has not been formatted.\nSpace left: 1048576 of 1048576 bytes\n"},
        RoomCase{"RecordsAndSpace", 100000, {"status"}, true,
                 "Tape: Daily\nRecords: 1 used, 998 left\nBytes used: 100000\nSpace left: "},
        RoomCase{"StatusWarns", 950000, {"status"}, true, "Warning: little room left: "},
        RoomCase{"BackupWarns", 950000, {"backup", "../src/f.bin"}, false,
                 "Info: Tape 'Daily' has little room left: "},
        RoomCase{"QuietBackupWarns", 950000, {"backup", "--quiet", "../src/f.bin"}, false,
                 "1 file, 950000 bytes; little room left: "}),
    [](const testing::TestParamInfo<RoomCase>& info) { return std::string(info.param.name); });

// A command's own help, and an eject the drive cannot do.
struct PlainCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    bool toOut;
    const char* expected;
    const char* absent;  // must not be there
};

class CliPlainAnswerTest : public CliSpanTest, public testing::WithParamInterface<PlainCase> {};

TEST_P(CliPlainAnswerTest, SaysJustWhatWasAsked) {
    const PlainCase& c = GetParam();
    cli->SetEnvironment("TAPEWREN_VTAPE", Tape());
    const CliRun run = cli->Run(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    const std::string& text = c.toOut ? run.out : run.err;
    EXPECT_NE(text.find(c.expected), std::string::npos) << text;
    EXPECT_EQ(text.find(c.absent), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CliPlainAnswerTest,
    testing::Values(PlainCase{"BackupHelp", {"backup", "--help"}, 0, true,
                              "Usage: tapewren-cli backup [OPTIONS] [OPERANDS]\n\n  backup FILE...", "restore --to"},
                    PlainCase{"BackupHelpHasItsOptions", {"backup", "--help"}, 0, true, "  --span NAME", "--keep-dates"},
                    PlainCase{"RestoreHelp", {"restore", "-h"}, 0, true, "restore --to DIR NAME --record N", "--exclude"},
                    PlainCase{"EjectOfASingleImage", {"eject"}, 1, false,
                              "Error: the drive cannot eject: it is the virtual drive with the single image",
                              "Check device condition!"}),
    [](const testing::TestParamInfo<PlainCase>& info) { return std::string(info.param.name); });
