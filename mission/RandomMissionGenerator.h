#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "engine/Status.h"

class GameState;

// The missions made up on the spot: the offers of the career's mail and
// the network game's flights. "random.iff" tells what each kind pays at
// each difficulty, the cooperative time limit, the kill pay rate and the
// templates a mission is made from; the lobby (or an accepted offer) sets
// the kind and difficulty; the set-up then populates the world of
// "sectors.uli" with the template's objects and goals.
class RandomMissionGenerator {
public:
    enum Kind : int32_t { kScout = 0, kDestroy = 1, kProtect = 2, kCapture = 3, kDeathMatch = 4 };
    static constexpr int32_t kKinds = 5;
    static constexpr int32_t kDifficulties = 4;

    // FORM "RAND": "PAYS" (19 little-endian i32) and forms "TMPL" each
    // holding a "TINF": i32 kind, a 64-byte description, i32 enemy, asteroid
    // and mine counts (each 0 to kMaxCount). At most kMaxTemplates count.
    // After its "TINF" a template may hold "GTXT" (the objective and the
    // second text of the kind's first goal, 64 bytes each) and sky records
    // ("STAR", "DUST", "WALL", "LGHT", at most kMaxSkyRecords) added to the
    // sectors' sky; an unsound one is skipped.
    static constexpr uint32_t kForm = MakeTag("RAND");
    static constexpr uint32_t kPaysChunk = MakeTag("PAYS");
    static constexpr uint32_t kTemplateForm = MakeTag("TMPL");
    static constexpr uint32_t kTemplateChunk = MakeTag("TINF");
    static constexpr int32_t kPayWords = 19;
    static constexpr int32_t kCoopLimitWord = 16;
    static constexpr int32_t kDeathMatchPayWord = 17;
    static constexpr int32_t kKillPayWord = 18;
    static constexpr uint32_t kDescriptionBytes = 64;
    static constexpr uint32_t kTemplateBytes = 4 + kDescriptionBytes + 3 * 4;
    static constexpr int32_t kMaxTemplates = 64;
    static constexpr int32_t kMaxCount = 64;
    static constexpr uint32_t kGoalTextChunk = MakeTag("GTXT");
    static constexpr uint32_t kGoalTextBytes = 64;
    static constexpr size_t kMaxSkyRecords = 16;
    static constexpr const char* kFileName = "random.iff";
    static constexpr const char* kSectorsFile = "sectors.uli";
    // A network game's cooperative mission opens with the wing forming up
    // while its players launch: a wait goal of this long on the mission
    // clock, which starts that clock anew for the kind's timed goals. The
    // host decides it; nobody needs to fly anywhere for it.
    static constexpr uint32_t kFormUpMs = 15000;
    static constexpr const char* kFormUpText = "Form up with your wing";
    static constexpr const char* kFormUpSecondText = "The mission clock starts once the wing has launched";
    // The same wait where no wing flies: the command line's mission flown
    // without a network game. Its second line counts the wait's seconds
    // down after this lead.
    static constexpr const char* kStandByText = "Stand by at the launch point";
    static constexpr const char* kStandByCountdownLead = "The mission clock starts in";

    struct Template {
        int32_t kind = 0;
        std::string description;
        int32_t enemies = 0;
        int32_t asteroids = 0;
        int32_t mines = 0;
        std::string objective;   // empty: the generator's own
        std::string second;
        struct SkyRecord {
            uint32_t chunk = 0;
            std::vector<uint8_t> bytes;
        };
        std::vector<SkyRecord> sky;
    };

    // The game's generator, made with the data tree's "random.iff" (a table
    // of zeros when that cannot be read) the first time it is asked for.
    static RandomMissionGenerator& Of(GameState& game);

    // The reader stands before FORM "RAND". 0; 10 when the walk is refused or
    // there is no such form; 12 without a whole "PAYS". A template that is
    // not whole or holds a count out of range is skipped; so is any past
    // kMaxTemplates. What was there before is replaced only on success.
    Status Read(IffFile& iff);
    Status Load(const char* path);

    // Kind 0 to 4 (else scout), difficulty 0 to 3 (clamped; 0 for a death
    // match): the payment, the description and a template of the kind.
    // Returns 1.
    int32_t SetUp(int32_t kind, int32_t difficulty);
    // What the kind pays at the difficulty; 0 outside the table.
    int32_t Pay(int32_t kind, int32_t difficulty) const;
    int32_t CoopLimitSeconds() const { return pays[kCoopLimitWord]; }
    int32_t KillPayRate() const { return pays[kKillPayWord]; }
    const std::vector<Template>& Templates() const { return templates_; }

    // Fills the current mission's world after its sectors were built: the
    // objects of the chosen template and the kind's goals (a network game's
    // first of all its form-up), a jump gate with its jump goal (all but a
    // death match), the player at a spawn point (a death match). Every
    // random choice comes from the game's dice.
    void Populate(GameState& game);
    // The chosen template's sky records join the current mission's sky;
    // called before the mission's dust is built.
    void AddSky() const;

    int32_t networkGame = 0;
    // Whether other pilots fly a network game's mission beside this one: a
    // mission made the network game's way but flown alone has no wing.
    int32_t wingFlies = 1;
    int32_t parametersSet = 0;
    std::string description;
    int32_t payment = 0;
    // The lobby's death-match words.
    int32_t deathMatchKind = 0;   // 0 none, 1 normal, 3 tag
    int32_t asteroidAmount = 0;
    int32_t mineAmount = 0;
    int32_t enemyAmount = 0;
    int32_t base = 0;
    int32_t pays[kPayWords] = {};
    uint32_t chosenOffer = 0;   // the whole offer word of an accepted random offer
    int32_t kind = kScout;
    int32_t difficulty = 0;
    int32_t templateIndex = -1;   // into Templates(); -1 none of the kind
    // The host's cooperative end: when the flight began, and that it was paid.
    uint32_t flightStartMs = 0;
    int32_t cooperativePaid = 0;

private:
    std::vector<Template> templates_;
};
