// Splitting a raw MIDI byte stream into whole messages: running status,
// system exclusive, real-time bytes inside messages, truncation and stray
// data, whatever the size of the chunks the stream arrives in.

#include "QVMidiBytesReader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Packet = std::vector<uint8_t>;

struct Collector {
    std::vector<Packet> packets;

    static void Receive(void* userData, uint8_t const* data, int size)
    {
        static_cast<Collector*>(userData)->packets.emplace_back(data, data + size);
    }
};

struct StreamCase {
    char const* name;
    std::vector<uint8_t> stream;
    std::vector<Packet> expected;
    uint32_t dropped;
};

std::vector<StreamCase> const kCases = {
    {"whole messages", {0x90, 60, 100, 0xC1, 5, 0xE0, 0, 64}, {{0x90, 60, 100}, {0xC1, 5}, {0xE0, 0, 64}}, 0},
    {"running status", {0x90, 60, 100, 62, 0, 64, 90}, {{0x90, 60, 100}, {0x90, 62, 0}, {0x90, 64, 90}}, 0},
    {"running status, two-byte messages", {0xC2, 1, 2, 3}, {{0xC2, 1}, {0xC2, 2}, {0xC2, 3}}, 0},
    {"real-time inside a message", {0x90, 0xF8, 60, 0xFE, 100}, {{0xF8}, {0xFE}, {0x90, 60, 100}}, 0},
    {"real-time keeps running status", {0xB0, 7, 1, 0xF8, 7, 2}, {{0xB0, 7, 1}, {0xF8}, {0xB0, 7, 2}}, 0},
    {"exclusive is skipped", {0xF0, 0x7E, 0x01, 0x02, 0xF7, 0x80, 60, 64}, {{0x80, 60, 64}}, 5},
    {"exclusive with real-time inside", {0xF0, 1, 0xF8, 2, 0xF7}, {{0xF8}}, 4},
    {"exclusive cut by a status", {0xF0, 1, 2, 0xB0, 7, 9}, {{0xB0, 7, 9}}, 3},
    {"exclusive ends running status", {0x90, 60, 1, 0xF0, 0xF7, 61, 2}, {{0x90, 60, 1}}, 4},
    {"truncated message dropped", {0x90, 60, 0xB0, 7, 127}, {{0xB0, 7, 127}}, 2},
    {"stray data at the start", {60, 100, 0x90, 1, 2}, {{0x90, 1, 2}}, 2},
    {"stray end of exclusive", {0xF7, 0xD0, 3}, {{0xD0, 3}}, 1},
    {"system common cancels running status", {0x90, 60, 1, 0xF3, 4, 61, 2}, {{0x90, 60, 1}, {0xF3, 4}}, 2},
    {"status-only system messages", {0xF6, 0xF4, 0xF2, 1, 2}, {{0xF6}, {0xF4}, {0xF2, 1, 2}}, 0},
    {"trailing partial message held back", {0xB0, 7}, {}, 0},
};

TEST(QVMidiBytesReader, SplitsStreams)
{
    for (StreamCase const& c : kCases) {
        SCOPED_TRACE(c.name);
        Collector collector;
        QVMidiBytesReader reader(&Collector::Receive, &collector);
        reader.Feed(c.stream.data(), int(c.stream.size()));
        EXPECT_EQ(collector.packets, c.expected);
        EXPECT_EQ(reader.GetDroppedCount(), c.dropped);
    }
}

TEST(QVMidiBytesReader, ChunkSizesDoNotChangeTheMessages)
{
    for (StreamCase const& c : kCases) {
        SCOPED_TRACE(c.name);
        for (size_t chunk = 1; chunk <= 3; ++chunk) {
            Collector collector;
            QVMidiBytesReader reader(&Collector::Receive, &collector);
            for (size_t at = 0; at < c.stream.size(); at += chunk) {
                // Copies of exactly the chunk's size, so reads past it are caught.
                std::vector<uint8_t> const piece(c.stream.begin() + long(at),
                                                 c.stream.begin() + long(std::min(at + chunk, c.stream.size())));
                reader.Feed(piece.data(), int(piece.size()));
            }
            EXPECT_EQ(collector.packets, c.expected) << "chunks of " << chunk;
        }
    }
}

TEST(QVMidiBytesReader, ResetForgetsThePartialMessageAndRunningStatus)
{
    Collector collector;
    QVMidiBytesReader reader(&Collector::Receive, &collector);
    uint8_t const before[] = {0x90, 60, 100, 0xB0, 7};
    reader.Feed(before, 5);
    reader.Reset();
    uint8_t const after[] = {1, 2, 0xC0, 3};
    reader.Feed(after, 4);
    EXPECT_EQ(collector.packets, (std::vector<Packet>{{0x90, 60, 100}, {0xC0, 3}}));
}

TEST(QVMidiBytesReader, NullDataAndNoReceiverAreHarmless)
{
    QVMidiBytesReader reader(nullptr, nullptr);
    reader.Feed(nullptr, 10);
    uint8_t const bytes[] = {0x90, 60, 100, 0xF8, 61};
    reader.Feed(bytes, 5);
    reader.Feed(bytes, -1);
    EXPECT_EQ(reader.GetDroppedCount(), 0u);
}

}  // namespace
