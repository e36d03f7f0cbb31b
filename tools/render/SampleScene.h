#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/Status.h"

class Canvas;
class GameState;
class Light;
class Palette;
class SceneObject;

// A mesh of the sample data under a fixed camera and lights: the hull seen
// from above its right side, lit by a dim ambient light and a vector light
// from the front right. Needs the engine heap, a world context and the data
// directories found (the palettes come from the data directory).
class SampleScene {
public:
    SampleScene();
    ~SampleScene();

    // Reads the palette "Vorn" in the current pixel format, registers the
    // material library of the mesh directory and loads the mesh.
    Status Load(const std::string& meshDirectory, const char* meshFile);
    // Clears the canvas and draws the mesh on it through a camera of its size.
    Status Draw(Canvas& canvas);

    Palette* palette = nullptr;   // lives as long as the scene

private:
    std::unique_ptr<GameState> palettes_;
    std::unique_ptr<SceneObject> object_;
    std::unique_ptr<Light> ambient_;
    std::unique_ptr<Light> sun_;
};
