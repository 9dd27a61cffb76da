#pragma once
// A start directory and a floppy folder under a fresh temporary folder, and
// directory files written into them: a header, named entries and, if asked,
// stray bytes after the last whole entry.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalog/DirFile.h"
#include "support/FileContents.h"
#include "support/ScriptedMessages.h"

class FloppyFolders {
public:
    using Bytes = std::vector<std::uint8_t>;

    FloppyFolders() {
        char pattern[] = "/tmp/tw-floppy-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            ADD_FAILURE() << "mkdtemp";
            return;
        }
        root = pattern;
        start = root + "/start";
        floppy = root + "/floppy";
        std::filesystem::create_directories(start);
        std::filesystem::create_directories(floppy);
    }
    ~FloppyFolders() {
        if (!root.empty()) std::filesystem::remove_all(root);
    }
    FloppyFolders(const FloppyFolders&) = delete;
    FloppyFolders& operator=(const FloppyFolders&) = delete;

    // Writes folder/tape.twd and returns its bytes.
    static Bytes WriteCatalog(const std::string& folder, const std::string& tape,
                              const std::vector<std::string>& entries, std::size_t strayBytes = 0) {
        ScriptedMessages quiet;
        DirFile dirFile(quiet);
        const std::string path = folder + "/" + tape + ".twd";
        EXPECT_EQ(dirFile.CreateFromIdent(tape, path, "05.06.2007", "1.6"), 0);
        std::int32_t size = 100;
        for (const auto& name : entries)
            EXPECT_EQ(dirFile.AppendEntry(path, name, "01.02.2003", "04.05.2006", size++, 1), 0);
        if (strayBytes > 0) {
            std::ofstream out(path, std::ios::binary | std::ios::app);
            for (std::size_t i = 0; i < strayBytes; ++i) out.put(static_cast<char>(0x5A + i));
        }
        return ReadBytes(path);
    }

    static Bytes ReadBytes(const std::string& path) {
        return FileContents<Bytes>(path);
    }

    std::string root;
    std::string start;
    std::string floppy;
};
