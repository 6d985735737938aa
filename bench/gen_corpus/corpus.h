// corpus.h - the benchmark corpus: the same messages as a Berkeley mailbox
// with LF and with CR LF line ends, as an Outlook Express folder file and
// as an Outlook personal-store file, with a summary.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gen_corpus/message.h"

namespace tessaly::bench {

enum class CorpusSize {
    Small,  // about 2,000 messages, 50 MB
    Large,  // about 20,000 messages, 350 MB
};

struct CorpusOptions {
    uint64_t seed = 1;
    CorpusSize size = CorpusSize::Small;
    uint64_t messages = 0;  // 0: the size's own count
};

uint64_t messageCountOf(const CorpusOptions& options);

// Every message in file order: dated from 1995 to 2026 in order, with a
// few exact repeats of earlier ones.
std::vector<GeneratedMessage> generateMessages(const CorpusOptions& options);

// Appends the mailbox entry of `message`: its From line, its text with each
// line beginning "From " written as ">From ", and an empty line.
void appendMailboxEntry(std::string& out, const GeneratedMessage& message, bool crlf);

// `text` with CR LF line ends (it has LF ones).
std::string crlfText(std::string_view text);

struct CorpusSummary {
    uint64_t seed = 0;
    uint64_t messages = 0;
    std::array<uint64_t, kMessageKindCount> kinds{};
    uint64_t attachments = 0;
    uint64_t attachmentBytes = 0;
    uint64_t encodedSubjects = 0;
    uint64_t fromLines = 0;        // body lines beginning "From "
    uint64_t quotedFromLines = 0;  // body lines beginning ">From "
    uint64_t mailboxBytes = 0;
    uint64_t crlfMailboxBytes = 0;
    uint64_t dbxBytes = 0;
    uint64_t pstBytes = 0;
};

CorpusSummary summarize(const std::vector<GeneratedMessage>& messages, uint64_t seed);
// The text of corpus.txt.
std::string summaryText(const CorpusSummary& summary);

// Writes Inbox.mbox, Inbox-crlf.mbox, Inbox.dbx, Inbox.pst and corpus.txt into
// `folder`, creating it. On failure returns false with `error` set.
bool writeCorpus(const std::string& folder, const CorpusOptions& options, CorpusSummary& summary,
                 std::string& error);

}  // namespace tessaly::bench
