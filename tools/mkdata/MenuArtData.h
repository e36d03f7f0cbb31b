#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/Status.h"

class Bitmap;
class IffFile;

// The art, maps and texts of the game's first menus under the data root:
// "cel/INIT.iff", "cel/HELP.iff", "cel/TUT.iff", "option/initopt1.iff",
// "option/TUT1.iff", "option/optart.iff" and "data/tutor.iff".
Status WriteMenuArt(const std::string& root);

// Each piece on its own, for the tests.
Status WriteInitialOptionsArt(const char* path);
Status WriteTutorialArt(const char* path);
Status WriteOptArt(const char* path);
// One labelled button of "optart.iff": FORM "ARTW" with its name and its
// idle, lit and clicked cels at 0, 0, at the current level of `iff`.
Status WriteMenuArtItem(IffFile& iff, const char* name, int width, int height, const char* label);
// A framed box at 0, 0 with its label centred in the menus' letter face.
std::unique_ptr<Bitmap> LabelledBox(int width, int height, const char* label, uint8_t fill, uint8_t edge, uint8_t ink);
// One button of a screen's own art file: FORM "BUTT" with its name, its
// fill-in steps and its idle, lit and clicked cels where it sits.
Status WriteMenuButton(IffFile& iff, const char* name, const char* label, int x, int y, int width, int height);
Status WriteTutorTexts(const char* path);
Status WriteMenuMaps(const std::string& celDirectory);
