#include "scene/JointedObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "scene/KeyframeTrack.h"
#include "scene/Model.h"
#include "scene/TokenTable.h"
#include "tests/support/FakeKeyframeLibrary.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

// A figure of parts named after body-part tokens: body, with the left upper
// arm, the right forearm and the head below it.
class JointedObjectTest : public ::testing::Test {
protected:
    JointedObject* Part(const char* name, JointedObject* parent) {
        auto model = std::make_unique<Model>();
        std::strncpy(model->name, name, Model::kNameLength);
        auto part = std::make_unique<JointedObject>();
        part->AttachModel(model.get(), 0);
        part->ComputePartMask();
        if (parent != nullptr) part->AttachToParent(parent, 0);
        part->rest = part->local;
        models_.push_back(std::move(model));
        parts_.push_back(std::move(part));
        return parts_.back().get();
    }
    void TearDown() override {
        for (auto it = parts_.rbegin(); it != parts_.rend(); ++it) (*it)->Detach(0, 0);
        parts_.clear();
        models_.clear();
    }

    const ScopedEngineHeap heap_{4 * 1024 * 1024};
    std::vector<std::unique_ptr<Model>> models_;
    std::vector<std::unique_ptr<JointedObject>> parts_;
};

TEST_F(JointedObjectTest, PartsAreFoundHiddenAndShownByTheirMasks) {
    JointedObject* const body = Part("mech_body", nullptr);
    JointedObject* const arm = Part("U_ARML", body);
    JointedObject* const forearm = Part("f_armr2", body);
    JointedObject* const head = Part("HEAD", body);
    JointedObject* const antenna = Part("antenna", body);
    EXPECT_EQ(body->mask, 0x40040u);
    EXPECT_EQ(arm->mask, 0x15008u);
    EXPECT_EQ(forearm->mask, 0x1A010u);
    EXPECT_EQ(antenna->mask, 0u);
    EXPECT_EQ(body->FindPart(0x40080), head);
    EXPECT_EQ(body->FindPart(0), antenna);   // found only by mask 0

    // Any bit in common: the left upper arm's mask hides every arm part.
    body->HidePartsAny(0x15008);
    EXPECT_NE(arm->flags & JointedObject::kFlagHidden, 0u);
    EXPECT_NE(forearm->flags & JointedObject::kFlagHidden, 0u);
    EXPECT_EQ(head->flags & JointedObject::kFlagHidden, 0u);
    body->ShowPartsAny(0xFFFFFFFF);
    body->HidePartsExact(0x15008);
    EXPECT_NE(arm->flags & JointedObject::kFlagHidden, 0u);
    EXPECT_EQ(forearm->flags & JointedObject::kFlagHidden, 0u);
    body->ShowPartsExact(0x15008);
    EXPECT_EQ(arm->flags & JointedObject::kFlagHidden, 0u);

    arm->mask = 0x2A004;
    body->RestoreMasks();
    EXPECT_EQ(arm->mask, 0x15008u);
    EXPECT_NE(JointedObject::SharedTokens(), nullptr);
}

TEST_F(JointedObjectTest, TheTokenTableLivesWithTheFigures) {
    {
        JointedObject one;
        EXPECT_NE(JointedObject::SharedTokens(), nullptr);
    }
    EXPECT_EQ(JointedObject::SharedTokens(), nullptr);
}

TEST_F(JointedObjectTest, RotationsStartFromTheRestTransform) {
    JointedObject* const arm = Part("U_ARML", nullptr);
    const float quarter[3] = {0.0f, 0.0f, 90.0f};
    arm->SetRotation(quarter);
    arm->SetRotation(quarter);   // not added to the last: from the rest again
    const float* row = arm->local.matrix.rows[2];
    EXPECT_NEAR(std::fabs(row[0]), 1.0f, 1e-5f);
    EXPECT_NEAR(row[2], 0.0f, 1e-5f);
    const float none[3] = {0.0f, 0.0f, 0.0f};
    arm->SetRestRotation(none);
    EXPECT_NEAR(arm->local.matrix.rows[2][2], 1.0f, 1e-5f);
}

constexpr uint32_t kBody = 0x40040, kLeftArm = 0x15008, kLeftForearm = 0x15010, kRightArm = 0x1A008;

// A body, its left upper arm at the shoulder and the forearm at the elbow,
// 1.6 below; "Swing" turns the arm by 10 degrees a frame about its local x
// axis and the forearm back by 5.
class AnimatedFigureTest : public JointedObjectTest {
protected:
    void SetUp() override {
        body = Part("BODY", nullptr);
        arm = Part("U_ARML", body);
        forearm = Part("F_ARML", arm);
        arm->local.SetPositionXyz(1.3f, 1.2f, 0.0f, Transform::kAllFlags);
        forearm->local.SetPositionXyz(0.0f, -1.6f, 0.0f, Transform::kAllFlags);
        arm->rest = arm->local;
        forearm->rest = forearm->local;
        body->UpdateWorldTransform(Transform::kAllFlags);
    }
    // Tracks for the body (still), the arm and the forearm.
    KeyframeAnimation* AddSwing(FakeKeyframeLibrary& library, uint32_t playFlags) {
        KeyframeAnimation* const swing = library.AddAnimation("Swing", playFlags, 4);
        library.AddTrack(swing, kBody, {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 0, 0}});
        armKeys = library.AddTrack(swing, kLeftArm, {{0, 0, 0, 0}, {1, 10, 0, 0}, {2, 20, 0, 0}, {3, 30, 0, 0}});
        library.AddTrack(swing, kLeftForearm, {{0, 0, 0, 0}, {1, -5, 0, 0}, {2, -10, 0, 0}, {3, -15, 0, 0}});
        return swing;
    }

    JointedObject* body = nullptr;
    JointedObject* arm = nullptr;
    JointedObject* forearm = nullptr;
    Keyframe* armKeys = nullptr;
};

// Half a frame per step, one frame lasting 1.0: between whole frames the
// angle is interpolated towards the next key, on a whole frame it starts
// from its key with the least step, and past the last frame it wraps to
// frame 1 and reports it.
TEST_F(AnimatedFigureTest, ALoopingAnimationTurnsTheArmAndTheForearmBelowIt) {
    FakeKeyframeLibrary library;
    AddSwing(library, KeyframeAnimation::kLoop);
    ASSERT_EQ(arm->PlayAnimation(armKeys, 2.0f, 0.0f), 0);
    ASSERT_EQ(forearm->channelCount, 1);   // found for its own mask
    struct Step {
        float time, armAngle;
        int32_t result;
    };
    const Step steps[] = {{0.5f, 5.0f, 0},  {1.0f, 11.0f, 0}, {1.5f, 15.0f, 0}, {2.0f, 21.0f, 0},
                          {2.5f, 25.0f, 0}, {3.0f, 28.0f, 0}, {3.5f, 20.0f, 0}, {4.0f, 11.0f, 2},
                          {4.5f, 15.0f, 0}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.time);
        EXPECT_EQ(body->Animate(0.5f, 1.0f, step.time, 1.0f), step.result);
        EXPECT_NEAR(arm->angles[0], step.armAngle, 1e-4f);
        EXPECT_NEAR(forearm->angles[0], -step.armAngle / 2.0f, 1e-4f);
    }
    // The angles turn the part about its local x axis, from the rest.
    EXPECT_NEAR(arm->local.matrix.rows[1][1], std::cos(15.0f * 0.017453292f), 1e-4f);

    EXPECT_EQ(arm->SwitchAnimation("Swing", "Swing"), 0);
    KeyframeAnimation* const wave = library.AddAnimation("Wave", 0, 2);
    Keyframe* const waveKeys = library.AddTrack(wave, kLeftArm, {{0, 0, 0, 0}, {1, 45, 0, 0}});
    EXPECT_EQ(arm->SwitchAnimation("Swing", "Wave"), 1);
    EXPECT_EQ(arm->channels[0].first, waveKeys);
}

// Without the loop the arm holds its last key; playing back and forth it
// turns at the end and comes back.
TEST_F(AnimatedFigureTest, AnimationsHoldOrTurnAtTheirEnd) {
    for (const uint32_t playFlags : {0u, KeyframeAnimation::kLoop | KeyframeAnimation::kBackAndForth}) {
        SCOPED_TRACE(playFlags);
        FakeKeyframeLibrary library;
        AddSwing(library, playFlags);
        arm->ResetChannels(0.0f);
        arm->PlayAnimation(armKeys, 2.0f, 0.0f);
        float t = 0.0f;
        while (t < 4.0f) arm->Animate(0.5f, 1.0f, t += 0.5f, 1.0f);
        const float atEnd = arm->angles[0];
        arm->Animate(0.5f, 1.0f, 4.5f, 1.0f);
        arm->Animate(0.5f, 1.0f, 5.0f, 1.0f);
        if (playFlags == 0) {
            EXPECT_FLOAT_EQ(atEnd, 30.0f);
            EXPECT_FLOAT_EQ(arm->angles[0], 30.0f);
        } else {
            EXPECT_EQ(arm->channels[0].reverse, 1);
            EXPECT_LT(arm->angles[0], atEnd - 5.0f);
        }
    }
}

// A mirrored stride changes sides at every wrap: the part's mask and the key
// list it plays become the other arm's, and back.
TEST_F(AnimatedFigureTest, AMirroredAnimationChangesSidesAtEachWrap) {
    FakeKeyframeLibrary library;
    KeyframeAnimation* const stride =
        library.AddAnimation("Stride", KeyframeAnimation::kLoop | KeyframeAnimation::kMirror, 4);
    Keyframe* const left = library.AddTrack(stride, kLeftArm, {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 5, 0, 0}, {3, 9, 0, 0}});
    Keyframe* const right = library.AddTrack(stride, kRightArm, {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, -5, 0, 0}, {3, -9, 0, 0}});
    arm->PlayAnimation(left, 2.0f, 0.0f);
    for (float t = 1.0f; t <= 4.0f; t += 1.0f) arm->Animate(1.0f, 1.0f, t, 1.0f);
    EXPECT_EQ(arm->mask, kRightArm);
    EXPECT_EQ(arm->channels[0].first, right);
    for (float t = 5.0f; t <= 6.0f; t += 1.0f) arm->Animate(1.0f, 1.0f, t, 1.0f);
    EXPECT_EQ(arm->mask, kLeftArm);
    EXPECT_EQ(arm->channels[0].first, left);
    EXPECT_EQ(JointedObject::MirrorMask(kLeftArm, true), 0x19008u);   // a mirrored part keeps its geometry bits
}

TEST_F(AnimatedFigureTest, ASeventhAnimationMakesRoomAndAOneFrameListHasAPeriod) {
    FakeKeyframeLibrary library;
    Keyframe* lists[7];
    for (int i = 0; i < 7; ++i) {
        const char name[2] = {char('A' + i), 0};
        lists[i] = library.AddTrack(library.AddAnimation(name, 0, 2), kLeftArm, {{0, 0, 0, 0}, {1, float(i), 0, 0}});
        arm->PlayAnimation(lists[i], 3.0f, 0.0f);
    }
    EXPECT_EQ(arm->PlayAnimation(lists[6], 3.0f, 0.0f), 0);   // its channel is reused
    EXPECT_EQ(arm->channelCount, 1);
    EXPECT_EQ(arm->channels[0].first, lists[6]);
    EXPECT_FLOAT_EQ(arm->channels[0].period, 1.0f);
    EXPECT_EQ(arm->ChannelHasPreviousKey(0), 0);
}

// Joint positions follow the keys down the figure; the limb between two
// joints keeps its length whatever the frame. Without a library there is
// nothing to follow.
TEST_F(AnimatedFigureTest, JointPositionsFollowTheKeysDownTheFigure) {
    Vector3 elbow{9, 9, 9};
    EXPECT_EQ(body->JointPosition("Swing", kLeftForearm, 3, &elbow), kStatusOk);
    EXPECT_FLOAT_EQ(elbow.x + elbow.y + elbow.z, 0.0f);
    EXPECT_EQ(arm->PlayAnimation(nullptr, 1.0f, 0.0f), JointedObject::kKeyNotFound);

    FakeKeyframeLibrary library;
    AddSwing(library, KeyframeAnimation::kLoop);
    ASSERT_EQ(body->JointPosition("Swing", kLeftForearm, 0, &elbow), kStatusOk);
    EXPECT_NEAR(elbow.x, 1.3f, 1e-5f);
    EXPECT_NEAR(elbow.y, -0.4f, 1e-5f);
    ASSERT_EQ(body->JointPosition("Swing", kLeftForearm, 3, &elbow), kStatusOk);
    EXPECT_NEAR(elbow.y, 1.2f - 1.6f * std::cos(30.0f * 0.017453292f), 1e-4f);
    EXPECT_NEAR(std::fabs(elbow.z), 1.6f * std::sin(30.0f * 0.017453292f), 1e-4f);
    EXPECT_NEAR(body->JointDistance("Swing", kLeftArm, kLeftForearm, 2), 1.6f, 1e-4f);
    Vector3 head;
    EXPECT_EQ(body->JointPosition("Swing", 0x40080, 0, &head), JointedObject::kNoKeyList);   // no head

    // Posing the figure at a frame places the parts as the positions said.
    arm->PlayAnimation(armKeys, 2.0f, 0.0f);
    Vector3 posed;
    forearm->PoseAt(0, 3, &posed);
    EXPECT_NEAR(posed.y, elbow.y, 1e-4f);
}

}  // namespace
