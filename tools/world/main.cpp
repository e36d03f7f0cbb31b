// world: steps a small world headless and prints every collision,
// destruction and removal, frame by frame.
//   world [FRAMES] [HULLS] [DRIFTERS]
#include <cstdio>
#include <cstdlib>

#include "tools/world/DemoWorld.h"

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 600;
    const int hulls = argc > 2 ? std::atoi(argv[2]) : 20;
    const int drifters = argc > 3 ? std::atoi(argv[3]) : 300;
    if (frames < 0 || hulls < 0 || drifters < 0) {
        std::fprintf(stderr, "Usage: world [FRAMES] [HULLS] [DRIFTERS]\n");
        return 2;
    }
    DemoWorld world(hulls, drifters);
    std::printf("World: %d objects (%d hulls, %d drifters and buoys, a way point)\n", world.ObjectCount(), hulls, drifters);
    int events = 0;
    for (int frame = 1; frame <= frames; ++frame) {
        for (const std::string& line : world.Step(50)) {
            std::printf("frame %d: %s\n", frame, line.c_str());
            ++events;
        }
    }
    std::printf("After %d frames of 50 ms: %d objects, %d events\n", frames, world.ObjectCount(), events);
    return 0;
}
