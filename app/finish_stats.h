// finish_stats.h - the statistics a finished run reports, as the finish page
// words them.
#pragma once

#include <cstdint>
#include <string>

#include "app/run.h"

namespace tessaly {

// "1" + singular when n is 1, otherwise n + plural.
std::string countPhrase(uint32_t n, const std::string& singular, const std::string& plural);
// Empty when n is 0, otherwise as countPhrase.
std::string countClause(uint32_t n, const std::string& singular, const std::string& plural);
// 1023 bytes, 1.5k, 37k, 2.4Mb, 123Mb.
std::string sizeText(uint64_t bytes);
// 850ms, 2.5s, 12 secs.
std::string durationText(uint32_t ms);
// Tenths as 5.7, or whole from 10 up (rounded).
std::string tenthsText(uint32_t tenths);

// The finish page's summary: whether the run finished or was stopped,
// then the counts, sizes and rates, as HTML lines ending in "<br>\r\n".
std::string finishSummaryHtml(const ArchiveRun& run);

}  // namespace tessaly
