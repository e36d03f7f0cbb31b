#include "mission/SavedGame.h"

#include <cstring>
#include <memory>

#include "engine/ByteOrder.h"
#include "engine/FileWrappers.h"
#include "engine/WholeFileStream.h"
#include "game/CareerRecord.h"
#include "game/GameState.h"
#include "game/MessageList.h"
#include "game/XorChunkStream.h"
#include "mission/CampaignMessages.h"
#include "mission/MissionSetUp.h"

namespace {

constexpr uint32_t kBodyType = MakeTag("BODY");
constexpr uint32_t kTitleId = MakeTag("NAME");
constexpr uint32_t kDifficultyId = MakeTag("DIFF");
constexpr uint32_t kPlotId = MakeTag("PLOT");
constexpr uint32_t kMissionNameId = MakeTag("MNAM");
// 1 while the named mission is accepted and not yet flown; a save without
// the chunk (an older one) counts as 1.
constexpr uint32_t kMissionReadyId = MakeTag("MRDY");
constexpr const char* kSaveExtension = ".sav";
// The file being written until it is whole.
constexpr const char* kPendingSuffix = ".new";
// Far more chunks than a saved game holds: a damaged form stops here.
constexpr int kMaxChunks = 4096;

// The message lists, each a FORM of "MESS" chunks, in this order.
constexpr uint32_t kListTypes[] = {MakeTag("MAIL"), MakeTag("OMAI"), MakeTag("NEWS"),
                                   MakeTag("ONEW"), MakeTag("LOGS"), MakeTag("VOIC")};
constexpr int kLists = 6;

MessageList* ListOf(GameState& game, int i) {
    MessageList* const lists[kLists] = {&game.newMail, &game.oldMail, &game.newNews, &game.oldNews, &game.logs, &game.voice};
    return lists[i];
}
const MessageList& ListOf(const GameState& game, int i) { return *ListOf(const_cast<GameState&>(game), i); }

bool KnownDifficulty(int32_t difficulty) { return difficulty == 1 || difficulty == 2 || difficulty == 4; }

// A text record of the file into a string.
Status ReadText(XorChunkStream& stream, std::string* text) {
    char bytes[XorChunkStream::kTextBytes];
    const Status status = stream.ReadTextChunk(bytes, kStatusSaveBadFile);
    if (status == kStatusOk) *text = bytes;
    return status;
}

struct SavedBody {
    std::string title;
    std::string missionName;
    int32_t difficulty = 0;
    int32_t plotCounter = 0;
    int32_t missionReady = 1;
    MessageList lists[kLists];
};

// Reads the chunks of the open "BODY" form other than the career's.
Status ReadBody(XorChunkStream& stream, SavedBody* body) {
    bool haveTitle = false, haveDifficulty = false, havePlot = false, haveMission = false;
    int chunks = 0;
    for (;;) {
        Status status = stream.NextChunk();
        if (status == kStatusEndOfData) {
            break;
        }
        if (status != kStatusOk) {
            return status;
        }
        if (++chunks > kMaxChunks) {
            return kStatusSaveBadFile;
        }
        switch (stream.ChunkId()) {
            case kTitleId: status = ReadText(stream, &body->title); haveTitle = true; break;
            case kDifficultyId: status = stream.ReadWordChunk(&body->difficulty, kStatusSaveBadFile); haveDifficulty = true; break;
            case kPlotId: status = stream.ReadWordChunk(&body->plotCounter, kStatusSaveBadFile); havePlot = true; break;
            case kMissionNameId: status = ReadText(stream, &body->missionName); haveMission = true; break;
            case kMissionReadyId:
                status = stream.ReadWordChunk(&body->missionReady, kStatusSaveBadFile);
                if (body->missionReady != 0 && body->missionReady != 1) status = kStatusSaveBadFile;
                break;
            case IffFile::kFormId:
                for (int i = 0; i < kLists; ++i) {
                    if (stream.FormType() == kListTypes[i]) status = MessageList::Load(stream, &body->lists[i]);
                }
                break;
            default: break;  // a chunk this build does not know
        }
        if (status != kStatusOk) {
            return status;
        }
    }
    if (!haveTitle || !haveDifficulty || !havePlot || !haveMission || !KnownDifficulty(body->difficulty)) {
        return kStatusSaveBadFile;
    }
    return kStatusOk;
}

Status WriteBody(XorChunkStream& stream, const GameState& game, const char* title) {
    Status status = stream.BeginForm(kBodyType);
    if (status == kStatusOk) status = stream.WriteTextChunk(kTitleId, title != nullptr ? title : "");
    if (status == kStatusOk) status = stream.WriteWordChunk(kDifficultyId, game.difficulty);
    if (status == kStatusOk) status = stream.WriteWordChunk(kPlotId, game.plotCounter);
    if (status == kStatusOk) status = stream.WriteTextChunk(kMissionNameId, game.missionName.c_str());
    const int32_t ready = game.missionReady != 0 && game.missionFlown == 0 ? 1 : 0;
    if (status == kStatusOk) status = stream.WriteWordChunk(kMissionReadyId, ready);
    for (int i = 0; i < kLists && status == kStatusOk; ++i) {
        status = ListOf(game, i).Save(stream, kListTypes[i]);
    }
    if (status == kStatusOk) status = game.career->Save(stream);
    if (status == kStatusOk) status = stream.Ascend();
    return status;
}

}  // namespace

std::string SavedGamePath(const char* name) {
    std::string path = g_gameState != nullptr ? g_gameState->ConfigFilePath() : std::string();
    const size_t slash = path.rfind('/');
    path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return path + (name != nullptr ? name : "") + kSaveExtension;
}

Status SaveGame(const char* name, const char* title) {
    GameState* const game = g_gameState;
    if (game == nullptr || game->career == nullptr) {
        return kStatusSaveBadFile;
    }
    const std::string path = SavedGamePath(name);
    const std::string pending = path + kPendingSuffix;
    Status status;
    {
        // Built whole in memory: the file gets it in one write.
        WholeFileStream file;
        XorChunkStream stream(&file);
        status = stream.OpenFile(pending.c_str(), kOpenWrite | kOpenCreate);
        if (status != kStatusOk) {
            return status;
        }
        // Keyed as the save it becomes, not as the file it is written to.
        stream.SetKeyFromPath(path.c_str());
        status = WriteBody(stream, *game, title);
        const Status closed = stream.CloseFile();
        if (status == kStatusOk) status = closed;
    }
    // The rename replaces the old save in one step: a run killed before it
    // keeps the old slot, one killed after it has the new.
    return static_cast<Status>(FinishReplacement(status, pending.c_str(), path.c_str()));
}

Status LoadGame(const char* name) {
    GameState* const game = g_gameState;
    if (game == nullptr || game->career == nullptr) {
        return kStatusSaveBadFile;
    }
    const std::string path = SavedGamePath(name);
    SavedBody body;
    std::unique_ptr<CareerRecord> career = CareerRecord::Blank(game->career->multiplayer);
    if (career == nullptr) {
        return kStatusOutOfMemory;
    }
    {
        XorChunkStream stream;
        Status status = stream.Open(path.c_str(), kOpenRead);
        if (status != kStatusOk) {
            return status;
        }
        if (stream.FindForm(kBodyType) != kStatusOk) {
            return kStatusSaveBadFile;
        }
        status = stream.Descend();
        if (status == kStatusOk) status = ReadBody(stream, &body);
        if (status == kStatusOk) status = stream.Rewind(0);
        // The career's hulls are priced at the saved game's difficulty.
        const int32_t difficulty = game->difficulty;
        if (status == kStatusOk) game->difficulty = body.difficulty;
        if (status == kStatusOk) status = career->Load(stream);
        if (status == kStatusOk) status = stream.Ascend();
        if (status != kStatusOk) {
            game->difficulty = difficulty;
            return status;
        }
    }
    delete game->career;
    game->career = career.release();
    game->difficulty = body.difficulty;
    game->plotCounter = body.plotCounter;
    game->missionName = body.missionName;
    for (int i = 0; i < kLists; ++i) *ListOf(*game, i) = std::move(body.lists[i]);
    MessageListsChanged(*game);
    game->MissionCleared();
    // The flight before the load is not the loaded career's to take.
    game->flightUnsettled = 0;
    // A mission flown before the save is done: it is not offered to fly again.
    if (body.missionReady == 0) {
        FreeMission();
        return kStatusOk;
    }
    game->launchFromBase = 1;
    return SetUpMission(game->missionName.c_str(), -1);
}
