#include "shell/RunTrace.h"

#include <gtest/gtest.h>

#include <string>

#include "game/Cockpit.h"
#include "screens/NetLobbyScreen.h"

// Each line once, in order; a mode only when it changes (not the first), a cleared message
// line not at all, and nothing once disabled.
TEST(RunTrace, PrintsScreensModeChangesMessagesAndChat) {
    testing::internal::CaptureStdout();
    run_trace::Enable();
    run_trace::Screen("NETOPT");
    run_trace::Mode(2);
    run_trace::Mode(4);
    run_trace::Mode(4);
    run_trace::Mode(1);
    ASSERT_NE(Cockpit::messageShown, nullptr);
    ASSERT_NE(NetLobbyScreen::chatLineAdded, nullptr);
    Cockpit::messageShown("Kestrel: [go]");
    Cockpit::messageShown("");
    ASSERT_NE(Cockpit::radioShown, nullptr);
    Cockpit::radioShown("Alpha 2", "Got one!");
    NetLobbyScreen::chatLineAdded("Ann : hi");
    run_trace::Disable();
    run_trace::Screen("HANGAR");
    EXPECT_EQ(Cockpit::messageShown, nullptr);
    EXPECT_EQ(Cockpit::radioShown, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "screen NETOPT\nmode 4\nmode 1\nmessage \"Kestrel: [go]\"\nradio \"Alpha 2\" \"Got one!\"\nchat \"Ann : hi\"\n");
}
