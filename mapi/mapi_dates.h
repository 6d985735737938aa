// mapi_dates.h - the date texts of MAPI times (FILETIME, UTC).
#pragma once

#include <string>

#include "platform/time.h"

namespace tessaly {

// "Tue, 30 Aug 2017 19:26:03 +0000 (UTC)".
std::string utcDateText(const FILETIME& time);

// The moment in local time with the local zone, shifted by the zone's
// current bias as Windows shifts file times: "Tue, 30 Aug 2017 21:26:04
// +0200 (CES)".
std::string localDateText(const FILETIME& time);

}  // namespace tessaly
