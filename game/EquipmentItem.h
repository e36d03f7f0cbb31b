#pragma once
#include <memory>
#include <vector>

#include "display/Bitmap.h"

// Stand-in until the career's item record lands: only what the pictures use.
class EquipmentItem {
public:
    std::vector<std::unique_ptr<Bitmap>> listPictures;  // the cels of the definition's first FORM "XCEL"
    std::unique_ptr<Bitmap> layoutPicture;              // the picture of its second FORM "XCEL"
};
