#include "platform/RemovableMedia.h"

#include <fstream>
#include <sstream>

#include "platform/ServiceSlot.h"

namespace platform {
namespace {

class MountTableMedia final : public RemovableMedia {
public:
    std::vector<std::string> DiscRoots() override {
        std::vector<std::string> roots;
        std::ifstream mounts("/proc/self/mounts");
        std::string line;
        while (std::getline(mounts, line)) {
            std::istringstream fields(line);
            std::string device, mountPoint, type;
            if (!(fields >> device >> mountPoint >> type)) continue;
            if (type != "iso9660" && type != "udf") continue;
            if (mountPoint.empty() || mountPoint.back() != '/') mountPoint += '/';
            roots.push_back(mountPoint);
        }
        return roots;
    }
};

constinit ServiceSlot<RemovableMedia> g_slot{&SystemRemovableMedia};

}  // namespace

RemovableMedia& SystemRemovableMedia() {
    static MountTableMedia media;
    return media;
}

RemovableMedia& RemovableMedia::Current() { return g_slot.Get(); }

RemovableMedia* RemovableMedia::Install(RemovableMedia* media) { return g_slot.Swap(media); }

}  // namespace platform
