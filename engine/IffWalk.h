#pragma once
#include <cstdint>

#include "engine/Status.h"

class IffFile;

// Walking a chunk file whose sizes and counts cannot be trusted: every step
// the reader refuses ends the walk, and chunks are copied bounded by the
// field they land in.
namespace iff_walk {

// The next chunk of the level: kStatusOk, kStatusEndOfData at its end, or
// kStatusCannotOpen when the reader refused the step (it would refuse again).
Status Step(IffFile& iff);
// From the reader's place on: the next plain chunk `id`, or with `id` FORM
// the next form of `formType`.
Status FindNext(IffFile& iff, uint32_t id, uint32_t formType = 0);
// The current chunk's first bytes, at most `capacity`, into `to`; the rest
// is passed over. The number copied; 0 when it cannot be read (or is larger
// than any record of ours, 64 KB).
uint32_t ReadBounded(IffFile& iff, void* to, uint32_t capacity);

}  // namespace iff_walk
