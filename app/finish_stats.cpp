// finish_stats.cpp - counts, sizes, durations and rates of a finished run.
#include "app/finish_stats.h"

namespace tessaly {

namespace {

std::string decimal(uint64_t n) { return std::to_string(n); }

// Rates of a very short run can exceed 32 bits; they are shown at the most.
uint32_t clampedCount(double value) {
    return value >= 4294967295.0 ? 4294967295u : value <= 0 ? 0u : static_cast<uint32_t>(value);
}

}  // namespace

std::string countPhrase(uint32_t n, const std::string& singular, const std::string& plural) {
    return n == 1 ? "1" + singular : decimal(n) + plural;
}

std::string countClause(uint32_t n, const std::string& singular, const std::string& plural) {
    return n == 0 ? std::string() : countPhrase(n, singular, plural);
}

std::string sizeText(uint64_t n) {
    if (n < 1024) return decimal(n) + " bytes";
    if (n < 10240) return decimal(n / 1024) + "." + decimal((n % 1024) * 10 / 1024) + "k";
    const uint64_t k = n / 1024;
    if (k < 1024) return decimal(k) + "k";
    if (k < 10240) return decimal(k / 1024) + "." + decimal((k % 1024) * 10 / 1024) + "Mb";
    return decimal(k / 1024) + "Mb";
}

std::string durationText(uint32_t ms) {
    if (ms < 1000) return decimal(ms) + "ms";
    if (ms <= 9999) return decimal(ms / 1000) + "." + decimal((ms % 1000) / 100) + "s";
    return decimal(ms / 1000) + " secs";
}

std::string tenthsText(uint32_t t) {
    if (t >= 100) return decimal((static_cast<uint64_t>(t) + 5) / 10);
    return decimal(t / 10) + "." + decimal(t % 10);
}

std::string finishSummaryHtml(const ArchiveRun& run) {
    std::string out = "<p style=\"margin-bottom: 1ex;\">Archiving ";
    out += run.stopRequested ? "was stopped.</p>" : "is finished.</p>";
    out += "<p style=\"margin-top: 1ex; margin-bottom: 1ex; margin-left: 3ex;\">\r\n";
    out += countPhrase(run.folderCount, " folder", " folders") + "<br>\r\n";
    out += countPhrase(run.messageCount, " message total", " messages total");
    if (run.offlineCount > 0 || run.duplicateCount > 0 || run.alreadyArchivedCount > 0 ||
        run.folderDataCount > 0 || run.deletedCount > 0 || run.problemCount > 0) {
        out += ", of which";
    }
    out += "<br>\r\n";
    if (run.duplicateCount) {
        out += countClause(run.duplicateCount, " was a <a href=\"help:done.html\">duplicate",
                           " were <a href=\"help:done.html\">duplicates") +
               "</a><br>\r\n";
    }
    if (run.alreadyArchivedCount) {
        out += countClause(run.alreadyArchivedCount, " was", " were") +
               " <a href=\"help:done.html\">already in the archive</a><br>\r\n";
    }
    if (run.offlineCount) {
        out += countClause(run.offlineCount, " was", " were") +
               " <a href=\"help:done.html\">offline and couldn't be archived</a><br>\r\n";
    }
    if (run.folderDataCount) {
        out += countClause(run.folderDataCount, " was", " were") +
               " <a href=\"help:err_folderdata.html\">the mail server's folder information</a><br>\r\n";
    }
    if (run.deletedCount) {
        out += countClause(run.deletedCount, " was", " were") +
               " <a href=\"help:done.html\">deleted in the mail program, and left out</a><br>\r\n";
    }
    if (run.problemCount >= 1) out += decimal(run.problemCount) + " caused problems (see below)<br>\r\n";
    out += sizeText(run.byteCount) + " in " + durationText(run.elapsedMs);
    if (run.elapsedMs > 0) {
        const double seconds = run.elapsedMs * 0.001;
        out += "<br>\r\n" + sizeText(clampedCount(ratio(run.byteCount, seconds))) + "/sec, " +
               tenthsText(clampedCount(ratio(run.messageCount, seconds) * 10)) + " msgs/sec";
    }
    out += "</p>\r\n\r\n";
    return out;
}

}  // namespace tessaly
