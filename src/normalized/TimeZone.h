#pragma once
// The one platform-specific piece of the conversions.

#include <optional>

namespace clinova {

// Minutes to add to the machine's local time to get UTC, as the zone is at this moment (daylight saving
// included): -60 one hour east of UTC. Empty when the zone cannot be read.
std::optional<int> CurrentTimeZoneBias();

} // namespace clinova
