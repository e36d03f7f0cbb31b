#pragma once

#include <string>

// The sample tree the benchmarks of a run read, written once, in a folder
// of this process's own: two runs at once (one build timed against
// another) would otherwise write one folder together. It is removed when
// the run ends. Empty, the reason in *error, when it cannot be written.
const std::string& BenchSampleTree(std::string* error = nullptr);
