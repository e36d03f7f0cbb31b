#pragma once
#include <string>

// "scripts/host-coop.txt" and "scripts/join-coop.txt" under the tree's
// root: two players' scripted input from the first screen's multiplayer
// start into one cooperative game. The host creates pilot Ann, hosts
// without teams, readies itself and presses Start until everyone is ready;
// the client creates Bob, joins "Ann's game" over TCP/IP, says "hello" and
// readies itself. Both launch from the hangar and end with `quit`.
bool WriteNetScripts(const std::string& root);
