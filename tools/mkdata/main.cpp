// Writes the project's own sample data tree: the seven data directories the
// game looks for, each with the probe file that marks it, and the data files
// the game reads from them.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/mkdata/FontData.h"
#include "tools/mkdata/ImageData.h"
#include "tools/mkdata/MaterialData.h"
#include "tools/mkdata/MeshData.h"
#include "tools/mkdata/PaletteData.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDirectories[] = {"data", "video", "cel", "option", "xmi", "mesh", "missions"};
constexpr const char* kProbeFile = "vorn.dir";

// The start-up settings: mouse on, joystick off, middle sensitivity, windowed.
constexpr const char* kStartupSettings =
    "; Vorn Tessel start-up settings\r\n"
    "[Startup]\r\n"
    "Mouse=1\r\n"
    "Joystick=0\r\n"
    "Mouse_Sensitivity=5\r\n"
    "FullScreen=0\r\n";

bool WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "Usage: mkdata OUTPUT_DIR\nWrites the sample data tree into OUTPUT_DIR.\n");
        return 2;
    }
    const fs::path root = argv[1];
    std::error_code error;
    for (const char* name : kDirectories) {
        const fs::path dir = root / name;
        fs::create_directories(dir, error);
        if (error) {
            std::fprintf(stderr, "mkdata: cannot create %s: %s\n", dir.c_str(), error.message().c_str());
            return 1;
        }
        if (!WriteText(dir / kProbeFile, std::string("Vorn Tessel ") + name + " directory\n")) {
            std::fprintf(stderr, "mkdata: cannot write %s\n", (dir / kProbeFile).c_str());
            return 1;
        }
    }
    if (!WriteText(root / "VORN.INI", kStartupSettings)) {
        std::fprintf(stderr, "mkdata: cannot write %s\n", (root / "VORN.INI").c_str());
        return 1;
    }
    const fs::path palettes = root / "data" / "palettes.iff";
    if (WritePaletteFile(palettes.c_str()) != kStatusOk) {
        std::fprintf(stderr, "mkdata: cannot write %s\n", palettes.c_str());
        return 1;
    }
    for (int i = 0; i < kSampleImageCount; ++i) {
        const fs::path image = root / "data" / kSampleImageNames[i];
        if (WriteSampleImage(i, image.c_str()) != kStatusOk) {
            std::fprintf(stderr, "mkdata: cannot write %s\n", image.c_str());
            return 1;
        }
    }
    for (int i = 0; i < kSampleFontCount; ++i) {
        const fs::path font = root / "data" / kSampleFonts[i].fileName;
        if (WriteSampleFont(i, font.c_str()) != kStatusOk) {
            std::fprintf(stderr, "mkdata: cannot write %s\n", font.c_str());
            return 1;
        }
    }
    const fs::path materials = root / "mesh" / "materials.iff";
    if (WriteMaterialLibrary(materials.c_str()) != kStatusOk) {
        std::fprintf(stderr, "mkdata: cannot write %s\n", materials.c_str());
        return 1;
    }
    const fs::path cube = root / "mesh" / "cube.iff";
    const fs::path hull = root / "mesh" / "hull.iff";
    if (WriteCubeMesh(cube.c_str()) != kStatusOk || WriteHullMesh(hull.c_str()) != kStatusOk) {
        std::fprintf(stderr, "mkdata: cannot write the meshes in %s\n", (root / "mesh").c_str());
        return 1;
    }
    std::printf("Sample data written to %s\n", root.c_str());
    return 0;
}
