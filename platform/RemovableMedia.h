#pragma once
#include <string>
#include <vector>

namespace platform {

// Where removable discs are mounted; the game looks there for its files
// when they are not under the working folder.
class RemovableMedia {
public:
    virtual ~RemovableMedia() = default;
    // The mount points of the optical discs present now, each ending in '/'.
    virtual std::vector<std::string> DiscRoots() = 0;

    static RemovableMedia& Current();
    static RemovableMedia* Install(RemovableMedia* media);
};

// Reads /proc/self/mounts for iso9660 and udf file systems.
RemovableMedia& SystemRemovableMedia();

}  // namespace platform
