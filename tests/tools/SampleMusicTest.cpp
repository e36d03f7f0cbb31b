// The tunes and CD tracks mkdata writes, read back the way the game reads
// them, and the missions naming their tunes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "engine/ByteOrder.h"
#include "mission/MissionFile.h"
#include "sound/Xmidi.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/MissionData.h"
#include "tools/mkdata/MusicData.h"

namespace {

const uint8_t* Bytes(const std::string& file) { return reinterpret_cast<const uint8_t*>(file.data()); }

TEST(SampleMusic, EveryTuneReadsBackAsAFewChannelsOfWholeNotesForHalfAMinute) {
    const TempDir dir;
    for (int i = 0; i < kSampleTuneCount; ++i) {
        SCOPED_TRACE(kSampleTunes[i]);
        const std::filesystem::path path = dir.Path() / kSampleTunes[i];
        ASSERT_EQ(WriteSampleTune(i, path.c_str()), kStatusOk);
        const std::string file = FileContents(path);
        ASSERT_EQ(CountXmidiSequences(Bytes(file), file.size()), 1);
        XmidiSequence tune;
        std::string error;
        ASSERT_EQ(ReadXmidiSequence(Bytes(file), file.size(), 0, tune, error), kStatusOk) << error;
        const double seconds = double(tune.lengthTicks) / kXmidiTicksPerSecond;
        EXPECT_GE(seconds, 20.0);
        EXPECT_LE(seconds, 40.0);

        // A note struck again while it still sounds would be cut short by
        // the earlier note's implied note-off.
        std::map<std::pair<int, int>, int> sounding;
        std::set<int> channels;
        int notes = 0;
        for (const MidiEvent& event : tune.events) {
            const int channel = event.status & 0x0F;
            const auto key = std::make_pair(channel, int(event.data1));
            if ((event.status & 0xF0) == 0x90) {
                EXPECT_GT(event.data2, 0) << "a silent note at tick " << event.tick;
                EXPECT_EQ(sounding[key]++, 0) << "note " << key.second << " of channel " << channel << " struck again at tick " << event.tick;
                channels.insert(channel);
                ++notes;
            } else if ((event.status & 0xF0) == 0x80) {
                --sounding[key];
            }
        }
        EXPECT_GE(channels.size(), 3u);
        EXPECT_GE(notes, 100);
    }
}

TEST(SampleMusic, TheCdTracksAreTwoSecondsOfMono16BitSound) {
    const TempDir dir;
    for (int i = 0; i < kSampleCdTrackCount; ++i) {
        SCOPED_TRACE(kSampleCdTracks[i]);
        const std::filesystem::path path = dir.Path() / kSampleCdTracks[i];
        ASSERT_EQ(WriteSampleCdTrack(i, path.c_str()), kStatusOk);
        const std::string file = FileContents(path);
        ASSERT_GE(file.size(), 44u);
        const uint8_t* p = Bytes(file);
        EXPECT_EQ(file.substr(0, 4) + file.substr(8, 8) + file.substr(36, 4), "RIFFWAVEfmt data");
        EXPECT_EQ(LoadLe32(p + 4), file.size() - 8);
        // 16 bytes of format: PCM, mono, 22050 Hz, 44100 bytes a second, 2 a frame, 16 bits.
        const uint8_t format[] = {16, 0, 0, 0, 1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0};
        EXPECT_EQ(std::memcmp(p + 16, format, sizeof format), 0);
        ASSERT_EQ(LoadLe32(p + 40), file.size() - 44);
        EXPECT_NEAR(double((file.size() - 44) / 2) / 22050.0, 2.0, 0.25);
        int peak = 0;
        for (uint32_t at = 44; at + 1 < file.size(); at += 2) peak = std::max(peak, std::abs(int(int16_t(LoadLe16(p + at)))));
        EXPECT_GT(peak, 4000);
    }
}

TEST(SampleMusic, TheMissionsNameTheirTunesAndStillLoad) {
    const TempDir dir;
    const struct {
        const char* mission;
        Status (*write)(const char*);
        const char* tune;
    } missions[] = {{kSampleMissionFile, WriteSampleMission, kPatrolTune},
                    {kSkirmishMissionFile, WriteSkirmishMission, kSkirmishTune}};
    for (const auto& m : missions) {
        SCOPED_TRACE(m.mission);
        const std::filesystem::path path = dir.Path() / m.mission;
        ASSERT_EQ(m.write(path.c_str()), kStatusOk);
        mission_file::Contents contents;
        ASSERT_EQ(mission_file::Load(path.c_str(), &contents), kStatusOk);
        EXPECT_TRUE(contents.refusals.empty());
        ASSERT_TRUE(contents.hasMusic);
        EXPECT_STREQ(contents.music.file, m.tune);
        EXPECT_EQ(contents.music.track, 0);
    }
}

}  // namespace
