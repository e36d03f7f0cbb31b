#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "objects/space/SpaceObject.h"
#include "objects/space/WorldPass.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/SampleTree.h"

// A test that sets missions of the sample data tree up in a world of its
// own: the tree is written afresh for each test (tests may add mission
// files to it), the world's kinds and the definitions' builders are
// registered, and whatever mission a test set up is freed after it.
// Header only: the programs using it link the mission layer themselves.
class SampleMissionTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        builder_ = std::make_unique<WorldBuilder>();
        builder_->Game().mission = nullptr;   // the set-up makes its own
        RegisterSpaceObjects();
        DefinitionLibrary::RegisterCoreBuilders();
    }
    void TearDown() override {
        FreeMission();
        GameState::RegisterObjectKind(SpaceObject::kTypePlayerShip, nullptr);
        GameState::RegisterObjectKind(SpaceObject::kTypeAiShip, nullptr);
        builder_.reset();
        g_dataDirs.Clear();
    }
    GameState& Game() { return builder_->Game(); }

    TempDir dir_;
    std::unique_ptr<WorldBuilder> builder_;
};
