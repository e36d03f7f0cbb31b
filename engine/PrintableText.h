#pragma once
#include <string>
#include <string_view>

// Texts from files and packets made fit for a log line or a report: every
// byte outside printable ASCII, and the backslash and double quote that
// would end or confuse a quoted name, written as \xNN.
std::string PrintableText(std::string_view text);
// Whether PrintableText would change nothing.
bool IsPrintableText(std::string_view text);
