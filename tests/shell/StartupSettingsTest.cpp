#include "shell/StartupSettings.h"

#include <gtest/gtest.h>

#include "engine/IniFile.h"
#include "tests/support/TempDir.h"

namespace {

TEST(StartupSettings, ReadsTheFourKeysWhateverTheFileNamesCase) {
    TempDir dir;
    dir.WriteFile("Vorn.ini",
                  "[Other]\r\nMouse=7\r\n[Startup]\r\nMouse_Sensitivity=5\r\nMouse = 1\r\nJoystick=0 ; off\r\n"
                  "FullScreen=1\r\n");
    IniFile reader;
    const StartupSettings settings = StartupSettings::Read(reader, dir.Str() + "/VORN.INI");
    EXPECT_EQ(settings.mouse, 1);
    EXPECT_EQ(settings.joystick, 0);
    EXPECT_EQ(settings.mouseSensitivity, 5);
    EXPECT_EQ(settings.fullScreen, 1);
}

TEST(StartupSettings, MissingFileOrKeysReadAsZero) {
    TempDir dir;
    IniFile missing;
    const StartupSettings none = StartupSettings::Read(missing, dir.Str() + "/VORN.INI");
    EXPECT_EQ(none.mouse, 0);
    EXPECT_EQ(none.fullScreen, 0);

    dir.WriteFile("VORN.INI", "[Startup]\nJoystick=3\n");
    IniFile partial;
    const StartupSettings some = StartupSettings::Read(partial, dir.Str() + "/VORN.INI");
    EXPECT_EQ(some.joystick, 3);
    EXPECT_EQ(some.mouse, 0);
    EXPECT_EQ(some.mouseSensitivity, 0);
}

}  // namespace
