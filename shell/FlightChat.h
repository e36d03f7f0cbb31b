#pragma once
#include <cstdint>

class GameState;
class KeySet;

// Chat in flight. The chat command starts a line (typed into a 255-byte
// text buffer, to "ALL", from the ship's name); the send command sends it as
// "<ship>: [<line>]" and shows it on the cockpit; each of the ten
// exclamation commands sends its sound (1 to 9, then 0) with no text and
// plays that entry of the exclamation table here. With an open session the
// host sends to all and a client to the server; without one only this
// machine's part happens.
//
// Run on every mode-2 frame after the capture, before the other commands.
void HandleFlightChat(GameState& game);

// True while a chat line takes the keys: the capture then keeps only the
// send command, so typing a letter fires nothing.
bool ChatIsTyping(const GameState& game);
// The commands the capture may take this frame: all of them, or while a
// line is typed only the send command.
KeySet ChatCaptureMask(const GameState& game);
