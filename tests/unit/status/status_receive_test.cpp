// Reading a status answer: only whole groups of four, looked for eleven times at most.
#include "status_receiver.h"

#include <gtest/gtest.h>

#include "fakes/fake_serial_port.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class StatusReceive : public ::testing::Test {
  protected:
    StatusReceive() : port(std::make_unique<pos::testing::FakeSerialPort>(line), trace, {}) {
        port.Open("COM1");
    }
    void queue(const Bytes& bytes) {
        line.incoming.insert(line.incoming.end(), bytes.begin(), bytes.end());
    }
    // Counts the pauses; bytes can arrive during a chosen one.
    bool receive() {
        return pos::printer::receiveStatusAnswer(port, buffer, [this](std::uint32_t ms) {
            pauses.push_back(ms);
            if (pauses.size() == arriveAtPause) queue(arriving);
            return pauses.size() != stopAtPause;
        });
    }
    Bytes lastRead() const { return {buffer.lastRead().begin(), buffer.lastRead().end()}; }

    pos::testing::FakeSerialPort::Shared line;
    pos::TraceLog trace;
    pos::ComPort port;
    pos::printer::StatusBuffer buffer;
    std::vector<std::uint32_t> pauses;
    Bytes arriving;
    std::size_t arriveAtPause = 0;
    std::size_t stopAtPause = 0;
};

TEST_F(StatusReceive, SixBytesAreNeverReadAndTheLookGivesUpAfterElevenTries) {
    queue({1, 2, 3, 4, 5, 6});
    EXPECT_FALSE(receive());
    EXPECT_EQ(pauses, std::vector<std::uint32_t>(11, 100));
    EXPECT_EQ(line.incoming.size(), 6u);
    EXPECT_EQ(buffer.count, 0u);
}

TEST_F(StatusReceive, AnswerArrivingLateIsReadWholeAtTheNextLook) {
    arriving = {0x12, 0x16, 0x12, 0x12, 0x10, 0x00, 0x00, 0x00};
    arriveAtPause = 11;  // the last chance
    EXPECT_TRUE(receive());
    EXPECT_EQ(pauses.size(), 11u);
    EXPECT_EQ(lastRead(), arriving);
    EXPECT_TRUE(line.incoming.empty());
}

TEST_F(StatusReceive, ThreeBytesThenTheFourthMakeAGroup) {
    queue({0x20, 0x00, 0x03});
    arriving = {0x00};
    arriveAtPause = 3;
    EXPECT_TRUE(receive());
    EXPECT_EQ(pauses.size(), 3u);
    EXPECT_EQ(lastRead(), (Bytes{0x20, 0x00, 0x03, 0x00}));
}

TEST_F(StatusReceive, MoreThanTheBufferHoldsIsReadInBufferSizedParts) {
    Bytes many(600);
    for (std::size_t i = 0; i < many.size(); ++i) many[i] = static_cast<std::uint8_t>(i);
    queue(many);
    EXPECT_TRUE(receive());
    EXPECT_EQ(buffer.count, 512u);
    EXPECT_EQ(lastRead(), Bytes(many.begin(), many.begin() + 512));
    EXPECT_EQ(line.incoming.size(), 88u);  // still whole groups, for the next read
    EXPECT_TRUE(receive());
    EXPECT_EQ(lastRead(), Bytes(many.begin() + 512, many.end()));
}

TEST_F(StatusReceive, AnEndedPauseStopsLookingAtOnce) {
    queue({1, 2, 3, 4});
    stopAtPause = 1;
    EXPECT_FALSE(receive());
    EXPECT_EQ(pauses.size(), 1u);
    EXPECT_EQ(line.incoming.size(), 4u);
}

TEST_F(StatusReceive, AClosedPortIsNotReadFromWhateverItLastReported) {
    queue({1, 2, 3, 4});
    ASSERT_TRUE(port.ClearError());  // the port's last count is now 4
    port.Close();
    EXPECT_FALSE(receive());
    EXPECT_EQ(pauses.size(), 11u);
}

}  // namespace
