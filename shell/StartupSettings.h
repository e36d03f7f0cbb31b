#pragma once
#include <cstdint>
#include <string>

class IniFile;

// The "Startup" section of "VORN.INI"; a missing file or key reads as 0.
struct StartupSettings {
    static constexpr const char* kFileName = "VORN.INI";
    static constexpr const char* kSection = "Startup";

    int32_t mouse = 0;
    int32_t joystick = 0;
    int32_t mouseSensitivity = 0;
    int32_t fullScreen = 0;

    // Opens `path` through `reader`'s own stream and reads the four keys.
    static StartupSettings Read(IniFile& reader, const std::string& path);
};
