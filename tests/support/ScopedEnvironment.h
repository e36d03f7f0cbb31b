#pragma once
#include <optional>
#include <string>

// Sets an environment variable for the life of a scope, or clears it when
// the value is null, and puts back what was there before.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();

    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const std::string name_;
    std::optional<std::string> previous_;   // empty: the variable was not set
};
