#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

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
// The current chunk as a text up to its first NUL; false when it is longer
// than `maximum` bytes or cannot be read.
bool ReadText(IffFile& iff, uint32_t maximum, std::string* out);
// What a walk does with the chunk it stands on: goes on past it, enters it
// (a form), or stops there.
enum class Choice { kPass, kEnter, kStop };
// From the reader's place on, every chunk to the end of the file: `choose`
// sees each (it may read the chunk, or enter and leave a form, as long as it
// leaves the reader at that chunk's level) and the walk enters the forms it
// asks to enter; at the end of a level below the top the walk ascends and
// goes on. kStatusOk when `choose` stopped it, kStatusEndOfData at the end
// of the file, kStatusCannotOpen when the reader refused a step, a descent or
// an ascent (going on would meet the same broken header for ever).
Status Walk(IffFile& iff, const std::function<Choice(IffFile&)>& choose);
// From the reader's place at the top level on, every form nested as `path`
// names: forms of path[0] at the top level are entered, forms of path[1]
// inside them, and so on; the visitor gets the reader standing on each form
// of the last type (not entered) and returns false to stop there. It must
// leave the reader at that form's level. kStatusOk at the end of the file
// or when stopped, kStatusCannotOpen when the reader refused a step.
Status ForEachNested(IffFile& iff, std::initializer_list<uint32_t> path, const std::function<bool(IffFile&)>& visit);

}  // namespace iff_walk
