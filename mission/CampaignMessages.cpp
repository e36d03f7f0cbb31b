#include "mission/CampaignMessages.h"

#include <memory>
#include <string>

#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/MessageList.h"
#include "mission/MissionFile.h"

namespace {

MessageListsHook g_messageListsHook = nullptr;

MessageList* ListsOf(GameState& game, int32_t index) {
    MessageList* const lists[] = {&game.newMail, &game.oldMail, &game.newNews, &game.oldNews, &game.logs, &game.voice};
    return index >= 0 && index < 6 ? lists[index] : nullptr;
}

// Where a message of the file arrives, by its list number.
MessageList* Destination(GameState& game, int32_t list) {
    switch (list) {
        case MessageEntry::kNews: return &game.newNews;
        case MessageEntry::kEmail: return &game.newMail;
        case MessageEntry::kLog: return &game.logs;
        case MessageEntry::kVoice: return &game.voice;
        default: return nullptr;
    }
}

void CountDownLifetimes(GameState& game) {
    for (int32_t l = 0; MessageList* const list = ListsOf(game, l); ++l) {
        for (int32_t i = 0; i < list->Count();) {
            MessageEntry& entry = *list->At(i);
            if (entry.lifetime > 0 && --entry.lifetime == 0) {
                list->RemoveAt(i);
            } else {
                ++i;
            }
        }
    }
}

bool IsOffer(const MessageEntry& entry) {
    return entry.kind == MessageEntry::kKindOffer || entry.kind == MessageEntry::kKindOtherOffer;
}

void RetireFlownOffer(GameState& game, const std::string& flown) {
    for (int32_t i = 0; i < game.newMail.Count(); ++i) {
        const MessageEntry& entry = *game.newMail.At(i);
        if (IsOffer(entry) && entry.launchFile == flown) {
            game.oldMail.Append(game.newMail.TakeAt(i));
            return;
        }
    }
}

bool ConditionsHold(const GameState& game, const MessageEntry& entry, int32_t outcome) {
    const uint32_t mask = uint32_t(entry.conditions[MessageEntry::kTrophyMask]);
    const uint32_t held = game.career != nullptr ? game.career->trophies : 0;
    return entry.conditions[MessageEntry::kOutcome] == outcome &&
           game.plotCounter >= entry.conditions[MessageEntry::kLeastPlot] && (held & mask) == mask;
}

Status LoadMissionFileFor(GameState* game, const char* name, int32_t outcome) {
    const std::string file = name != nullptr ? name : "";
    CountDownLifetimes(*game);
    if (outcome != MessageEntry::kFirstLoad) RetireFlownOffer(*game, file);
    mission_file::Contents contents;
    const Status status = file.empty() ? kStatusCannotOpen
                                       : mission_file::Load((g_dataDirs.Prefix(DataDir::kMissions) + file).c_str(), &contents);
    // A file refused whole brings nothing.
    if (status != kStatusOk) contents.messages.clear();
    for (const MessageEntry& message : contents.messages) {
        if (!ConditionsHold(*game, message, outcome)) continue;
        if (MessageList* const list = Destination(*game, message.list)) list->Append(std::make_unique<MessageEntry>(message));
    }
    MessageListsChanged(*game);
    return status;
}

}  // namespace

void SetMessageListsHook(MessageListsHook hook) { g_messageListsHook = hook; }

void MessageListsChanged(GameState& game) {
    if (g_messageListsHook != nullptr) g_messageListsHook(game);
}

Status LoadMissionFile(const char* name, int32_t outcome) {
    if (g_gameState == nullptr) return kStatusCannotOpen;
    return LoadMissionFileFor(g_gameState, name, outcome);
}

void StartTraining(GameState& game) {
    for (int32_t l = 0; MessageList* const list = ListsOf(game, l); ++l) list->Clear();
    game.plotCounter = 0;
    LoadMissionFileFor(&game, kTrainingMission, MessageEntry::kFirstLoad);
}
