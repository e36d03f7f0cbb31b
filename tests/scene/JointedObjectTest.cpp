#include "scene/JointedObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "scene/KeyframeTrack.h"
#include "scene/Model.h"
#include "scene/TokenTable.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/FakeKeyframeLibrary.h"
#include "tests/support/MeshForm.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

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
    // Restarted while on the other side, the stride starts again on the
    // part's own side.
    for (float t = 7.0f; t <= 8.0f; t += 1.0f) arm->Animate(1.0f, 1.0f, t, 1.0f);
    ASSERT_EQ(arm->mask, kRightArm);
    arm->AdvanceChannel(0, 9.0f, 1.0f, 2.0f);
    EXPECT_EQ(arm->mask, kLeftArm);
    EXPECT_EQ(arm->channels[0].first, left);
    EXPECT_EQ(arm->channels[0].current, left->nextKey);
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

// The animations a figure is steered through by hand: turned joints, paused,
// cleared and restarted channels, chains, the fire-bit swap and mirrored
// limbs.
TEST_F(AnimatedFigureTest, TurningTheRestTurnsEveryLaterPoseAndAddedAnglesMoveTheLimb) {
    // A quarter turn about the local x axis swings the hanging forearm from
    // below the shoulder to in front of it; the rest turns with it, so a
    // later pose starts from there.
    arm->RotateAboutLocalX(90.0f, Transform::kAllFlags);
    body->UpdateWorldTransform(Transform::kAllFlags);
    Vector3 elbow;
    forearm->world.matrix.GetTranslation(&elbow);
    EXPECT_NEAR(elbow.y, 1.2f, 1e-4f);
    EXPECT_NEAR(std::fabs(elbow.z), 1.6f, 1e-4f);
    const float none[3] = {0.0f, 0.0f, 0.0f};
    arm->SetRotation(none);
    body->UpdateWorldTransform(Transform::kAllFlags);
    Vector3 again;
    forearm->world.matrix.GetTranslation(&again);
    EXPECT_NEAR(again.z, elbow.z, 1e-4f);
    arm->RotateAboutLocalX(-90.0f, Transform::kAllFlags);

    // Turned about its own length (y) the hanging forearm stays where it is;
    // about the forward axis it swings out sideways.
    arm->RotateAboutLocalY(90.0f, Transform::kAllFlags);
    body->UpdateWorldTransform(Transform::kAllFlags);
    forearm->world.matrix.GetTranslation(&elbow);
    EXPECT_NEAR(elbow.x, 1.3f, 1e-4f);
    EXPECT_NEAR(elbow.y, -0.4f, 1e-4f);
    arm->RotateAboutLocalY(-90.0f, Transform::kAllFlags);
    arm->RotateAboutForward(90.0f, Transform::kAllFlags);
    body->UpdateWorldTransform(Transform::kAllFlags);
    forearm->world.matrix.GetTranslation(&elbow);
    EXPECT_NEAR(std::fabs(elbow.x - 1.3f), 1.6f, 1e-4f);
    EXPECT_NEAR(elbow.y, 1.2f, 1e-4f);
    arm->RotateAboutForward(-90.0f, Transform::kAllFlags);

    // Added angles build on the stored ones and, with 0x10, place the limb
    // below at once: 30 and 60 degrees make the same quarter turn.
    EXPECT_FLOAT_EQ(arm->AddAngleLocalX(30.0f, 0), 30.0f);
    EXPECT_FLOAT_EQ(arm->AddAngleLocalX(60.0f, Transform::kAllFlags), 60.0f);
    EXPECT_FLOAT_EQ(arm->angles[0], 90.0f);
    forearm->world.matrix.GetTranslation(&elbow);
    EXPECT_NEAR(elbow.y, 1.2f, 1e-4f);
    EXPECT_NEAR(std::fabs(elbow.z), 1.6f, 1e-4f);
    arm->AddAngleLocalX(-90.0f, 0);
    EXPECT_FLOAT_EQ(arm->AddAngleForward(90.0f, Transform::kAllFlags), 90.0f);
    forearm->world.matrix.GetTranslation(&elbow);
    EXPECT_NEAR(std::fabs(elbow.x - 1.3f), 1.6f, 1e-4f);
    EXPECT_NEAR(elbow.y, 1.2f, 1e-4f);
}

TEST_F(AnimatedFigureTest, AChannelPausedClearedAndRestartedHoldsAndResumesItsKeys) {
    FakeKeyframeLibrary library;
    AddSwing(library, KeyframeAnimation::kLoop);
    ASSERT_EQ(arm->PlayAnimation(armKeys, 2.0f, 0.0f), 0);
    body->Animate(0.5f, 1.0f, 0.5f, 1.0f);
    body->Animate(0.5f, 1.0f, 1.0f, 1.0f);
    const float armBefore = arm->angles[0], forearmBefore = forearm->angles[0];
    ASSERT_GT(armBefore, 0.0f);

    // Paused from the top, no part below plays on: the channels keep their
    // frame, and the pose, the sum of the playing channels only, falls back
    // to the rest.
    body->SetChannelInactive(0);
    EXPECT_EQ(arm->channels[0].active, 0);
    EXPECT_EQ(forearm->channels[0].active, 0);
    const float frame = arm->channels[0].position;
    body->Animate(0.5f, 1.0f, 1.5f, 1.0f);
    EXPECT_FLOAT_EQ(arm->channels[0].position, frame);
    EXPECT_FLOAT_EQ(arm->angles[0], 0.0f);
    EXPECT_FLOAT_EQ(forearm->angles[0], 0.0f);
    // Active again, both go on from where they stood.
    body->SetChannelActive(0);
    body->Animate(0.5f, 1.0f, 1.5f, 1.0f);
    EXPECT_GT(arm->channels[0].position, frame);
    EXPECT_GT(arm->angles[0], armBefore);
    EXPECT_LT(forearm->angles[0], forearmBefore);

    // Cleared, the arm's channel keeps its keys but no longer plays; the
    // forearm below goes on alone.
    arm->ClearChannels(2.0f);
    EXPECT_EQ(arm->channelCount, 1);
    EXPECT_EQ(arm->channels[0].first, armKeys);
    EXPECT_EQ(arm->channels[0].active, 0);
    EXPECT_FLOAT_EQ(arm->channels[0].startTime, 2.0f);
    const float forearmCleared = forearm->angles[0];
    body->Animate(0.5f, 1.0f, 2.0f, 1.0f);
    EXPECT_FLOAT_EQ(arm->angles[0], 0.0f);
    EXPECT_EQ(arm->channels[0].first, armKeys);
    EXPECT_NE(forearm->angles[0], forearmCleared);

    // Started again, the channel stands on its first key with a step
    // towards the second: one accumulation takes it a key on, a channel
    // at half scale half as far.
    arm->StartAllChannels();
    EXPECT_EQ(arm->channels[0].current, armKeys);
    EXPECT_EQ(arm->channels[0].next, armKeys->nextKey);
    arm->channels[0].active = 1;
    arm->AccumulateMotion(1.0f, 0.0f);
    EXPECT_FLOAT_EQ(arm->motion.x, 10.0f);
    arm->StartAllChannels();
    arm->ScaleChannel(0, 0.5f);
    arm->ScaleChannel(JointedObject::kMaxChannels, 0.5f);   // no such channel: nothing
    arm->AccumulateMotion(1.0f, 0.0f);
    EXPECT_FLOAT_EQ(arm->motion.x, 5.0f);
}

// A channel whose rate rises starts over from its second key on every part
// of the figure, and the parts are posed there at once.
TEST_F(AnimatedFigureTest, AFasterRateRestartsTheChannelFromItsSecondKey) {
    FakeKeyframeLibrary library;
    AddSwing(library, KeyframeAnimation::kLoop);
    arm->PlayAnimation(armKeys, 2.0f, 0.0f);
    for (float t = 0.5f; t <= 2.5f; t += 0.5f) body->Animate(0.5f, 1.0f, t, 1.0f);
    ASSERT_GT(arm->channels[0].current->time, 1);
    arm->AdvanceChannel(0, 3.0f, 0.0f, 2.0f);
    for (JointedObject* part : {arm, forearm}) {
        const JointedObject::Channel& channel = part->channels[0];
        EXPECT_EQ(channel.current, channel.first->nextKey);
        EXPECT_EQ(channel.next, channel.current->nextKey);
        EXPECT_FLOAT_EQ(channel.position, 1.0f);
        EXPECT_FLOAT_EQ(channel.startTime, 3.0f);
        EXPECT_FLOAT_EQ(channel.time, 2.0f);
    }
    // Posed at its first key's offset plus one step towards frame 2.
    EXPECT_NEAR(arm->angles[0], 20.0f, 1e-4f);
    EXPECT_NEAR(forearm->angles[0], -10.0f, 1e-4f);
    // Animate asks for it when its rate exceeds the channel's.
    arm->channels[0].position = 1.9f;
    EXPECT_EQ(body->Animate(0.5f, 1.0f, 3.5f, 3.0f), 0);
    EXPECT_FLOAT_EQ(arm->channels[0].time, 3.0f);
}

// However late a step comes, the limb is not thrown past the next key;
// a track with a gap in its frames stops where the key is missing.
TEST_F(AnimatedFigureTest, ALateStepStopsAtTheNextKeyAndAMissingKeyStopsTheChannel) {
    FakeKeyframeLibrary library;
    AddSwing(library, KeyframeAnimation::kLoop);
    arm->PlayAnimation(armKeys, 2.0f, 0.0f);
    // A tenth of a frame played, but five frame periods since the channel
    // started: one key's span, not five.
    arm->Animate(0.1f, 1.0f, 5.0f, 1.0f);
    EXPECT_NEAR(arm->angles[0], 10.0f, 1e-4f);
    // A channel without keys has no step.
    arm->channels[3].step = {1.0f, 1.0f, 1.0f};
    arm->ComputeStep(3, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(arm->channels[3].step.x, 0.0f);

    KeyframeAnimation* const limp = library.AddAnimation("Limp", 0, 4);
    Keyframe* const gap = library.AddTrack(limp, kLeftArm, {{0, 0, 0, 0}, {1, 10, 0, 0}, {3, 30, 0, 0}});
    arm->ResetChannels(0.0f);
    arm->PlayAnimation(gap, 3.0f, 0.0f);
    EXPECT_EQ(arm->Animate(1.5f, 1.0f, 1.5f, 1.0f), 0);   // a frame a step
    const float before = arm->angles[0];
    EXPECT_EQ(arm->Animate(1.5f, 1.0f, 3.0f, 1.0f), JointedObject::kKeyNotFound);
    EXPECT_FLOAT_EQ(arm->angles[0], before);   // posed as before
}

// A chained walk hands over to the run when it ends; the run, last of a
// looping chain, hands back to the walk; playing back and forth the chain
// is walked the other way.
TEST_F(AnimatedFigureTest, ChainedAnimationsHandOverAtTheirEnds) {
    FakeKeyframeLibrary library;
    const uint32_t chained = KeyframeAnimation::kChain;
    KeyframeAnimation* const walk = library.AddAnimation("Walk", chained, 3);
    KeyframeAnimation* const run = library.AddAnimation("Run", chained, 3);
    walk->chainNext = run;
    run->chainPrevious = walk;
    Keyframe* const walkKeys = library.AddTrack(walk, kLeftArm, {{0, 0, 0, 0}, {1, 1, 0, 0}, {2, 2, 0, 0}});
    Keyframe* const runKeys = library.AddTrack(run, kLeftArm, {{0, 0, 0, 0}, {1, 10, 0, 0}, {2, 20, 0, 0}});

    arm->PlayAnimation(walkKeys, 1.0f, 0.0f);
    EXPECT_EQ(arm->Animate(1.0f, 1.0f, 1.0f, 1.0f), 0);
    EXPECT_EQ(arm->Animate(1.0f, 1.0f, 2.0f, 1.0f), 0);
    EXPECT_EQ(arm->channels[0].first, walkKeys);
    // Past the walk's last frame: the run's first frame, reported as frame 1 + 1.
    EXPECT_EQ(arm->Animate(1.0f, 1.0f, 3.0f, 1.0f), 2);
    EXPECT_EQ(arm->channels[0].first, runKeys);
    EXPECT_EQ(arm->channels[0].current->time, 1);
    EXPECT_EQ(arm->ChannelHasPreviousKey(0), 1);
    EXPECT_EQ(arm->SwitchAnimation("Walk", "Run"), 0);   // no channel plays the walk now

    // Looping, the end of the chain goes round to its start.
    walk->words[0] = run->words[0] = chained | KeyframeAnimation::kLoop;
    EXPECT_EQ(arm->Animate(1.0f, 1.0f, 4.0f, 1.0f), 0);
    EXPECT_EQ(arm->Animate(1.0f, 1.0f, 5.0f, 1.0f), 2);
    EXPECT_EQ(arm->channels[0].first, walkKeys);

    // Back and forth from the walk's end the chain is walked backwards:
    // the walk has no previous animation, so the loop finds the chain's
    // far end, the run, and reports the switch of lists.
    walk->words[0] = run->words[0] = chained | KeyframeAnimation::kLoop | KeyframeAnimation::kBackAndForth;
    arm->ResetChannels(0.0f);
    arm->PlayAnimation(walkKeys, 1.0f, 0.0f);
    arm->channels[0].reverse = 1;
    arm->channels[0].position = arm->channels[0].lastWhole = 2.0f;
    EXPECT_EQ(arm->StepChannel(0, 1.0f, 1.0f, 1.0f), 0);   // from 2 back to 1
    EXPECT_EQ(arm->StepChannel(0, 1.0f, 2.0f, 1.0f), JointedObject::kSwitchedList);
    EXPECT_EQ(arm->channels[0].first, runKeys);
    EXPECT_EQ(arm->channels[0].reverse, 0);
}

// A firing animation swaps its two gun bits at every wrap, so that the
// figure fires from the other gun; the key after the last is the first
// played frame of the other gun's list.
TEST_F(AnimatedFigureTest, AFiringAnimationAlternatesItsGunsAtEachWrap) {
    constexpr uint32_t kGunOne = 0x80000 | kLeftArm, kGunTwo = 0x100000 | kLeftArm;
    FakeKeyframeLibrary library;
    KeyframeAnimation* const fire =
        library.AddAnimation("Fire", KeyframeAnimation::kLoop | KeyframeAnimation::kSwapFire, 4);
    Keyframe* const one = library.AddTrack(fire, kGunOne, {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 5, 0, 0}, {3, 9, 0, 0}});
    Keyframe* const two = library.AddTrack(fire, kGunTwo, {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, -5, 0, 0}, {3, -9, 0, 0}});
    arm->mask = arm->baseMask = kGunOne;
    arm->PlayAnimation(one, 2.0f, 0.0f);
    arm->Animate(1.0f, 1.0f, 1.0f, 1.0f);   // frame 1 is raised to 2, the lowest with swapped guns
    arm->Animate(1.0f, 1.0f, 2.0f, 1.0f);
    arm->Animate(1.0f, 1.0f, 3.0f, 1.0f);   // frame 3, the last: the next key is the other gun's frame 2
    EXPECT_EQ(arm->channels[0].current->time, 3);
    EXPECT_EQ(arm->channels[0].next, two->nextKey->nextKey);
    EXPECT_EQ(arm->Animate(1.0f, 1.0f, 4.0f, 1.0f), 3);   // wrapped to frame 2, reported as 2 + 1
    EXPECT_EQ(arm->mask, kGunTwo);
    EXPECT_EQ(arm->channels[0].first, two);
    EXPECT_EQ(arm->channels[0].current->time, 2);
    for (float t = 5.0f; t <= 6.0f; t += 1.0f) arm->Animate(1.0f, 1.0f, t, 1.0f);
    EXPECT_EQ(arm->mask, kGunOne);
    EXPECT_EQ(arm->channels[0].first, one);
    arm->RestoreMasks();
}

// A stride mirrored below the body: the other arm takes this arm's side,
// and this arm's geometry bits change sides.
TEST_F(AnimatedFigureTest, MirroringTheChildrenHandsTheStrideToTheOtherArm) {
    JointedObject* const right = Part("U_ARMR", body);
    ASSERT_EQ(right->mask, kRightArm);
    FakeKeyframeLibrary library;
    KeyframeAnimation* const stride = library.AddAnimation("Stride", KeyframeAnimation::kLoop, 3);
    Keyframe* const bodyKeys = library.AddTrack(stride, kBody, {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}});
    library.AddTrack(stride, kLeftArm, {{0, 0, 0, 0}, {1, 5, 0, 0}, {2, 9, 0, 0}});
    body->PlayAnimation(bodyKeys, 2.0f, 0.0f);
    ASSERT_EQ(arm->channelCount, 1);
    body->MirrorChildren();
    EXPECT_EQ(right->mask, kLeftArm);   // answers to the left arm's keys now
    EXPECT_EQ(arm->mask, (kLeftArm & ~0x1000u) | 0x2000u);
    EXPECT_EQ(body->FindPart(kLeftArm), right);
    body->RestoreMasks();
    EXPECT_EQ(body->FindPart(kLeftArm), arm);
    EXPECT_EQ(body->FindPart(0x12345), nullptr);
    // A part without jointed children has nothing to mirror.
    forearm->MirrorChildren();
    EXPECT_EQ(forearm->mask, kLeftForearm);
}

// A part loaded from a mesh file is classified by the figure's token table
// as loaded from its own file.
TEST_F(JointedObjectTest, APartLoadedFromAFileTakesItsMaskFromTheLoadedTokens) {
    const ChunkBuilder b;
    std::vector<uint8_t> tokenHeader(8, 0);
    tokenHeader[0] = 1;   // version
    tokenHeader[4] = 1;   // one token
    std::vector<uint8_t> token(20, 0);
    std::memcpy(token.data(), "FIN", 3);
    token[17] = 0x1;   // mask 0x100
    const std::vector<uint8_t> tokens = b.Form("ETOK", {b.Chunk("HDR ", tokenHeader), b.Chunk("KTOK", token)});

    const std::vector<uint8_t> mesh = TriangleMeshForm(b, "TailFin");
    const TempDir dir;
    dir.WriteFile("tokens.iff", std::string(tokens.begin(), tokens.end()));
    dir.WriteFile("fin.iff", std::string(mesh.begin(), mesh.end()));

    JointedObject fin;
    EXPECT_EQ(JointedObject::LoadTokenTable(nullptr), kStatusOk);
    ASSERT_EQ(JointedObject::LoadTokenTable((dir.Str() + "/tokens.iff").c_str()), kStatusOk);
    ASSERT_EQ(fin.LoadModel((dir.Str() + "/fin.iff").c_str(), "TailFin", nullptr, nullptr, nullptr, 0), kStatusOk);
    EXPECT_EQ(fin.mask, 0x100u);
    EXPECT_EQ(fin.baseMask, 0x100u);
    EXPECT_NEAR(fin.rest.matrix.rows[2][2], 1.0f, 1e-6f);   // the rest is the loaded placement
    JointedObject missing;
    EXPECT_NE(missing.LoadModel((dir.Str() + "/none.iff").c_str(), "TailFin", nullptr, nullptr, nullptr, 0),
              kStatusOk);
    EXPECT_EQ(missing.mask, 0u);
}

}  // namespace
