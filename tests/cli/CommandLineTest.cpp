// What the parser takes and refuses, and where options may stand.
#include <gtest/gtest.h>

#include "cli/CommandLine.h"

namespace {

CommandLine Parsed(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::string error;
    EXPECT_EQ(line.Parse(arguments, error), 0) << error;
    return line;
}

std::string Refused(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::string error;
    EXPECT_EQ(line.Parse(arguments, error), -1);
    return error;
}

TEST(CommandLineTest, OptionsMayStandBeforeAndAfterTheOperands) {
    const CommandLine line = Parsed({"--adapter", "1", "restore", "a.txt", "--to", "/tmp", "b.zip", "-y"});
    EXPECT_EQ(line.command, "restore");
    EXPECT_EQ(line.operands, (std::vector<std::string>{"a.txt", "b.zip"}));
    EXPECT_EQ(line.to, "/tmp");
    EXPECT_EQ(line.adapter, 1);
    EXPECT_EQ(line.target, -1);
    EXPECT_EQ(line.answer, Answer::Yes);
}

TEST(CommandLineTest, DoubleDashLetsAFileNameBeginWithADash) {
    const CommandLine line = Parsed({"backup", "--", "-odd.txt", "--no"});
    EXPECT_EQ(line.operands, (std::vector<std::string>{"-odd.txt", "--no"}));
    EXPECT_EQ(line.answer, Answer::Ask);
}

TEST(CommandLineTest, ValuesMayBeJoinedWithAnEqualsSign) {
    const CommandLine line = Parsed({"verify", "--in=/x=y", "--target=2"});
    EXPECT_EQ(line.in, "/x=y");
    EXPECT_EQ(line.target, 2);
    EXPECT_NE(Refused({"dir", "--yes=1"}).find("--yes takes no value"), std::string::npos);
    EXPECT_NE(Refused({"dir", "--target="}).find("--target takes a number"), std::string::npos);
}

TEST(CommandLineTest, HelpNeedsNoCommand) {
    EXPECT_TRUE(Parsed({"--help"}).help);
    EXPECT_TRUE(Parsed({"--version"}).version);
}

TEST(CommandLineTest, TargetAndAdapterTakeOnlyNumbersInRange) {
    EXPECT_EQ(Parsed({"dir", "--target", "7"}).target, 7);
    EXPECT_NE(Refused({"dir", "--target", "8"}).find("from 0 to 7"), std::string::npos);
    EXPECT_NE(Refused({"dir", "--target", "-1"}).find("--target"), std::string::npos);
    EXPECT_NE(Refused({"dir", "--adapter", "1x"}).find("--adapter"), std::string::npos);
    EXPECT_NE(Refused({"dir", "--adapter"}).find("needs a value"), std::string::npos);
}

TEST(CommandLineTest, OptionsOfOneCommandAreRefusedOnAnother) {
    EXPECT_NE(Refused({"verify", "--in", "x", "--all"}).find("--all belongs to restore"), std::string::npos);
    EXPECT_NE(Refused({"restore", "--to", "x", "--report"}).find("--report belongs to verify"), std::string::npos);
    EXPECT_NE(Refused({"backup", "a", "--to", "x"}).find("--to belongs to restore"), std::string::npos);
}

TEST(CommandLineTest, RestoreAndVerifyNeedTheirFolder) {
    EXPECT_NE(Refused({"restore"}).find("--to DIR is required"), std::string::npos);
    EXPECT_NE(Refused({"verify", "a"}).find("--in DIR is required"), std::string::npos);
    EXPECT_TRUE(Parsed({"restore", "--to", "x", "--all"}).all);
    EXPECT_TRUE(Parsed({"verify", "--in", "x", "--report"}).report);
}

TEST(CommandLineTest, YesAndNoExcludeEachOther) {
    EXPECT_NE(Refused({"dir", "-y", "-n"}).find("exclude"), std::string::npos);
    EXPECT_EQ(Parsed({"dir", "--no"}).answer, Answer::No);
}

struct OperandCase {
    const char* command;
    int count;
    bool good;
};

class OperandCountTest : public testing::TestWithParam<OperandCase> {};

TEST_P(OperandCountTest, EachCommandTakesItsNumberOfOperands) {
    const OperandCase c = GetParam();
    std::vector<std::string> arguments = {c.command};
    for (int i = 0; i < c.count; ++i) arguments.push_back(std::string(1, static_cast<char>('a' + i)));
    if (std::string(c.command) == "restore") arguments.insert(arguments.end(), {"--to", "x"});
    if (std::string(c.command) == "verify") arguments.insert(arguments.end(), {"--in", "x"});
    CommandLine line;
    std::string error;
    EXPECT_EQ(line.Parse(arguments, error) == 0, c.good) << c.command << " " << c.count << ": " << error;
}

INSTANTIATE_TEST_SUITE_P(Commands, OperandCountTest,
                         testing::Values(OperandCase{"adapters", 0, true}, OperandCase{"adapters", 1, false},
                                         OperandCase{"status", 1, false}, OperandCase{"format", 0, false},
                                         OperandCase{"format", 1, true}, OperandCase{"format", 2, false},
                                         OperandCase{"check", 1, false}, OperandCase{"eject", 1, false},
                                         OperandCase{"dir", 1, false}, OperandCase{"backup", 0, false},
                                         OperandCase{"backup", 3, true}, OperandCase{"restore", 0, true},
                                         OperandCase{"restore", 2, true}, OperandCase{"verify", 0, true},
                                         OperandCase{"rebuild", 1, false}, OperandCase{"export", 0, false},
                                         OperandCase{"export", 2, true}, OperandCase{"import", 0, false},
                                         OperandCase{"import", 1, true}, OperandCase{"nonsense", 0, false}));

}  // namespace
