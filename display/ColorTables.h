#pragma once
#include <cstdint>

class Canvas;
class TextureManager;

// The engine-wide colour tables: the gamma curve applied to loaded palettes,
// the 5-bit channel scaling table the translucent span fillers mix with, and
// the current canvas. One instance, a member of the engine system object,
// reached through g_colorTables from that object's construction on.
class ColorTables {
public:
    static constexpr int kLevels = 256;         // rows of the scaling table
    static constexpr int kChannelValues = 32;   // a 5-bit channel
    static constexpr int kTextureManagerSlots = 4;

    // Stores the gamma and builds the curve 255 x (i / 255)^(1 / gamma):
    // a gamma above 1 brightens.
    void SetGamma(float newGamma);
    // Row L, entry c = trunc(c x L / 256).
    void BuildShadeTable();

    float gamma = 1.0f;
    uint8_t gammaCurve[256] = {};
    uint8_t shadeTable[kLevels][kChannelValues] = {};
    // Written by Canvas::MakeCurrent; the Direct3D canvas compares it with
    // itself to decide whether its render states must be sent again.
    Canvas* currentCanvas = nullptr;
    // Slot 0 holds the Direct3D driver's texture manager, where all render
    // code finds it; the other three are searched on release but never filled.
    TextureManager* textureManagers[kTextureManagerSlots] = {};
};

extern ColorTables* g_colorTables;
