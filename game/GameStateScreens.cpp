// The option screens' slots: the factories registered by name, and the
// screens each game state builds from them and deletes.
#include "game/GameState.h"
#include "game/ScreenSlots.h"

namespace {

GameState::ScreenFactory g_screenFactories[kScreenSlotCount];

}  // namespace

bool GameState::RegisterScreen(const char* name, const ScreenFactory& factory) {
    const ScreenSlot slot = FindScreenSlot(name);
    if (slot == ScreenSlot::kCount || factory.create == nullptr || factory.destroy == nullptr) return false;
    g_screenFactories[static_cast<int32_t>(slot)] = factory;
    return true;
}

const GameState::ScreenFactory* GameState::FindScreenFactory(ScreenSlot slot) {
    const int32_t index = static_cast<int32_t>(slot);
    if (index < 0 || index >= kScreenSlotCount || g_screenFactories[index].create == nullptr) return nullptr;
    return &g_screenFactories[index];
}

void GameState::ClearScreenRegistry() {
    for (ScreenFactory& factory : g_screenFactories) factory = {};
}

int32_t GameState::LoadPlaceScreens(int32_t place) {
    if (place < kFirstPlace || place > kLastPlace) return 0;
    int32_t built = 0;
    for (int32_t i = 0; i < kScreenSlotCount; ++i) {
        const ScreenFactory& factory = g_screenFactories[i];
        if (screens_[i] != nullptr || factory.create == nullptr) continue;
        screens_[i] = factory.create(*this);
        if (screens_[i] == nullptr) continue;
        screenDeleters_[i] = factory.destroy;
        ++built;
    }
    return built;
}

Screen* GameState::BuildScreen(ScreenSlot slot) {
    const int32_t index = static_cast<int32_t>(slot);
    if (index < 0 || index >= kScreenSlotCount) return nullptr;
    const ScreenFactory& factory = g_screenFactories[index];
    if (screens_[index] == nullptr && factory.create != nullptr) {
        screens_[index] = factory.create(*this);
        if (screens_[index] != nullptr) screenDeleters_[index] = factory.destroy;
    }
    return screens_[index];
}

void GameState::DeleteScreens() {
    currentScreen = nullptr;
    nextScreen = nullptr;
    nextScreenName = nullptr;
    for (int32_t i = 0; i < kScreenSlotCount; ++i) {
        Screen* const screen = screens_[i];
        screens_[i] = nullptr;
        if (screen != nullptr) screenDeleters_[i](screen);
        screenDeleters_[i] = nullptr;
    }
}

void GameState::SelectNextScreen(ScreenSlot slot) {
    nextScreen = ScreenIn(slot);
    nextScreenName = ScreenSlotName(slot);
}
