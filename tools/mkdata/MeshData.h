#pragma once
#include <cstdint>

#include "engine/Status.h"

// The sample meshes of the mesh directory, each one FORM "EMSH", their face
// colours true colours for the palette they are read with:
// "cube.iff", a cube of side 2 around the origin (12 faces, no materials);
// "hull.iff", a ship-like hull pointing along +z (a few dozen faces, one
// textured with "Metal" of "materials.iff", one translucent canopy).
inline constexpr const char* kCubeMeshName = "Cube";
inline constexpr const char* kHullMeshName = "Hull";
inline constexpr const char* kHullMaterial = "Metal";

Status WriteCubeMesh(const char* path);
Status WriteHullMesh(const char* path);

// "scene.iff": FORM "ESEN" named "Sample" with a camera, an ambient and a
// vector light, the hull and a small cube "Pod" under its right wing, whose
// form comes first and names the hull as its parent.
inline constexpr const char* kSampleSceneName = "Sample";
inline constexpr const char* kPodMeshName = "Pod";
Status WriteSampleScene(const char* path);

// "figure.iff": FORM "ESEN" named "Figure" with a camera drawing a sky
// gradient, an ambient and a vector light, a looping animation "Wave" of
// four frames in a FORM "KEYF", and a jointed figure: "TORSO", its child
// "U_ARML" and that one's child "F_ARML".
inline constexpr const char* kSampleFigureName = "Figure";
inline constexpr const char* kSampleFigureAnimation = "Wave";
Status WriteSampleFigure(const char* path);

// "ships.iff": FORM "ESEN" of the meshes the definitions of "temp.iff" name,
// their parts named by the part convention: a fighter (wings, engine,
// shield bubble, engine glow), a capital ship with two turrets, and an
// asteroid, a mine, a missile, a carrier, a gate, debris, a buoy and a turret;
// each shaped as ShipMeshes.h says, carrying the textures it names.
Status WriteSampleShips(const char* path);

// The effect meshes: "shield.iff", the globe "Shield" the shock spheres are
// made of; "3dproj.iff", FORM "ESEN" of the projectile models "Bolt",
// "Shell" and "Bit"; and the scenes of the 3-D animations, FORM "ESEN" of
// `frames` growing rings named "1", "2", ... in a true colour.
inline constexpr const char* kShieldMeshName = "Shield";
Status WriteShieldMesh(const char* path);
Status WriteProjectileMeshes(const char* path);
Status WriteAnimationScene(const char* path, const char* name, int frames, uint32_t colour);
