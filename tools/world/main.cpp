// world: flies a mission file of a data tree headless and prints the world,
// every destruction and the kills, as `vorn --mission` does.
//   world DATA_ROOT [MISSION] [SECONDS] [SEED] [STEP]
#include <cstdio>
#include <cstdlib>

#include "game/DataDirectories.h"
#include "shell/LaunchOptions.h"
#include "shell/MissionFlight.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "Usage: world DATA_ROOT [MISSION] [SECONDS] [SEED] [STEP]   (MISSION: sample.uli, STEP: frame ms, "
                     "1 to 200, 50)\n");
        return 2;
    }
    LaunchOptions options;
    options.dataRoot = argv[1];
    options.headless = true;
    options.mission = argc > 2 ? argv[2] : "sample.uli";
    options.seconds = argc > 3 ? std::atoi(argv[3]) : 10;
    options.seed = argc > 4 ? std::atoi(argv[4]) : 1;
    options.step = argc > 5 ? std::atoi(argv[5]) : options.step;
    if (options.seconds < 1 || options.seed < 1) {
        std::fprintf(stderr, "world: seconds and seed are whole numbers from 1 up\n");
        return 2;
    }
    if (options.step < LaunchOptions::kMinStep || options.step > LaunchOptions::kMaxStep) {
        std::fprintf(stderr, "world: the step is a frame length of 1 to 200 milliseconds\n");
        return 2;
    }
    if (!g_dataDirs.Find(options.dataRoot)) {
        std::fprintf(stderr, "world: no sample data tree under %s (run mkdata first)\n", options.dataRoot.c_str());
        return 1;
    }
    return RunMissionFlight(options);
}
