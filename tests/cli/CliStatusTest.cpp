// The status display: plain lines without a terminal, one redrawn line on it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "cli/CliStatus.h"

namespace {

class CliStatusTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(pipe(fds_), 0); }
    void TearDown() override {
        close(fds_[0]);
        if (fds_[1] >= 0) close(fds_[1]);
    }
    std::string Drain() {
        close(fds_[1]);
        fds_[1] = -1;
        std::string text;
        char buffer[4096];
        ssize_t n;
        while ((n = read(fds_[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }
    int fds_[2] = {-1, -1};
};

TEST_F(CliStatusTest, PlainLinesSkipRepeatsAndProgress) {
    CliStatus status(fds_[1], false, 80);
    status.ShowStatus(" Reading file information from HD...");
    status.ShowStatus(" Reading file information from HD...");
    status.ShowProgress(10, 100);
    status.ShowStatus(" Locating file: a");
    status.ShowStatus(" Reading file information from HD...");
    status.Finish();
    EXPECT_EQ(Drain(),
              " Reading file information from HD...\n Locating file: a\n Reading file information from HD...\n");
}

TEST_F(CliStatusTest, TerminalRedrawsOneLineWithinItsWidthAndEndsIt) {
    CliStatus status(fds_[1], true, 60);
    status.ShowStatus(" Writing file: " + std::string(100, 'n'));
    status.ShowProgress(50, 100);
    status.ClearLine();
    status.ShowProgress(100, 100);
    status.Finish();
    const std::string text = Drain();
    std::size_t lines = 0, from = 0;
    while (true) {
        const std::size_t at = text.find("\r\x1b[K", from);
        if (at == std::string::npos) break;
        const std::size_t next = text.find_first_of("\r\n", at + 4);
        const std::string line = text.substr(at + 4, next == std::string::npos ? std::string::npos : next - at - 4);
        EXPECT_LT(line.size(), 60u) << line;
        from = at + 4;
        ++lines;
    }
    EXPECT_GE(lines, 3u);
    EXPECT_NE(text.find("[####################] 100%"), std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\n'), text.size() - 1);
}

}  // namespace
