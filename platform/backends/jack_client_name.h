#pragma once
// Names for the program's JACK clients.

#include <string>
#include <string_view>

namespace platform {

// `base` made unique on the machine: "<base>-<process id>-<serial>". libjack keeps a client's
// socket under a path made of the client's name and the user alone, not the server's name, and
// a new client takes that path from whoever holds it. Two clients of one name opening at the
// same moment (an output reopened at once, two programs, or a program beside another on a
// second server) would take each other's socket, and one or both would fail to open.
std::string uniqueJackClientName(std::string_view base);

}  // namespace platform
