#pragma once
#include <string>

// Writes the whole sample data tree under `root`: the seven data
// directories with their probe files, VORN.INI, and every data file of the
// samples. False, with the reason in *error, at the first failure.
bool WriteSampleTree(const std::string& root, std::string* error);
