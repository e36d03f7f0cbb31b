#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/Status.h"

class AnimatedMaterial;
class Billboard;
class Canvas;
class GameState;
class KeyframeTrack;
class Light;
class Palette;
class ParticleSystem;
class PointField;
class Scene;
class SceneObject;

// A mesh of the sample data under a fixed camera and lights: the hull seen
// from above its right side, lit by a dim ambient light and a vector light
// from the front right; or a scene file drawn through its own camera and
// lights, with a star field, sparks and a billboard. Needs the engine
// started and the data directories found (the palettes come from there).
class SampleScene {
public:
    SampleScene();
    ~SampleScene();

    // Reads the palette "Vorn" in the current pixel format, registers the
    // material library of the mesh directory and loads the mesh.
    Status Load(const std::string& meshDirectory, const char* meshFile);
    // The same, then a scene file with its camera, lights and objects, and
    // around it a star field, a group of sparks and a beacon billboard.
    Status LoadScene(const std::string& meshDirectory, const char* sceneFile);
    // The same, then a scene file with a jointed figure, a sky camera and
    // the file's animations in a keyframe library installed for the
    // sample's life; the figure's left arm is posed at `frame` of "Wave".
    Status LoadFigure(const std::string& meshDirectory, const char* sceneFile, int32_t frame);
    // Clears the canvas and draws the mesh on it through a camera of its size.
    Status Draw(Canvas& canvas);

    Palette* palette = nullptr;   // lives as long as the scene

private:
    // The palette "Vorn" in the current pixel format and the mesh
    // directory's material library, which both kinds of sample need.
    Status LoadPaletteAndLibrary(const std::string& meshDirectory);

    std::unique_ptr<GameState> palettes_;
    std::unique_ptr<SceneObject> object_;
    std::unique_ptr<Light> ambient_;
    std::unique_ptr<Light> sun_;
    std::unique_ptr<Scene> scene_;
    std::unique_ptr<PointField> stars_;
    std::unique_ptr<ParticleSystem> sparks_;
    std::unique_ptr<AnimatedMaterial> beaconMaterial_;
    std::unique_ptr<Billboard> beacon_;
    std::unique_ptr<KeyframeTrack> keys_;
    KeyframeTrack* previousKeys_ = nullptr;
};
