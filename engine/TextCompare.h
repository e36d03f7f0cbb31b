#pragma once

// Text comparisons the data needs, the same on every machine: names in the
// definition files are matched without regard to ASCII case.
namespace text {

// <0, 0 or >0 as strcmp, with 'A'-'Z' folded to 'a'-'z' and nothing else
// folded; a null text sorts before every other text.
int _stricmp(const char* a, const char* b);

}  // namespace text
