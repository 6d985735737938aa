// progress_counts.h - the counts a run's progress window shows under its
// bars: messages and bytes done (of the totals the job announced), the
// rate and an estimate of the time left.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

struct ArchiveRun;

struct ProgressCounts {
    uint32_t messagesDone = 0;
    uint32_t messagesTotal = 0;  // 0 when the job cannot tell
    uint64_t bytesDone = 0;
    uint64_t bytesTotal = 0;     // 0 when the job cannot tell
    uint32_t elapsedMs = 0;
};

// The counts of a run in progress at tick count `nowTicks`.
ProgressCounts progressCounts(const ArchiveRun& run, uint32_t nowTicks);

// Each line is empty when there is nothing sensible to say yet.
struct ProgressLines {
    std::string messages;  // "12 of 300 messages", "12 messages"
    std::string bytes;     // "1.2 MB of 12.3 MB", "1.2 MB"
    std::string rate;      // "2.5 MB/s"
    std::string timeLeft;  // "about 2 minutes left"
};

ProgressLines describeProgress(const ProgressCounts& counts);

// "1 byte", "999 bytes", "1.0 kB", "12.3 MB", "4.0 GB": decimal units, as
// GNOME shows file sizes.
std::string byteSizeText(uint64_t bytes);

// "less than a minute left", "about a minute left", "about 2 minutes left",
// "about 3 hours left", "about 2 days left".
std::string timeLeftText(double seconds);

}  // namespace tessaly
