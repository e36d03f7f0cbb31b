#include "game/Script.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempDir.h"

namespace {

// The error of a script that must be refused.
std::string Refusal(const std::string& text) {
    Script script;
    std::string error;
    EXPECT_FALSE(script.Parse(text, &error)) << text;
    EXPECT_TRUE(script.Events().empty()) << "nothing of a refused script is kept";
    return error;
}

TEST(Script, ReadsEveryActionWithItsPassAndLine) {
    Script script;
    std::string error;
    ASSERT_TRUE(script.Parse("# a comment\n"
                             "\n"
                             "at 1 key Escape\r\n"
                             "  at 2 press left\n"
                             "at 2 release LEFT\n"
                             "at 3 click 639 479\n"
                             "at 4 move 0 0\n"
                             "at 5 type  two  spaces \n"
                             "at 5 key 200\n"
                             "at 5 key 1\n"
                             "at 5 key 01\n"
                             "at 6 key f12\n"
                             "at 9 quit\n",
                             &error))
        << error;
    const auto& events = script.Events();
    ASSERT_EQ(events.size(), 11u);
    EXPECT_EQ(events[0].action, ScriptAction::kKey);
    EXPECT_EQ(events[0].pass, 1);
    EXPECT_EQ(events[0].line, 3);
    EXPECT_EQ(events[1].action, ScriptAction::kPress);
    EXPECT_EQ(events[2].action, ScriptAction::kRelease);
    EXPECT_EQ(events[2].key, events[1].key) << "names are read in any case";
    EXPECT_EQ(events[3].action, ScriptAction::kClick);
    EXPECT_EQ(events[3].x, 639);
    EXPECT_EQ(events[3].y, 479);
    EXPECT_EQ(events[4].action, ScriptAction::kMove);
    EXPECT_EQ(events[5].text, " two  spaces ") << "only the one separating space goes";
    EXPECT_EQ(events[6].key, 200u) << "a key code";
    EXPECT_EQ(events[7].key, 0x02u) << "a lone digit is the digit's key";
    EXPECT_EQ(events[8].key, 0x01u) << "with a leading zero it is a key code";
    EXPECT_EQ(events[10].action, ScriptAction::kQuit);
    EXPECT_EQ(script.LastPass(), 9);
}

TEST(Script, RefusesKeyNamesItDoesNotKnow) {
    for (const char* bad : {"", "00", "256", "-1", "Esc", "F13", "F0", "AB", "1x", "99999999999999999999"}) {
        EXPECT_EQ(Script::KeyByName(bad), 0u) << bad;
    }
    EXPECT_EQ(Script::CharacterOfKey(Script::KeyByName("Q")), uint32_t('q'));
    EXPECT_EQ(Script::CharacterOfKey(Script::KeyByName("Up")), 0u) << "an arrow types nothing";
    EXPECT_EQ(Script::CharacterOfKey(0x0E), 8u) << "Backspace erases, as from the window";
}

TEST(Script, BadLinesAreRefusedWithTheirNumber) {
    const std::pair<const char*, const char*> cases[] = {
        {"key A\n", "line 1: expected \"at N WHAT\""},
        {"at\n", "line 1: the pass must be a whole number from 1 up"},
        {"\nat 0 key A\n", "line 2: the pass must be a whole number from 1 up"},
        {"at 2147483648 key A\n", "line 1: the pass must be a whole number from 1 up"},
        {"at 1e3 key A\n", "line 1: the pass must be a whole number from 1 up"},
        {"at 3\n", "line 1: nothing to do"},
        {"at 3 jump\n", "line 1: unknown action \"jump\""},
        {"at 3 wait\n", "line 1: wait needs some text"},
        {"wait-limit\n", "line 1: wait-limit needs a whole number of passes from 1 up"},
        {"wait-limit 0\n", "line 1: wait-limit needs a whole number of passes from 1 up"},
        {"wait-limit 5 passes\n", "line 1: wait-limit needs a whole number of passes from 1 up"},
        {"wait-limit 2147483648\n", "line 1: wait-limit needs a whole number of passes from 1 up"},
        {"at 3 key\n", "line 1: key needs one key"},
        {"at 3 key A B\n", "line 1: key needs one key"},
        {"at 3 press Esc\n", "line 1: no key is called \"Esc\""},
        {"at 3 click 640 0\n", "line 1: click needs X from 0 to 639 and Y from 0 to 479"},
        {"at 3 move 0 480\n", "line 1: move needs X from 0 to 639 and Y from 0 to 479"},
        {"at 3 move 5\n", "line 1: move needs X from 0 to 639 and Y from 0 to 479"},
        {"at 3 type\n", "line 1: type needs some text"},
        {"at 3 quit now\n", "line 1: quit takes nothing more"},
        {"at 3 key A\n# fine\nat 2 key B\n", "line 3: pass 2 comes after pass 3"},
    };
    for (const auto& [text, error] : cases) EXPECT_EQ(Refusal(text), error) << text;
}

TEST(Script, GarbageEndsInAnErrorNotACrash) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(char((i * 7919) & 0xFF));
    EXPECT_FALSE(Refusal(garbage).empty());
    EXPECT_EQ(Refusal(std::string("at 1 key A\nat 2 key \0B\n", 23)).substr(0, 8), "line 2: ");
}

TEST(Script, LoadNamesTheFileInItsErrors) {
    TempDir dir;
    Script script;
    std::string error;
    EXPECT_FALSE(script.Load(dir.Str() + "/none.txt", &error));
    EXPECT_EQ(error, dir.Str() + "/none.txt cannot be read");
    dir.WriteFile("bad.txt", "at 2 key A\nat 1 key A\n");
    EXPECT_FALSE(script.Load(dir.Str() + "/bad.txt", &error));
    EXPECT_EQ(error, dir.Str() + "/bad.txt: line 2: pass 1 comes after pass 2");
    dir.WriteFile("good.txt", "at 2 key A");
    EXPECT_TRUE(script.Load(dir.Str() + "/good.txt", &error)) << error;
    EXPECT_EQ(script.Events().size(), 1u) << "a last line without its end";
}

}  // namespace

// Waits give up after a few minutes of passes unless the script says how
// many; the last such line counts, and a refused script keeps no bound.
TEST(Script, TheWaitLimitIsTheDefaultOrTheScriptsOwn) {
    Script script;
    std::string error;
    ASSERT_TRUE(script.Parse("at 2 wait screen HANGAR\n", &error)) << error;
    EXPECT_EQ(script.WaitLimit(), Script::kDefaultWaitLimit);
    ASSERT_TRUE(script.Parse("wait-limit 40\nat 2 wait screen HANGAR\n  wait-limit 90\n", &error)) << error;
    EXPECT_EQ(script.WaitLimit(), 90);
    EXPECT_EQ(script.Events().size(), 1u);
    EXPECT_FALSE(script.Parse("wait-limit 40\nat 2 jump\n", &error));
    EXPECT_EQ(script.WaitLimit(), Script::kDefaultWaitLimit);
}
