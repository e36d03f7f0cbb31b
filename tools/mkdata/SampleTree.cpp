#include "tools/mkdata/SampleTree.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/DataDirectories.h"
#include "tools/mkdata/CareerData.h"
#include "tools/mkdata/CommonRoomArtData.h"
#include "tools/mkdata/MenuArtData.h"
#include "tools/mkdata/LobbyArtData.h"
#include "tools/mkdata/RoomArtData.h"
#include "tools/mkdata/RequisitionArtData.h"
#include "tools/mkdata/DefinitionData.h"
#include "tools/mkdata/FontData.h"
#include "tools/mkdata/CursorData.h"
#include "tools/mkdata/FxData.h"
#include "tools/mkdata/ImageData.h"
#include "tools/mkdata/KeyMapData.h"
#include "tools/mkdata/MaterialData.h"
#include "tools/mkdata/MeshData.h"
#include "tools/mkdata/CampaignData.h"
#include "mission/RandomMissionGenerator.h"
#include "tools/mkdata/MissionData.h"
#include "tools/mkdata/NetDepotData.h"
#include "tools/mkdata/NetDuelData.h"
#include "tools/mkdata/NetGateData.h"
#include "tools/mkdata/NetRespawnData.h"
#include "tools/mkdata/NetFightData.h"
#include "tools/mkdata/NetScriptData.h"
#include "tools/mkdata/RandomData.h"
#include "tools/mkdata/MapWorldData.h"
#include "tools/mkdata/MusicData.h"
#include "tools/mkdata/NavMapData.h"
#include "tools/mkdata/PaletteData.h"
#include "tools/mkdata/RecordsArtData.h"
#include "tools/mkdata/SaveData.h"
#include "tools/mkdata/SoundData.h"
#include "tools/mkdata/SquadronArtData.h"

namespace fs = std::filesystem;

namespace {

// The sample movies, made by tools/make-movies.sh: the intro movie
// "intro.mpg" and the launch and landing movies of the "%slch%s.mpg" and
// "%slnd%s.mpg" patterns with nothing around the name, and the lost
// campaign's "Midgame4.mpg", all in "video".
constexpr const char* kSampleMovies[] = {"intro.mpg", "lch.mpg", "lnd.mpg", "Midgame4.mpg"};
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

bool WriteSampleTree(const std::string& rootText, std::string* failure) {
    const fs::path root = rootText;
    const auto fail = [&](const std::string& reason) {
        if (failure != nullptr) *failure = reason;
        return false;
    };
    std::error_code error;
    for (const char* name : kDirectories) {
        const fs::path dir = root / name;
        fs::create_directories(dir, error);
        if (error) {
            return fail("cannot create " + dir.string() + ": " + error.message());
        }
        if (!WriteText(dir / kProbeFile, std::string("Vorn Tessel ") + name + " directory\n")) {
            return fail("cannot write " + (dir / kProbeFile).string());
        }
    }
    if (!WriteText(root / "VORN.INI", kStartupSettings)) {
        return fail("cannot write " + (root / "VORN.INI").string());
    }
    const fs::path palettes = root / "data" / "palettes.iff";
    if (WritePaletteFile(palettes.c_str()) != kStatusOk) {
        return fail("cannot write " + palettes.string());
    }
    for (int i = 0; i < kSampleImageCount; ++i) {
        const fs::path image = root / "data" / kSampleImageNames[i];
        if (WriteSampleImage(i, image.c_str()) != kStatusOk) {
            return fail("cannot write " + image.string());
        }
    }
    for (int i = 0; i < kSampleFontCount; ++i) {
        const fs::path font = root / "data" / kSampleFonts[i].fileName;
        if (WriteSampleFont(i, font.c_str()) != kStatusOk) {
            return fail("cannot write " + font.string());
        }
    }
    const fs::path materials = root / "mesh" / "materials.iff";
    if (WriteMaterialLibrary(materials.c_str()) != kStatusOk) {
        return fail("cannot write " + materials.string());
    }
    const fs::path cube = root / "mesh" / "cube.iff";
    const fs::path hull = root / "mesh" / "hull.iff";
    const fs::path scene = root / "mesh" / "scene.iff";
    const fs::path figure = root / "mesh" / "figure.iff";
    if (WriteCubeMesh(cube.c_str()) != kStatusOk || WriteHullMesh(hull.c_str()) != kStatusOk ||
        WriteSampleScene(scene.c_str()) != kStatusOk || WriteSampleFigure(figure.c_str()) != kStatusOk) {
        return fail("cannot write the meshes in " + (root / "mesh").string());
    }
    const fs::path ships = root / "mesh" / "ships.iff";
    if (WriteSampleShips(ships.c_str()) != kStatusOk) return fail("cannot write " + ships.string());
    if (WriteSampleDefinitions((root / "data").c_str()) != kStatusOk) {
        return fail("cannot write the definitions in " + (root / "data").string());
    }
    const fs::path hulls = root / "option" / "outfit1.iff";
    if (WriteSampleHulls(hulls.c_str()) != kStatusOk) return fail("cannot write " + hulls.string());
    const fs::path roster = root / "data" / "wingmen.iff";
    if (WriteSampleRoster(roster.c_str()) != kStatusOk) return fail("cannot write " + roster.string());
    const fs::path sounds = root / "data" / "fx.iff";
    if (WriteSoundFile(sounds.c_str(), SampleSounds(), WriteEffectRecords) != kStatusOk) {
        return fail("cannot write " + sounds.string());
    }
    // What the effect records name: the shock spheres' globe, the projectile
    // models and the scenes of the 3-D animations.
    const fs::path shield = root / "mesh" / "shield.iff";
    const fs::path projectiles = root / "mesh" / "3dproj.iff";
    const fs::path jump = root / "mesh" / "jumpanim.iff";
    const fs::path praxis = root / "mesh" / "praxis.iff";
    if (WriteShieldMesh(shield.c_str()) != kStatusOk || WriteProjectileMeshes(projectiles.c_str()) != kStatusOk ||
        WriteAnimationScene(jump.c_str(), "JumpGate", 4, 0xFFA040) != kStatusOk ||
        WriteAnimationScene(praxis.c_str(), "Praxis", 3, 0x40C0FF) != kStatusOk) {
        return fail("cannot write the effect meshes in " + (root / "mesh").string());
    }
    const fs::path mission = root / "missions" / kSampleMissionFile;
    if (WriteSampleMission(mission.c_str()) != kStatusOk) return fail("cannot write " + mission.string());
    const fs::path sectors = root / "missions" / RandomMissionGenerator::kSectorsFile;
    if (WriteSectors(sectors.c_str()) != kStatusOk) return fail("cannot write " + sectors.string());
    const fs::path randomTable = root / "data" / RandomMissionGenerator::kFileName;
    if (WriteRandomTable(randomTable.c_str()) != kStatusOk) return fail("cannot write " + randomTable.string());
    const fs::path skirmish = root / "missions" / kSkirmishMissionFile;
    if (WriteSkirmishMission(skirmish.c_str()) != kStatusOk) return fail("cannot write " + skirmish.string());
    const fs::path mapWorld = root / "missions" / kMapWorldMissionFile;
    if (WriteMapWorldMission(mapWorld.c_str()) != kStatusOk) return fail("cannot write " + mapWorld.string());
    const fs::path netFight = root / "missions" / kNetFightMissionFile;
    if (WriteNetFightMission(netFight.c_str()) != kStatusOk) return fail("cannot write " + netFight.string());
    const fs::path netDepot = root / "missions" / kNetDepotMissionFile;
    if (WriteNetDepotMission(netDepot.c_str()) != kStatusOk) return fail("cannot write " + netDepot.string());
    const fs::path netDuel = root / "missions" / kNetDuelMissionFile;
    if (WriteNetDuelMission(netDuel.c_str()) != kStatusOk) return fail("cannot write " + netDuel.string());
    const fs::path netGate = root / "missions" / kNetGateMissionFile;
    if (WriteNetGateMission(netGate.c_str()) != kStatusOk) return fail("cannot write " + netGate.string());
    const fs::path netRespawn = root / "missions" / kNetRespawnMissionFile;
    if (WriteNetRespawnMission(netRespawn.c_str()) != kStatusOk) return fail("cannot write " + netRespawn.string());
    if (!WriteNetScripts(root.string())) return fail("cannot write " + (root / "scripts").string());
    const fs::path training = root / "missions" / kTrainingMissionFile;
    if (WriteTrainingMission(training.c_str()) != kStatusOk) return fail("cannot write " + training.string());
    const fs::path strike = root / "missions" / kStrikeMissionFile;
    if (WriteStrikeMission(strike.c_str()) != kStatusOk) return fail("cannot write " + strike.string());
    const fs::path patrol = root / "missions" / kPatrolMissionFile;
    if (WritePatrolMission(patrol.c_str()) != kStatusOk) return fail("cannot write " + patrol.string());
    const fs::path sweep = root / "missions" / kSweepMissionFile;
    if (WriteSweepMission(sweep.c_str()) != kStatusOk) return fail("cannot write " + sweep.string());
    for (int i = 0; i < kSampleTuneCount; ++i) {
        const fs::path tune = root / "xmi" / kSampleTunes[i];
        if (WriteSampleTune(i, tune.c_str()) != kStatusOk) return fail("cannot write " + tune.string());
    }
    for (int i = 0; i < kSampleCdTrackCount; ++i) {
        const fs::path track = root / "xmi" / kSampleCdTracks[i];
        if (WriteSampleCdTrack(i, track.c_str()) != kStatusOk) return fail("cannot write " + track.string());
    }
    // A saved game for the load screen and a pilot for the lobby, in the
    // game's folder beside its options file.
    // Their careers are new ones of this tree: ships, catalogue and roster.
    const DataDirectories previous = g_dataDirs;
    g_dataDirs.Find(root.string());
    const fs::path save = root / "slot0.sav";
    const fs::path pilot = root / "Korvane.plr";
    const bool saved = WriteSampleSave(save.c_str()) == kStatusOk;
    const bool piloted = saved && WriteSamplePilot(pilot.c_str()) == kStatusOk;
    g_dataDirs = previous;
    if (!saved) return fail("cannot write " + save.string());
    if (!piloted) return fail("cannot write " + pilot.string());
    if (WriteMenuArt(root.string()) != kStatusOk) return fail("cannot write the menus' art under " + root.string());
    if (WriteRoomArt(root.string()) != kStatusOk) return fail("cannot write the rooms' art under " + root.string());
    if (WriteCommonRoomArt(root.string()) != kStatusOk) return fail("cannot write the common room under " + root.string());
    if (WriteLobbyArt(root.string()) != kStatusOk) return fail("cannot write the lobby's art under " + root.string());
    if (WriteSquadronArt(root.string()) != kStatusOk) return fail("cannot write the squadron pages under " + root.string());
    if (WriteRecordsArt(root.string()) != kStatusOk) return fail("cannot write the records' art under " + root.string());
    if (WriteRequisitionArt(root.string()) != kStatusOk) {
        return fail("cannot write the requisition art under " + root.string());
    }
    if (WriteNavMapArt(root.string()) != kStatusOk) return fail("cannot write the maps' art under " + root.string());
    const fs::path dust = root / "cel" / "dust.iff";
    if (WriteDustSprites(dust.c_str()) != kStatusOk) return fail("cannot write " + dust.string());
    const fs::path cursors = root / "data" / "cursors.iff";
    if (WriteCursorShapes(cursors.c_str()) != kStatusOk) return fail("cannot write " + cursors.string());
    const fs::path keyMap = root / "data" / "controls.iff";
    if (!WriteKeyMapFile(keyMap.c_str())) return fail("cannot write " + keyMap.string());
    // The movies are made once by tools/make-movies.sh and kept in the source tree.
    std::error_code copyError;
    for (const char* movie : kSampleMovies) {
        const fs::path from = fs::path(VORN_MOVIE_DIR) / movie;
        fs::copy_file(from, root / "video" / movie, fs::copy_options::overwrite_existing, copyError);
        if (copyError) return fail("cannot copy " + from.string() + ": " + copyError.message());
    }
    return true;
}
