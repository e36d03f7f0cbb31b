#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "engine/Status.h"
#include "game/MessageEntry.h"
#include "mission/SpawnRecords.h"
#include "objects/space/SpawnRecords.h"

// A mission file (".uli" in the missions directory): FORM "MSSN" holding
// the header ("HDR "), the player's ship ("PLYR") and one chunk per object
// record, in the order the world is built. Every record chunk is exactly its
// size and is decoded before it is kept; the rest of the file is skipped.
// All numbers are little-endian; texts are NUL-terminated within their field.
namespace mission_file {

inline constexpr uint32_t kForm = MakeTag("MSSN");
inline constexpr uint32_t kHeader = MakeTag("HDR ");
inline constexpr uint32_t kPlayer = MakeTag("PLYR");
inline constexpr uint32_t kRock = MakeTag("ROCK");
inline constexpr uint32_t kMine = MakeTag("MINE");
inline constexpr uint32_t kGate = MakeTag("GATE");
inline constexpr uint32_t kDebris = MakeTag("DEBR");
inline constexpr uint32_t kWayPoint = MakeTag("WAYP");
inline constexpr uint32_t kBuoy = MakeTag("BUOY");
inline constexpr uint32_t kShip = MakeTag("SHIP");
inline constexpr uint32_t kMusic = MakeTag("MUSI");
inline constexpr uint32_t kMessage = MessageEntry::kChunk;
inline constexpr uint32_t kAward = MakeTag("AWRD");
inline constexpr uint32_t kMovie = MakeTag("MOVI");
inline constexpr uint32_t kGoal = MakeTag("GOAL");

// "HDR ": three report delays (seconds, difficulties 1, 2 and 4), the
// reference position (4 floats), the map centre (4 floats), the map view
// (12 floats: three axes, then the position).
inline constexpr uint32_t kHeaderBytes = 3 * 4 + 16 + 16 + 48;
// "PLYR": the player's ship definition and wing name, 16 bytes each.
inline constexpr uint32_t kPlayerBytes = 32;
// "WAYP": definition (16), name (32), position (3 floats).
inline constexpr uint32_t kWayPointBytes = 16 + 32 + 12;
// "BUOY": definition (16), position (3 floats), name (32), spin range (0 to
// spawn_records::kMaxDrift), two link names (16 each).
inline constexpr uint32_t kBuoyBytes = 16 + 12 + 32 + 4 + 16 + 16;
// "MUSI": the XMIDI file's name in the xmi directory (16), the CD track (i32).
inline constexpr uint32_t kMusicBytes = 16 + 4;
// "AWRD": five i32: the outcome it pays for (0 either), the least and the
// most player accuracy, the credits and the trophy mask.
inline constexpr uint32_t kAwardBytes = 5 * 4;
// "MOVI": the cut-scene played after the flight, in the video directory.
inline constexpr uint32_t kMovieBytes = 32;
// "GOAL": i32 id, record type, player-goal flag, side, display word, active
// word, word C, threshold; u32 time in ms; f32 distance; i32 second travel
// value, next goal's id (-1 none); subject and destination names (16 each),
// objective and second text (64 each); four links of a name (16) and an
// on word (0 or 1).
inline constexpr uint32_t kGoalBytes = 12 * 4 + 16 + 16 + 64 + 64 + 4 * (16 + 4);
// "SHIP": the AI ship record, then its side and a wingman flag.
inline constexpr uint32_t kShipBytes = spawn_records::kAiShipBytes + 8;

struct Header {
    int32_t reportDelays[3] = {};
    float reference[4] = {};
    float mapCentre[4] = {};
    float mapView[12] = {};
};

struct Player {
    char definition[16] = {};
    char wing[16] = {};
};

// At most this many records (and refused ones) are read; a file with more
// is refused whole: the world pass and the set-up grow with the objects.
inline constexpr int32_t kMaxRecords = 16384;

// One record, as it stood in the file (already found whole and sound).
struct Record {
    uint32_t chunk = 0;
    std::vector<uint8_t> bytes;
    int32_t ordinal = 0;   // its place among the file's records (PLYR included), from 1
};

// Why a record was refused, as the set-up reports it.
namespace refusal {
inline constexpr const char* kWrongSize = "its size is not the record's";
inline constexpr const char* kUnreadable = "its bytes cannot be read";
inline constexpr const char* kBadField = "a text runs past its field or a number is out of range";
inline constexpr const char* kNotMade = "no object can be made of its definition";
}  // namespace refusal

// Why a whole file was refused.
namespace failure {
inline constexpr const char* kNoFile = "the file cannot be opened or is no chunk file";
inline constexpr const char* kNoForm = "the file holds no mission form";
inline constexpr const char* kCut = "the file's chunks run past its end";
inline constexpr const char* kBadHeader = "the header is not whole or holds a number that is not finite";
inline constexpr const char* kNoHeader = "the file has no header";
inline constexpr const char* kTooManyRecords = "the file holds more than 16384 records";
static_assert(kMaxRecords == 16384, "the message names the cap");
}  // namespace failure

// A record the reader or the set-up refused: which one, its definition
// name as it stood (up to 16 bytes, maybe unprintable), and why.
struct Refusal {
    uint32_t chunk = 0;
    int32_t ordinal = 0;
    std::string definition;
    const char* reason = "";
};
// The refusal of a record that was read whole (one the set-up cannot build).
Refusal RefusalOf(const Record& record, const char* reason);
// "record 3 ROCK \"Asteroid\": <reason>", the name's unprintable bytes escaped.
std::string DescribeRefusal(const Refusal& refusal);

struct GoalRecord {
    int32_t id = 0;
    int32_t recordType = 0;
    int32_t playerGoal = 0;
    int32_t side = 0;
    int32_t display = 0;
    int32_t active = 0;
    int32_t wordC = 0;
    int32_t threshold = 0;
    uint32_t timeMs = 0;
    float distance = 0.0f;
    int32_t travelSecond = 0;
    int32_t nextGoalId = -1;
    char subject[17] = {};
    char destination[17] = {};
    char objective[65] = {};
    char second[65] = {};
    char linkNames[4][17] = {};
    int32_t linkOn[4] = {};
};

struct Music {
    char file[17] = {};   // up to 16 characters: NUL-padded when shorter
    int32_t track = 0;
};

struct Award {
    // A trophy mask of exactly this pays credits and sets no trophy.
    static constexpr uint32_t kCreditsOnly = 0x10000;
    int32_t outcome = 0;
    int32_t leastAccuracy = 0;
    int32_t mostAccuracy = 0;
    int32_t credits = 0;
    uint32_t trophyMask = 0;
};

struct Contents {
    Header header;
    bool hasPlayer = false;
    Player player;
    bool hasMusic = false;   // a whole "MUSI" naming a file of the xmi directory itself
    Music music;
    // Messages and awards in file order; one that is short, damaged or past
    // kMaxRecords of its kind is skipped and counted, not the file.
    std::vector<MessageEntry> messages;
    std::vector<Award> awards;
    int32_t skippedMessages = 0;
    int32_t skippedAwards = 0;
    std::string movie;   // the last whole "MOVI"; empty for none
    std::vector<Record> records;
    std::vector<Refusal> refusals;   // records of the wrong size or with bad fields, in file order
    const char* failure = nullptr;   // why the file was refused whole (a failure:: text), when it was
};

// The reader stands before FORM "MSSN". 0; 10 when a step of the walk is
// refused or the form is missing; 12 without a whole header or with more
// than kMaxRecords records.
Status Read(IffFile& iff, Contents* out);
// The same from a file (10 too when it cannot be opened or is no chunk file).
Status Load(const char* path, Contents* out);

// The record's definition name and fields, decoded; false for a chunk that
// is not a record or does not decode.
bool DecodeWayPoint(const Record& record, char definition[16], WayPointRecord* out);
bool DecodeBuoy(const Record& record, char definition[16], NavBuoyRecord* out);
bool DecodeShip(const Record& record, spawn_records::AiShip* out, int32_t* side, int32_t* wingman);
// A goal record of a known type, its texts within their fields, its
// distance finite and not negative, its threshold 0 to 100, its links on or off.
bool DecodeGoal(const Record& record, GoalRecord* out);

}  // namespace mission_file
