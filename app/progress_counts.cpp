// progress_counts.cpp - the texts of the progress window's counts.
#include "app/progress_counts.h"

#include <cmath>
#include <cstdio>

#include "app/run.h"

namespace tessaly {

namespace {

// Below this the rate swings too much to tell anyone.
constexpr uint32_t kSettleMs = 2000;

std::string counted(uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

ProgressCounts progressCounts(const ArchiveRun& run, uint32_t nowTicks) {
    ProgressCounts counts;
    counts.messagesDone = run.messageCount;
    counts.messagesTotal = run.expectedMessages;
    counts.bytesDone = run.byteCount;
    counts.bytesTotal = run.expectedBytes;
    counts.elapsedMs = nowTicks - run.startTicks;  // wraps as the tick count does
    return counts;
}

std::string byteSizeText(uint64_t bytes) {
    if (bytes < 1000) return counted(bytes, "byte", "bytes");
    static const char* const kUnits[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1000;
    size_t unit = 0;
    // 999.96 kB would print as "1000.0 kB"
    while (value >= 999.95 && unit + 1 < sizeof kUnits / sizeof *kUnits) {
        value /= 1000;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string timeLeftText(double seconds) {
    if (!(seconds >= 0) || !std::isfinite(seconds)) return "";
    if (seconds < 60) return "less than a minute left";
    const auto minutes = static_cast<uint64_t>(std::lround(seconds / 60));
    if (minutes < 2) return "about a minute left";
    if (minutes < 90) return "about " + std::to_string(minutes) + " minutes left";
    const auto hours = static_cast<uint64_t>(std::lround(seconds / 3600));
    if (hours < 36) return "about " + std::to_string(hours) + " hours left";
    const auto days = static_cast<uint64_t>(std::lround(seconds / 86400));
    return "about " + std::to_string(days) + " days left";
}

ProgressLines describeProgress(const ProgressCounts& c) {
    ProgressLines lines;
    // A job may meet more than it announced (a file that grew): never show
    // "301 of 300".
    const bool messagesKnown = c.messagesTotal > 0 && c.messagesDone <= c.messagesTotal;
    const bool bytesKnown = c.bytesTotal > 0 && c.bytesDone <= c.bytesTotal;
    lines.messages = messagesKnown ? std::to_string(c.messagesDone) + " of " + counted(c.messagesTotal, "message", "messages")
                                   : counted(c.messagesDone, "message", "messages");
    if (c.bytesDone > 0 || bytesKnown) {
        lines.bytes = bytesKnown ? byteSizeText(c.bytesDone) + " of " + byteSizeText(c.bytesTotal) : byteSizeText(c.bytesDone);
    }
    if (c.elapsedMs < kSettleMs) return lines;
    const double seconds = c.elapsedMs / 1000.0;
    const double byteRate = c.bytesDone / seconds;
    const double messageRate = c.messagesDone / seconds;
    if (c.bytesDone > 0) lines.rate = byteSizeText(static_cast<uint64_t>(byteRate)) + "/s";
    // Bytes tell the time better than messages, whose sizes differ a lot.
    if (bytesKnown && c.bytesDone > 0) {
        lines.timeLeft = timeLeftText((c.bytesTotal - c.bytesDone) / byteRate);
    } else if (messagesKnown && c.messagesDone > 0) {
        lines.timeLeft = timeLeftText((c.messagesTotal - c.messagesDone) / messageRate);
    }
    return lines;
}

}  // namespace tessaly
