#include "scene/Camera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/NamedObject.h"
#include "engine/Vector3.h"
#include "scene/ViewContext.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = ChunkBuilder::Bytes;
constexpr size_t kRecordWords = 12;

// The 64-byte record: name, flags, position, forward, up, field of view in
// 16.16 or as floats, and a word nothing reads.
Bytes Record(const char* name, uint32_t flags, const std::vector<float>& values, bool fixed) {
    Bytes bytes(kRecordWords * 4 + 16, 0);
    std::memcpy(bytes.data(), name, std::min<size_t>(16, std::strlen(name)));
    StoreLe32(bytes.data() + 16, flags);
    for (size_t i = 0; i < values.size(); ++i) {
        uint32_t word;
        if (fixed) {
            word = uint32_t(int32_t(std::lround(values[i] * 65536.0f)));
        } else {
            std::memcpy(&word, &values[i], sizeof word);
        }
        StoreLe32(bytes.data() + 20 + 4 * i, word);
    }
    return bytes;
}

const std::vector<float> kValues{1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 60.0f};

class Drawn : public NamedObject {
public:
    Drawn() : NamedObject(kTypeUntyped) {}
    void Draw() override { ++draws; }
    int draws = 0;
};

TEST(Camera, OrthographicHeightFollowsTheCanvasOrItsOwnSetting) {
    RecordingCanvas canvas(200, 100);
    Camera camera(&canvas);
    camera.flags |= Camera::kFlagOrthographic;
    camera.orthoWidth = 40.0f;
    camera.UpdateProjection();
    EXPECT_FLOAT_EQ(camera.halfWidth, 20.0f);
    EXPECT_FLOAT_EQ(camera.scaleX, 5.0f);
    // Height 0: from the canvas's proportions, the vertical scale from the
    // horizontal one computed just before.
    EXPECT_FLOAT_EQ(camera.halfHeight, 10.0f);
    EXPECT_FLOAT_EQ(camera.scaleY, 5.0f);
    camera.orthoHeight = 50.0f;
    camera.UpdateProjection();
    EXPECT_FLOAT_EQ(camera.halfHeight, 25.0f);
    EXPECT_FLOAT_EQ(camera.scaleY, 2.0f);
    // The side limits of an orthographic view do not grow with depth.
    camera.UpdateClipPlanes();
    EXPECT_FLOAT_EQ(camera.planes[Camera::kPlaneLeft].distance, -20.0f);
    EXPECT_FLOAT_EQ(camera.planes[Camera::kPlaneTop].distance, -25.0f);

    // Perspective, 90 degrees on a square canvas: unit half extents.
    RecordingCanvas square(100, 100);
    Camera wide(&square);
    wide.fieldOfView = 90.0f;
    wide.UpdateProjection();
    EXPECT_NEAR(wide.halfWidth, 1.0f, 1e-6);
    EXPECT_NEAR(wide.halfHeight, 1.0f, 1e-6);
    EXPECT_NEAR(wide.scaleX, 50.0f, 1e-4);
    EXPECT_FLOAT_EQ(wide.depthScale, 0.9999f / 4096.0f);
}

TEST(Camera, TheFrameBracketKeepsAnOuterLockSkipsTheClearOnAskAndHiddenObjects) {
    RecordingCanvas canvas(64, 48);
    Camera camera(&canvas);
    camera.background = 7;
    Drawn shown, hidden, last;
    hidden.flags |= 0x1;
    shown.next = &hidden;
    hidden.next = &last;
    ViewContext view;
    view.camera = &camera;
    view.objectList = &shown;
    PushViewContext(&view);

    ASSERT_EQ(camera.BeginFrame(), 0u);
    camera.DrawScene();
    camera.EndFrame();
    EXPECT_EQ(shown.draws, 1);
    EXPECT_EQ(hidden.draws, 0);
    EXPECT_EQ(last.draws, 1);
    const std::vector<std::string> ops = canvas.Ops();
    ASSERT_GE(ops.size(), 3u);
    EXPECT_EQ(ops.front(), "Lock");
    EXPECT_EQ(ops[1], "Clear");
    EXPECT_EQ(ops.back(), "Unlock");
    EXPECT_EQ(canvas.CallsOf("Clear")[0].words, (std::vector<uint32_t>{7, 0xFFFFFFFF}));

    // Locked by the caller: the frame leaves the lock as it found it.
    canvas.Lock();
    canvas.ForgetCalls();
    camera.flags |= Camera::kFlagNoClear;
    ASSERT_EQ(camera.BeginFrame(), 0u);
    camera.EndFrame();
    EXPECT_EQ(canvas.Ops(), (std::vector<std::string>{"Lock"}));
    EXPECT_EQ(camera.flags & Camera::kFlagWasLocked, 0u);
    canvas.Unlock();

    // A failed lock, or no canvas, is no frame.
    canvas.ScriptResult("Lock", uint32_t(-1));
    EXPECT_EQ(camera.BeginFrame(), 1u);
    Camera blind;
    EXPECT_EQ(blind.BeginFrame(), 1u);
    blind.EndFrame();
    PopViewContext(&view);
    EXPECT_EQ(g_viewContext, nullptr);
    shown.next = hidden.next = nullptr;
}

TEST(Camera, FixedAndFloatRecordsReadTheSameAndBadOnesAreRefused) {
    const ChunkBuilder b;
    const TempDir dir;
    const auto fileOf = [&](const char* name, const Bytes& bytes) {
        dir.WriteFile(name, std::string(bytes.begin(), bytes.end()));
        return dir.Str() + "/" + name;
    };
    const std::string fixed = fileOf("fixed.iff", b.Form("ESEN", {b.Chunk("ECAM", Record("Front", 0x5, kValues, true))}));
    const std::string floats =
        fileOf("floats.iff", b.Form("ESEN", {b.Chunk("ECA1", Record("Front", 0x5, kValues, false))}));
    Camera a(fixed.c_str(), "Front");
    Camera c(floats.c_str(), nullptr);
    EXPECT_STREQ(a.Name(), "Front");
    EXPECT_EQ(a.flags, 0x5u);
    EXPECT_FLOAT_EQ(a.fieldOfView, 60.0f);
    EXPECT_EQ(std::memcmp(&a.transform.matrix, &c.transform.matrix, sizeof a.transform.matrix), 0);
    EXPECT_FLOAT_EQ(a.transform.matrix.rows[3][2], 3.0f);
    EXPECT_FLOAT_EQ(c.fieldOfView, 60.0f);

    Camera probe;
    EXPECT_EQ(probe.Load(fixed.c_str(), "Back"), kStatusCameraNotFound);
    EXPECT_EQ(probe.Load((dir.Str() + "/missing.iff").c_str(), nullptr), kStatusCameraReadFailed);
    Bytes shortRecord = Record("Front", 0, kValues, true);
    shortRecord.resize(60);
    EXPECT_EQ(probe.Load(fileOf("short.iff", b.Form("ESEN", {b.Chunk("ECAM", shortRecord)})).c_str(), nullptr),
              kStatusCameraBadSize);
    EXPECT_STREQ(probe.Name(), "NoName");
    // A file cut inside the scene form: the walk ends, it does not loop.
    Bytes cut = b.Form("ESEN", {b.Chunk("JUNK", "abcd"), b.Chunk("ECAM", Record("Front", 0, kValues, true))});
    cut.resize(cut.size() - 30);
    const std::string truncated = fileOf("cut.iff", ChunkBuilder::Join({b.Header("FORM", uint32_t(cut.size() - 8)),
                                                                          Bytes(cut.begin() + 8, cut.end())}));
    EXPECT_EQ(probe.Load(truncated.c_str(), nullptr), kStatusCameraReadFailed);
}

TEST(Camera, ManyPitchesReAlignTheUpVectorAndStartCountingAgain) {
    Camera camera;
    for (int i = 0; i < 4096; ++i) camera.Pitch(0.3f, Camera::kAllFlags);
    EXPECT_EQ(camera.transform.changeCount, 4096u);
    camera.Pitch(0.3f, Camera::kAllFlags);
    EXPECT_EQ(camera.transform.changeCount, 0u);
    const Vector3& f = camera.transform.forward;
    EXPECT_NEAR(camera.up.x * f.x + camera.up.y * f.y + camera.up.z * f.z, 0.0f, 1e-5);
    EXPECT_NEAR(std::sqrt(camera.up.x * camera.up.x + camera.up.y * camera.up.y + camera.up.z * camera.up.z), 1.0f,
                1e-5);
}

// Each turn moves the view as a pilot expects: about the world's axes or
// the camera's own, the up vector following; aimed anew, the up vector (or
// the forward one) is made square to the other and the view rebuilt.
TEST(Camera, EveryTurnAndAimMovesTheViewAndKeepsItSquare) {
    const auto row = [](const Camera& camera, int r) {
        return Vector3{camera.transform.matrix.rows[r][0], camera.transform.matrix.rows[r][1],
                       camera.transform.matrix.rows[r][2]};
    };
    const auto near = [](const Vector3& a, const Vector3& b) {
        return std::fabs(a.x - b.x) < 1e-4f && std::fabs(a.y - b.y) < 1e-4f && std::fabs(a.z - b.z) < 1e-4f;
    };
    const auto along = [&](const Vector3& a, const Vector3& axis) {
        return near(a, axis) || near(a, Vector3{-axis.x, -axis.y, -axis.z});
    };
    const Vector3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    Camera camera;
    camera.Yaw(90.0f, Camera::kAllFlags);   // heading turned: looks along x, up unchanged
    EXPECT_TRUE(along(row(camera, 2), x));
    EXPECT_TRUE(near(camera.up, y));
    camera.Yaw(-90.0f, Camera::kAllFlags);
    camera.Roll(90.0f, Camera::kAllFlags);   // banked: up along x, still looking along z
    EXPECT_TRUE(along(camera.up, x));
    EXPECT_TRUE(along(row(camera, 2), z));
    camera.Roll(-90.0f, Camera::kAllFlags);
    EXPECT_TRUE(near(camera.up, y));
    camera.RotateX(90.0f, Camera::kAllFlags);   // about the world's x: looks up or down, up along z
    EXPECT_TRUE(along(row(camera, 2), y));
    EXPECT_TRUE(along(camera.up, z));
    camera.RotateX(-90.0f, Camera::kAllFlags);
    camera.RotateZ(90.0f, Camera::kAllFlags);   // about the world's z: up along x
    EXPECT_TRUE(along(camera.up, x));
    EXPECT_TRUE(along(row(camera, 2), z));
    camera.RotateZ(-90.0f, Camera::kAllFlags);
    EXPECT_TRUE(near(camera.up, y));

    // Aimed backwards with an unnormalised vector: the view is rebuilt.
    camera.SetForwardXyz(0.0f, 0.0f, -2.0f, Camera::kUpdateMatrix);
    EXPECT_TRUE(near(row(camera, 2), Vector3{0, 0, -1}));
    EXPECT_TRUE(near(row(camera, 1), y));
    EXPECT_TRUE(along(row(camera, 0), x));
    // A slanted up vector is squared to the forward one.
    camera.SetUpXyz(0.0f, 3.0f, 3.0f, Camera::kAlignUp | Camera::kUpdateMatrix);
    EXPECT_TRUE(near(camera.up, y));
    EXPECT_TRUE(near(row(camera, 1), y));
    // Or the forward vector squared to the up one.
    camera.SetForward({0.0f, 1.0f, 1.0f}, 0);
    camera.AlignForward(0);
    EXPECT_TRUE(near(camera.transform.forward, z));
    EXPECT_TRUE(near(camera.up, y));
}

TEST(Camera, CamerasOfAChainAreFoundByName) {
    const ChunkBuilder b;
    const TempDir dir;
    const Bytes file = b.Form("ESEN", {b.Chunk("ECA1", Record("Front", 0, kValues, false)),
                                       b.Chunk("ECA1", Record("Back", 0, kValues, false)),
                                       b.Chunk("ECA1", Record("Top", 0, kValues, false))});
    dir.WriteFile("cameras.iff", std::string(file.begin(), file.end()));
    const std::string path = dir.Str() + "/cameras.iff";
    Camera front(path.c_str(), "Front"), back(path.c_str(), "Back"), top(path.c_str(), "Top");
    ASSERT_STREQ(top.Name(), "Top");
    back.InsertAfter(&front);
    top.InsertAfter(&back);
    EXPECT_EQ(front.FindByName("Top"), &top);
    EXPECT_EQ(front.FindByName("Front"), &front);
    EXPECT_EQ(back.FindByName("Front"), nullptr);   // only onwards
    EXPECT_EQ(front.FindByName("Side"), nullptr);
    EXPECT_EQ(front.FindByName(nullptr), nullptr);
    top.Unlink();
    back.Unlink();
}

}  // namespace
