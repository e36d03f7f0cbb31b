#include "shell/StartupSettings.h"

#include "engine/FileWrappers.h"
#include "engine/IniFile.h"

StartupSettings StartupSettings::Read(IniFile& reader, const std::string& path) {
    StartupSettings settings;
    // A file that does not open leaves the reader without text, so every
    // lookup below fails and reads as 0.
    if (reader.GetStream().Open(path.c_str(), kOpenRead) == kStatusOk) reader.Load();
    reader.SetSection(kSection);
    settings.mouse = reader.GetInt("Mouse");
    settings.joystick = reader.GetInt("Joystick");
    settings.mouseSensitivity = reader.GetInt("Mouse_Sensitivity");
    settings.fullScreen = reader.GetInt("FullScreen");
    return settings;
}
