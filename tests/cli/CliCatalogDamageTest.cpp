// Catalogs that are cut short, damaged or hold more entries than the format
// allows: dir and find list the whole entries before the damage, name it,
// and fail. A date that cannot be one is no date in JSON.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <nlohmann/json.hpp>

#include "CliFixture.h"

namespace {

struct CatalogDamage {
    const char* name;
    std::function<void(std::string&)> damage;  // of the catalog of FormatAndBackUp (3 entries)
    long whole;                                // entries listed
    const char* said;
};

class CliCatalogDamageTest : public CliFixture, public testing::WithParamInterface<CatalogDamage> {};

TEST_P(CliCatalogDamageTest, DirAndFindListTheWholeEntriesNameTheDamageAndFail) {
    const CatalogDamage& c = GetParam();
    FormatAndBackUp();
    std::string catalog = Bytes(Catalog());
    c.damage(catalog);
    Write("start/Daily.twd", catalog);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"dir", "--tape", "Daily"},
                                                 std::vector<std::string>{"find", "*"}}) {
        const CliRun run = cli->Run(args);
        EXPECT_EQ(run.status, 1) << args.front();
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), c.whole) << args.front();
        EXPECT_NE(run.err.find(std::string("'Daily.twd' ") + c.said), std::string::npos) << run.err;
    }
}

// Restore and verify by the catalog take nothing from one that is damaged:
// "all" would quietly mean "those before the damage".
TEST_P(CliCatalogDamageTest, RestoreAndVerifyByItRefuseAndSaySo) {
    const CatalogDamage& c = GetParam();
    FormatAndBackUp();
    std::string catalog = Bytes(Catalog());
    c.damage(catalog);
    Write("start/Daily.twd", catalog);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"verify", "--in", "../src"},
                                                 std::vector<std::string>{"restore", "--to", "../dst", "a.txt"}}) {
        const CliRun run = cli->Run(args);
        EXPECT_EQ(run.status, 1) << args.front();
        EXPECT_EQ(run.out, "") << args.front();
        EXPECT_NE(run.err.find(std::string("'Daily.twd' ") + c.said), std::string::npos) << run.err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(Path("dst")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliCatalogDamageTest,
    testing::Values(CatalogDamage{"CutShort", [](std::string& c) { c.resize(c.size() - 100); }, 2,
                                  "is cut short after entry 2"},
                    CatalogDamage{"BadTypeByte", [](std::string& c) { c[78 + 286] = 7; }, 1,
                                  "is damaged after entry 1"},
                    CatalogDamage{"MoreThan999Entries",
                                  [](std::string& c) {
                                      std::string entry(286, '\0');
                                      entry[0] = 1;
                                      for (int i = 0; i < 997; ++i) c += entry;
                                  },
                                  999, "holds more than 999 entries"}),
    [](const testing::TestParamInfo<CatalogDamage>& info) { return std::string(info.param.name); });

class CliCatalogDateTest : public CliFixture {};

TEST_F(CliCatalogDateTest, AnImpossibleDateIsNullInJsonBesideItsText) {
    FormatAndBackUp();
    std::string catalog = Bytes(Catalog());
    catalog.replace(78 + 256, 10, "31.02.2026");  // the first entry's file date
    Write("start/Daily.twd", catalog);
    const nlohmann::json dir = nlohmann::json::parse(cli->Run({"dir", "--tape", "Daily", "--json"}).out);
    EXPECT_TRUE(dir["files"][0]["file_date"].is_null()) << dir;
    EXPECT_EQ(dir["files"][0]["file_date_text"], "31.02.2026");
    EXPECT_EQ(dir["files"][1]["file_date"], "2021-03-05");
}

}  // namespace
