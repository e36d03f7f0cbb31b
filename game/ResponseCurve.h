#pragma once
#include "engine/RecordArray.h"
#include "engine/Status.h"

class IffFile;

// The player's stick response curve: records of five little-endian i32
// percentages {input low, input high, ignored, output low, output high}, as
// "CURV" chunks of a FORM "CTRL". The flight controls divide by the input
// span, so a record whose input high is not above its input low is refused.
namespace response_curve {

inline constexpr uint32_t kRecordBytes = 20;

// Reads the FORM "CTRL" the reader stands on into `curve` (replacing what
// it held only when the whole form is good): 0; 10 unreadable; 11 not a
// FORM "CTRL" or no record; 12 a ragged or inverted record.
Status ReadForm(IffFile& iff, DynArray20& curve);
// The first FORM "CTRL" of the file.
Status Load(const char* fileName, DynArray20& curve);

}  // namespace response_curve
