// XMIDI sequences read into timed channel messages: exact events from
// hand-built files, and a clear refusal of anything cut short, corrupted or
// out of range.
#include "sound/Xmidi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/ChunkBuilder.h"

namespace {

using Bytes = ChunkBuilder::Bytes;
const ChunkBuilder kBuild;

Bytes Sequence(const Bytes& events) {
    return kBuild.Form("XMID", {kBuild.Chunk("TIMB", Bytes{0x00, 0x01, 0x05}), kBuild.Chunk("EVNT", events)});
}

Bytes Directory(uint16_t count, std::initializer_list<Bytes> sequences) {
    return ChunkBuilder::Join({kBuild.Form("XDIR", {kBuild.Chunk("INFO", Bytes{uint8_t(count), uint8_t(count >> 8)})}),
                               kBuild.Cat("XMID", sequences)});
}

Status Read(const Bytes& file, int32_t number, XmidiSequence& out, std::string& error) {
    return ReadXmidiSequence(file.data(), file.size(), number, out, error);
}

// An event as tick, status, data1, data2.
using Row = std::array<uint32_t, 4>;
std::vector<Row> Rows(const XmidiSequence& sequence) {
    std::vector<Row> rows;
    for (const MidiEvent& e : sequence.events) rows.push_back({e.tick, e.status, e.data1, e.data2});
    return rows;
}

// Every kind of event once, each group one event or one delay byte.
const std::vector<Bytes> kEveryEvent = {
    {0xC0, 0x05},                    // program 5 at tick 0
    {0x7F}, {0x7F}, {0x02},          // 256 ticks
    {0x91, 0x3C, 0x64, 0x78},        // note 60 for 120 ticks
    {0x3C},
    {0xB1, 0x07, 0x50},              // volume at 316
    {0xB1, 0x74, 0x00},              // a loop's start, skipped
    {0xF0, 0x03, 0x41, 0x10, 0xF7},  // sysex, skipped by its length
    {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},  // tempo, skipped
    {0x3C},
    {0xE1, 0x00, 0x40},              // pitch bend at 376, read after the note-off's tick
    {0xD1, 0x22},
    {0xFF, 0x2F, 0x00},
};

Bytes Concatenate(const std::vector<Bytes>& groups, size_t byteCount = SIZE_MAX) {
    Bytes out;
    for (const Bytes& group : groups) out.insert(out.end(), group.begin(), group.end());
    if (byteCount < out.size()) out.resize(byteCount);
    return out;
}

TEST(XmidiTest, EveryKindOfEventReadsAtItsTickWithItsNoteOffImplied) {
    Bytes events = Concatenate(kEveryEvent);
    // Past the end event nothing is read.
    events.insert(events.end(), {0x10, 0x90, 0x40, 0x40, 0x01});
    const Bytes file = Sequence(events);
    ASSERT_EQ(CountXmidiSequences(file.data(), file.size()), 1);
    XmidiSequence sequence;
    std::string error;
    ASSERT_EQ(Read(file, 0, sequence, error), kStatusOk) << error;
    EXPECT_EQ(Rows(sequence), (std::vector<Row>{{0, 0xC0, 5, 0}, {256, 0x91, 60, 100}, {316, 0xB1, 7, 0x50},
                                                {376, 0x81, 60, 0}, {376, 0xE1, 0, 0x40}, {376, 0xD1, 0x22, 0}}));
    EXPECT_EQ(sequence.lengthTicks, 376u);
}

TEST(XmidiTest, NoteOffsKeepTheirTicksWhateverTheOrderOfTheirNotes) {
    // A long note, a short one struck later, a note of no duration, and a
    // note outlasting the end event: the sequence lasts until its last note-off.
    const Bytes file = Sequence({0x90, 0x30, 0x40, 0x81, 0x00,   // 128 ticks
                                 0x0A, 0x90, 0x34, 0x40, 0x0A,   // 10 to 20
                                 0x92, 0x38, 0x40, 0x00,         // 10 to 10
                                 0x90, 0x3C, 0x40, 0x83, 0x00,   // 10 to 394
                                 0x14, 0xFF, 0x2F, 0x00});
    XmidiSequence sequence;
    std::string error;
    ASSERT_EQ(Read(file, 0, sequence, error), kStatusOk) << error;
    EXPECT_EQ(Rows(sequence), (std::vector<Row>{{0, 0x90, 0x30, 0x40}, {10, 0x90, 0x34, 0x40}, {10, 0x92, 0x38, 0x40},
                                                {10, 0x82, 0x38, 0}, {10, 0x90, 0x3C, 0x40}, {20, 0x80, 0x34, 0},
                                                {128, 0x80, 0x30, 0}, {394, 0x80, 0x3C, 0}}));
    EXPECT_EQ(sequence.lengthTicks, 394u);

    // Without an end event the last event ends it.
    const Bytes open = Sequence({0x20, 0xC3, 0x01, 0x7F});
    ASSERT_EQ(Read(open, 0, sequence, error), kStatusOk) << error;
    EXPECT_EQ(sequence.lengthTicks, 32u);
}

TEST(XmidiTest, TheDirectoryChoosesASequenceByNumber) {
    const Bytes first = Sequence({0xC0, 0x01});
    // Chunks other than the events, odd ones padded, are passed over.
    const Bytes second = kBuild.Form("XMID", {kBuild.Chunk("RBRN", Bytes{1, 2, 3}), kBuild.Chunk("EVNT", Bytes{0xC0, 0x02})});
    const Bytes file = Directory(2, {first, second});
    ASSERT_EQ(CountXmidiSequences(file.data(), file.size()), 2);
    XmidiSequence sequence;
    std::string error;
    ASSERT_EQ(Read(file, 1, sequence, error), kStatusOk) << error;
    EXPECT_EQ(Rows(sequence), (std::vector<Row>{{0, 0xC0, 2, 0}}));
    ASSERT_EQ(Read(file, 0, sequence, error), kStatusOk) << error;
    EXPECT_EQ(Rows(sequence), (std::vector<Row>{{0, 0xC0, 1, 0}}));
    for (const int32_t number : {2, -1, INT32_MAX}) {
        EXPECT_EQ(Read(file, number, sequence, error), kStatusNotThisRecord) << number;
        EXPECT_FALSE(error.empty());
    }
}

TEST(XmidiTest, BytesCutShortAreRefused) {
    const Bytes file = Directory(2, {Sequence(Concatenate(kEveryEvent)), Sequence({0xC0, 0x02})});
    XmidiSequence sequence;
    std::string error;
    for (size_t size = 0; size < file.size(); ++size) {
        SCOPED_TRACE(size);
        const Bytes cut(file.begin(), file.begin() + ptrdiff_t(size));
        EXPECT_EQ(CountXmidiSequences(cut.data(), cut.size()), 0);
        EXPECT_EQ(Read(cut, 1, sequence, error), kStatusMalformed);
        EXPECT_NE(error.find("at byte"), std::string::npos) << error;
    }
    // Events cut between two events are a shorter sequence; cut inside one,
    // the event would run past its chunk into the bytes after it.
    std::vector<size_t> boundaries = {0};
    for (const Bytes& group : kEveryEvent) boundaries.push_back(boundaries.back() + group.size());
    for (size_t size = 0; size <= boundaries.back(); ++size) {
        SCOPED_TRACE(size);
        const Bytes cut = Directory(2, {Sequence(Concatenate(kEveryEvent, size)), Sequence({0xC0, 0x02})});
        const bool atBoundary = std::find(boundaries.begin(), boundaries.end(), size) != boundaries.end();
        EXPECT_EQ(Read(cut, 0, sequence, error), atBoundary ? kStatusOk : kStatusMalformed) << error;
        EXPECT_EQ(sequence.events.empty(), !atBoundary || size == 0);
    }
}

TEST(XmidiTest, CorruptFilesAreRefusedWithTheirFault) {
    const Bytes good = Sequence({0xC0, 0x01});
    const Bytes info = kBuild.Form("XDIR", {kBuild.Chunk("INFO", Bytes{1, 0})});
    const struct {
        const char* name;
        Bytes file;
        const char* fault;
    } cases[] = {
        {"a data byte with its top bit", Sequence({0x90, 0x3C, 0x80, 0x10}), "data byte"},
        {"a system status", Sequence({0x10, 0xF4, 0x00}), "status byte"},
        {"a duration of five bytes", Sequence({0x90, 0x3C, 0x40, 0x81, 0x81, 0x81, 0x81, 0x01}), "four bytes"},
        {"a duration cut by the chunk", Sequence({0x90, 0x3C, 0x40, 0x81, 0x81}), "past the end"},
        {"a sysex longer than its chunk", Sequence({0xF0, 0x10, 0x01, 0x02}), "past the end"},
        {"a meta without its type", Sequence({0xC0, 0x01, 0xFF}), "past the end"},
        {"no events chunk", kBuild.Form("XMID", {kBuild.Chunk("TIMB", Bytes{0, 0})}), "no events"},
        {"an events chunk longer than its form",
         ChunkBuilder::Join({kBuild.Header("FORM", 16), ChunkBuilder::Text("XMID"), kBuild.Header("EVNT", 0xFFFFFFFF), Bytes{0xC0, 0x01, 0, 0}}),
         "runs past"},
        {"a chunk file of another kind", kBuild.Form("XMIE", {kBuild.Chunk("EVNT", Bytes{0xC0, 0x01})}), "no XMIDI"},
        {"nothing", Bytes{}, "no XMIDI"},
        {"fewer sequences than counted", Directory(3, {good, good}), "count differs"},
        {"more sequences than counted", Directory(1, {good, good}), "count differs"},
        {"a count of one byte", ChunkBuilder::Join({kBuild.Form("XDIR", {kBuild.Chunk("INFO", Bytes{1})}), kBuild.Cat("XMID", {good})}),
         "no sequence count"},
        {"a directory alone", info, "not followed"},
        {"a list holding another form", ChunkBuilder::Join({info, kBuild.Cat("XMID", {kBuild.Form("XMIE", {})})}), "no sequence"},
        {"a list's form without its type", ChunkBuilder::Join({info, kBuild.Cat("XMID", {kBuild.Chunk("FORM", Bytes{'X', 'M'})})}),
         "no sequence"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        XmidiSequence sequence;
        std::string error;
        EXPECT_EQ(Read(c.file, 0, sequence, error), kStatusMalformed);
        EXPECT_NE(error.find(c.fault), std::string::npos) << error;
    }
}

TEST(XmidiTest, TicksStopShortOfTwoToThe31) {
    XmidiSequence sequence;
    std::string error;
    // The longest duration.
    ASSERT_EQ(Read(Sequence({0x90, 0x3C, 0x40, 0xFF, 0xFF, 0xFF, 0x7F}), 0, sequence, error), kStatusOk) << error;
    ASSERT_EQ(sequence.events.size(), 2u);
    EXPECT_EQ(sequence.events[1].tick, 0x0FFFFFFFu);

    // 127 * 16909320 = 2^31 - 8 ticks of delay bytes, then one tick too many.
    const Bytes delays(16909320, 0x7F);
    const auto after = [&](const Bytes& tail) { return Sequence(ChunkBuilder::Join({delays, tail})); };
    ASSERT_EQ(Read(after({0x90, 0x3C, 0x40, 0x07}), 0, sequence, error), kStatusOk) << error;
    ASSERT_EQ(sequence.events.size(), 2u);
    EXPECT_EQ(sequence.events[1].tick, 0x7FFFFFFFu);
    EXPECT_EQ(sequence.lengthTicks, 0x7FFFFFFFu);
    for (const Bytes& tail : {Bytes{0x90, 0x3C, 0x40, 0x08}, Bytes{0x08, 0xC0, 0x01}, Bytes{0x90, 0x3C, 0x40, 0xFF, 0xFF, 0xFF, 0x7F}}) {
        EXPECT_EQ(Read(after(tail), 0, sequence, error), kStatusMalformed);
        EXPECT_NE(error.find("2^31"), std::string::npos) << error;
    }
}

}  // namespace
