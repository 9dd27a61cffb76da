#pragma once
// A scratch tree for runs of tapewren-cli: start/ (the current directory,
// where directory files live), src/ and dst/, tapes/ (the virtual drive's
// cartridges) and floppy/. Removed afterwards.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "CliRunner.h"
#include "support/NoonDate.h"
#include "support/PatternBytes.h"

class CliFixture : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = TempBase() + "/tw-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        for (const char* sub : {"start", "src", "dst", "tapes", "floppy", "scratch"})
            std::filesystem::create_directories(root + "/" + sub);
        cli = std::make_unique<CliRunner>(Path("start"), Path("tapes"), Path("floppy"), Path("scratch"));
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    // Where the scratch tree goes.
    virtual std::string TempBase() const { return "/tmp"; }

    std::string Path(const std::string& relative) const { return root + "/" + relative; }
    std::string Tape() const { return Path("tapes/tape01.tap"); }
    std::string Catalog(const std::string& name = "Daily") const { return Path("start/" + name + ".twd"); }

    // Bytes of a made-up pattern, different for every seed.
    static std::string Pattern(std::size_t size, std::uint32_t seed) {
        return PatternBytes<std::string>(size, seed, 7);
    }
    void Write(const std::string& relative, const std::string& bytes) const {
        std::ofstream(Path(relative), std::ios::binary | std::ios::trunc) << bytes;
    }
    // Last write time: noon local time of the given day.
    bool SetDate(const std::string& relative, int day, int month, int year) const {
        return SetNoonDate(Path(relative), day, month, year);
    }
    std::string Read(const std::string& relative) const { return CliRunner::Slurp(Path(relative)); }
    static std::string Bytes(const std::string& path) { return CliRunner::Slurp(path); }

    // Formats tape "Daily" and backs up src/ files a.txt (3000 bytes),
    // b.zip (70000) and c.dat (1).
    void FormatAndBackUp() {
        Write("src/a.txt", Pattern(3000, 1));
        Write("src/b.zip", Pattern(70000, 2));
        Write("src/c.dat", Pattern(1, 3));
        for (const char* name : {"src/a.txt", "src/b.zip", "src/c.dat"}) ASSERT_TRUE(SetDate(name, 5, 3, 2021));
        const CliRun format = cli->Run({"format", "Daily", "--yes"});
        ASSERT_EQ(format.status, 0) << format.err;
        const CliRun backup = cli->Run({"backup", "../src/a.txt", "../src/b.zip", "../src/c.dat"});
        ASSERT_EQ(backup.status, 0) << backup.err;
    }

    std::string root;
    std::unique_ptr<CliRunner> cli;
};
