// world: flies a mission file of a data tree headless and prints the world,
// every destruction and the kills, as `vorn --mission` does.
//   world DATA_ROOT [MISSION] [SECONDS] [SEED]
#include <cstdio>
#include <cstdlib>

#include "game/DataDirectories.h"
#include "shell/LaunchOptions.h"
#include "shell/MissionFlight.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "Usage: world DATA_ROOT [MISSION] [SECONDS] [SEED]   (MISSION: sample.uli)\n");
        return 2;
    }
    LaunchOptions options;
    options.dataRoot = argv[1];
    options.headless = true;
    options.mission = argc > 2 ? argv[2] : "sample.uli";
    options.seconds = argc > 3 ? std::atoi(argv[3]) : 10;
    options.seed = argc > 4 ? std::atoi(argv[4]) : 1;
    if (options.seconds < 1 || options.seed < 1) {
        std::fprintf(stderr, "world: seconds and seed are whole numbers from 1 up\n");
        return 2;
    }
    if (!g_dataDirs.Find(options.dataRoot)) {
        std::fprintf(stderr, "world: no sample data tree under %s (run mkdata first)\n", options.dataRoot.c_str());
        return 1;
    }
    return RunMissionFlight(options);
}
