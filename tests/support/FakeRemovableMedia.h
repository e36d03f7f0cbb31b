#pragma once
#include <string>
#include <vector>

#include "platform/RemovableMedia.h"

// Disc roots chosen by the test; none unless set.
class FakeRemovableMedia final : public platform::RemovableMedia {
public:
    std::vector<std::string> DiscRoots() override { return roots; }
    std::vector<std::string> roots;
};
