#pragma once
// Checks a tape image against its catalog without the program's own
// readers: mtdump (simh) gives the tape files and their records, a parser
// here reads the catalog and the headers. Entry k of the catalog must be the
// record after the k-th filemark: a header with the entry's fields followed
// by blockCount data blocks.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/MtDumpRecords.h"
#include "support/RunTool.h"
#include "support/TapImage.h"

namespace TapeStructure {

struct Entry {
    std::string name, fileDate, backupDate;
    std::int32_t size = 0, blockCount = 0;
};

inline std::string Text(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t width) {
    std::string text;
    for (std::size_t i = at; i < at + width && i < b.size() && b[i] != 0; ++i) text += static_cast<char>(b[i]);
    return text;
}

// The directory file's entries: 78-byte header, then 286-byte entries while
// their type byte is 1 or 2.
inline std::vector<Entry> ReadCatalog(const std::string& path) {
    const auto b = TapImage::FileBytes(path);
    std::vector<Entry> entries;
    for (std::size_t at = 78; at + 286 <= b.size() && (b[at] == 1 || b[at] == 2); at += 286)
        entries.push_back({Text(b, at + 1, 255), Text(b, at + 256, 11), Text(b, at + 267, 11),
                           static_cast<std::int32_t>(TapImage::Word(b, at + 278)),
                           static_cast<std::int32_t>(TapImage::Word(b, at + 282))});
    return entries;
}

// Record lengths per tape file, as mtdump reads a copy of the image.
inline std::vector<std::vector<std::size_t>> MtDump(const std::string& image, const std::string& workDir) {
    const std::string copy = workDir + "/mtdump-copy.tap";
    std::filesystem::copy_file(image, copy, std::filesystem::copy_options::overwrite_existing);
    int status = 0;
    const std::string output = RunTool("mtdump " + copy + " 2>&1", status);
    EXPECT_EQ(status, 0) << output;
    std::filesystem::remove(copy);
    auto files = MtDumpRecords(output);
    if (files.back().empty()) files.pop_back();
    return files;
}

inline void ExpectMatches(const std::string& image, const std::string& catalog, int blockLength,
                          const std::string& workDir) {
    const auto entries = ReadCatalog(catalog);
    const auto files = MtDump(image, workDir);
    const auto block = static_cast<std::size_t>(blockLength);
    ASSERT_EQ(files.size(), entries.size() + 1) << "tape files (ident block first) against catalog entries";
    EXPECT_EQ(files[0], std::vector<std::size_t>{block});
    bool ok = false;
    const auto objects = TapImage::Parse(image, ok);
    ASSERT_TRUE(ok);
    std::size_t at = 0, filemarks = 0;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const Entry& e = entries[k];
        EXPECT_EQ(files[k + 1], std::vector<std::size_t>(static_cast<std::size_t>(e.blockCount) + 1, block))
            << "records of tape file " << k + 1;
        while (at < objects.size() && filemarks < k + 1) filemarks += objects[at++].filemark;
        ASSERT_LT(at, objects.size());
        const auto& h = objects[at].data;
        ASSERT_GE(h.size(), 287u);
        EXPECT_EQ(h[0], 1);
        EXPECT_EQ(Text(h, 1, 256), e.name);
        EXPECT_EQ(Text(h, 257, 11), e.fileDate);
        EXPECT_EQ(Text(h, 268, 11), e.backupDate);
        EXPECT_EQ(static_cast<std::int32_t>(TapImage::Word(h, 279)), e.size);
        EXPECT_EQ(static_cast<std::int32_t>(TapImage::Word(h, 283)), e.blockCount);
    }
}

}  // namespace TapeStructure
