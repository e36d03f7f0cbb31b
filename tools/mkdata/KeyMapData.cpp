#include "tools/mkdata/KeyMapData.h"

#include <fstream>
#include <vector>

#include "game/KeyMapFile.h"

bool WriteKeyMapFile(const char* path) {
    const std::vector<uint8_t> bytes = KeyMap::Defaults().Build();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}
