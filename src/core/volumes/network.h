#pragma once
// Connecting to and disconnecting from network locations: what the interface's
// dialogs check before they hand a location to GIO (the mounting itself is the
// platform's network_mounts, run on a worker).

#include <string>
#include <string_view>

#include "platform/network_mounts.h"

namespace arbel::volumes {

struct LocationCheck {
    std::string location;  // the typed text without surrounding blanks
    std::string problem;   // what is wrong with it for the user; empty when it may be tried
};
LocationCheck checkLocation(std::string_view typed);

}  // namespace arbel::volumes
