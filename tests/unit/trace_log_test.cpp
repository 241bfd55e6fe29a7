#include "trace_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class TraceLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("trace_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir;
    // 2024-03-05 14:07:09 local time
    static std::time_t fixedTime() {
        std::tm t{};
        t.tm_year = 124;
        t.tm_mon = 2;
        t.tm_mday = 5;
        t.tm_hour = 14;
        t.tm_min = 7;
        t.tm_sec = 9;
        t.tm_isdst = -1;
        return std::mktime(&t);
    }
};

TEST_F(TraceLogTest, DisabledWritesNothingAndSucceeds) {
    pos::TraceLog log({}, dir.string(), fixedTime);
    EXPECT_TRUE(log.Write("ClaimDevice:0x%x\n", 5));
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_TRUE(log.WriteRaw(bytes, 3));
    EXPECT_FALSE(fs::exists(log.textPath()));
    EXPECT_FALSE(fs::exists(log.rawPath()));
}

TEST_F(TraceLogTest, HeaderOnceBeforeTheFirstLineOfALoad) {
    pos::TraceLog log({}, dir.string(), fixedTime);
    log.setEnabled(true);
    log.Write("ClaimDevice:0x%x\n", 1000);
    log.Write("ClaimDevice:OPOS_SUCCESS\n");
    EXPECT_EQ(read(log.textPath()),
              "======Recording======\nTime Record:Tue Mar  5 14:07:09 2024\n\n"
              "ClaimDevice:0x3e8\nClaimDevice:OPOS_SUCCESS\n");

    // Another load of the library starts a new recording in the same file.
    pos::TraceLog nextLoad({}, dir.string(), fixedTime);
    nextLoad.setEnabled(true);
    nextLoad.Write("x\n");
    EXPECT_EQ(read(log.textPath()),
              "======Recording======\nTime Record:Tue Mar  5 14:07:09 2024\n\n"
              "ClaimDevice:0x3e8\nClaimDevice:OPOS_SUCCESS\n"
              "======Recording======\nTime Record:Tue Mar  5 14:07:09 2024\n\nx\n");
}

TEST_F(TraceLogTest, DisplayCopyHasNoHeaderAndNoRawFile) {
    pos::TraceLog log({.recordingHeader = false, .rawFile = false}, dir.string(), fixedTime);
    log.setEnabled(true);
    log.Write("DisplayText:%s\n", "HELLO");
    const std::uint8_t bytes[] = {0x1B, 0x40};
    log.WriteRaw(bytes, 2);
    EXPECT_EQ(read(log.textPath()), "DisplayText:HELLO\n");
    EXPECT_FALSE(fs::exists(log.rawPath()));
}

TEST_F(TraceLogTest, RawBytesAppendExactly) {
    pos::TraceLog log({}, dir.string(), fixedTime);
    log.setEnabled(true);
    const std::uint8_t first[] = {0x1B, 0x40, 0x0A, 0x00, 0x0D};
    const std::uint8_t second[] = {0xFF};
    log.WriteRaw(first, 5);
    log.WriteRaw(second, 1);
    EXPECT_EQ(read(log.rawPath()), std::string("\x1B\x40\x0A\x00\x0D\xFF", 6));
    EXPECT_FALSE(fs::exists(log.textPath()));
}

TEST_F(TraceLogTest, UnwritableFolderFailsAndHeaderWaitsForTheFirstGoodLine) {
    pos::TraceLog log({}, (dir / "missing").string(), fixedTime);
    log.setEnabled(true);
    EXPECT_FALSE(log.Write("lost\n"));
    fs::create_directories(dir / "missing");
    EXPECT_TRUE(log.Write("kept\n"));
    EXPECT_EQ(read(log.textPath()),
              "======Recording======\nTime Record:Tue Mar  5 14:07:09 2024\n\nkept\n");
}

TEST_F(TraceLogTest, FileRemovedWhileLoadedIsCreatedAgain) {
    pos::TraceLog log({}, dir.string(), fixedTime);
    log.setEnabled(true);
    log.Write("a\n");
    fs::remove(log.textPath());
    log.Write("b\n");
    EXPECT_EQ(read(log.textPath()), "b\n");
}

}  // namespace
