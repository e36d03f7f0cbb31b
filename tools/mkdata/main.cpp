// Writes the project's own sample data tree: the seven data directories the
// game looks for, each with the probe file that marks it, and the data files
// the game reads from them.
#include <cstdio>
#include <string>

#include "tools/mkdata/SampleTree.h"

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "Usage: mkdata OUTPUT_DIR\nWrites the sample data tree into OUTPUT_DIR.\n");
        return 2;
    }
    std::string error;
    if (!WriteSampleTree(argv[1], &error)) {
        std::fprintf(stderr, "mkdata: %s\n", error.c_str());
        return 1;
    }
    std::printf("Sample data written to %s\n", argv[1]);
    return 0;
}
