#pragma once
// A fresh folder per test, removed afterwards, with helpers to write and read
// whole files as bytes.

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

using Bytes = std::vector<std::uint8_t>;

class CatalogTempDir : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tw-catalog-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string PathOf(const std::string& name) const { return dir + "/" + name; }

    static void WriteBytes(const std::string& path, const Bytes& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
    }
    static Bytes ReadBytes(const std::string& path) {
        return FileContents<Bytes>(path);
    }

    std::string dir;
    ScriptedMessages messages;
    DirFile dirFile{messages};
};
