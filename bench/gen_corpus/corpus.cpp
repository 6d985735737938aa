// corpus.cpp - generating the corpus and writing its files.
#include "gen_corpus/corpus.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "gen_corpus/dates.h"
#include "gen_corpus/pst_message.h"
#include "support/dbx_writer.h"
#include "support/pst_writer.h"

namespace tessaly::bench {

namespace {

// Repeats per thousand messages.
constexpr uint64_t kDuplicatesPerMille = 5;

AttachmentSizes attachmentSizesOf(CorpusSize size) {
    AttachmentSizes sizes;
    sizes.smallOctaves = 8;
    sizes.bigPerMille = size == CorpusSize::Large ? 4 : 30;
    return sizes;
}

// Counts lines of `text` beginning with `prefix`.
uint64_t linesBeginning(std::string_view text, std::string_view prefix) {
    uint64_t count = text.starts_with(prefix) ? 1 : 0;
    const std::string needle = "\n" + std::string(prefix);
    for (size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + 1)) ++count;
    return count;
}

// Writes a file in large pieces.
class OutputFile {
public:
    explicit OutputFile(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "wb")) {}
    ~OutputFile() {
        if (file_) std::fclose(file_);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool write(std::string_view bytes, std::string& error) {
        if (!file_ || std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) return fail(error);
        written_ += bytes.size();
        return true;
    }
    bool close(std::string& error) {
        FILE* file = file_;
        file_ = nullptr;
        if (!file || std::fclose(file) != 0) return fail(error);
        return true;
    }
    uint64_t written() const { return written_; }

private:
    bool fail(std::string& error) {
        error = path_ + ": " + std::strerror(errno);
        return false;
    }

    std::string path_;
    FILE* file_;
    uint64_t written_ = 0;
};

bool writeMailbox(const std::string& path, const std::vector<GeneratedMessage>& messages, bool crlf,
                  uint64_t& bytes, std::string& error) {
    OutputFile file(path);
    std::string buffer;
    buffer.reserve(32u << 20);
    for (const GeneratedMessage& message : messages) {
        appendMailboxEntry(buffer, message, crlf);
        if (buffer.size() >= (16u << 20)) {
            if (!file.write(buffer, error)) return false;
            buffer.clear();
        }
    }
    if (!file.write(buffer, error) || !file.close(error)) return false;
    bytes = file.written();
    return true;
}

}  // namespace

uint64_t messageCountOf(const CorpusOptions& options) {
    if (options.messages) return options.messages;
    return options.size == CorpusSize::Large ? 20000 : 2000;
}

std::vector<GeneratedMessage> generateMessages(const CorpusOptions& options) {
    const uint64_t count = messageCountOf(options);
    AttachmentSizes sizes = attachmentSizesOf(options.size);
    Random random(options.seed);
    sizes.credit = static_cast<unsigned>(random.below(1000));
    // Steps of 1 to 2 * mean seconds, so that the dates are all different
    // and end, give or take, near the end of 2026.
    const int64_t first = secondsAt(1995, 1, 1);
    const uint64_t span = static_cast<uint64_t>(secondsAt(2026, 11, 1) - first);
    const uint64_t meanStep = span / count;

    std::vector<GeneratedMessage> messages;
    messages.reserve(count);
    int64_t utc = first;
    for (uint64_t i = 0; i < count; ++i) {
        if (i >= 20 && random.chance(kDuplicatesPerMille, 1000)) {
            messages.push_back(messages[random.below(i)]);
            messages.back().kind = MessageKind::Duplicate;
            continue;
        }
        utc += static_cast<int64_t>(1 + random.below(2 * meanStep));
        messages.push_back(makeMessage(random, sizes, i + 1, utc));
    }
    return messages;
}

void appendMailboxEntry(std::string& out, const GeneratedMessage& message, bool crlf) {
    const char* lineEnd = crlf ? "\r\n" : "\n";
    out.reserve(out.size() + message.text.size() + message.text.size() / 40 + 100);
    out += message.fromLine;
    out += lineEnd;
    const std::string_view text = message.text;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        if (text.compare(start, 5, "From ") == 0) out += '>';
        out.append(text, start, end - start);
        if (end < text.size()) out += lineEnd;
        start = end + 1;
    }
    out += lineEnd;
}

std::string crlfText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 30 + 16);
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', start)) {
        out.append(text, start, end - start);
        out += "\r\n";
        start = end + 1;
    }
    out.append(text, start);
    return out;
}

CorpusSummary summarize(const std::vector<GeneratedMessage>& messages, uint64_t seed) {
    CorpusSummary summary;
    summary.seed = seed;
    summary.messages = messages.size();
    for (const GeneratedMessage& message : messages) {
        ++summary.kinds[static_cast<size_t>(message.kind)];
        summary.attachments += message.attachments;
        summary.attachmentBytes += message.attachmentBytes;
        summary.encodedSubjects += message.encodedSubject;
        summary.fromLines += linesBeginning(message.text, "From ");
        summary.quotedFromLines += linesBeginning(message.text, ">From ");
    }
    return summary;
}

std::string summaryText(const CorpusSummary& summary) {
    std::string out;
    auto line = [&](const std::string& name, uint64_t value) { out += name + ": " + std::to_string(value) + "\n"; };
    line("seed", summary.seed);
    line("messages", summary.messages);
    line("bytes Inbox.mbox", summary.mailboxBytes);
    line("bytes Inbox-crlf.mbox", summary.crlfMailboxBytes);
    line("bytes Inbox.dbx", summary.dbxBytes);
    line("bytes Inbox.pst", summary.pstBytes);
    for (size_t i = 0; i < kMessageKindCount; ++i) {
        line(std::string("kind ") + kindName(static_cast<MessageKind>(i)), summary.kinds[i]);
    }
    line("attachments and inline images", summary.attachments);
    line("attachment bytes decoded", summary.attachmentBytes);
    line("encoded subjects", summary.encodedSubjects);
    line("body lines beginning \"From \" (\">From \" in the mailboxes)", summary.fromLines);
    line("body lines beginning \">From \"", summary.quotedFromLines);
    return out;
}

bool writeCorpus(const std::string& folder, const CorpusOptions& options, CorpusSummary& summary,
                 std::string& error) {
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (code) {
        error = folder + ": " + code.message();
        return false;
    }
    std::vector<GeneratedMessage> messages = generateMessages(options);
    summary = summarize(messages, options.seed);
    if (!writeMailbox(folder + "/Inbox.mbox", messages, false, summary.mailboxBytes, error) ||
        !writeMailbox(folder + "/Inbox-crlf.mbox", messages, true, summary.crlfMailboxBytes, error)) {
        return false;
    }

    // The personal store gets every message, repeats too, in one folder.
    {
        std::vector<test::PstFolder> folders(1);
        folders[0].name = "Inbox";
        folders[0].messages.reserve(messages.size());
        for (const GeneratedMessage& m : messages) folders[0].messages.push_back(pstMessageOf(m.text));
        const std::string path = folder + "/Inbox.pst";
        if (!test::writePstFile(path, folders)) {
            error = path + ": " + std::strerror(errno);
            return false;
        }
        std::error_code sizeCode;
        summary.pstBytes = std::filesystem::file_size(path, sizeCode);
    }

    // Outlook Express keeps the texts with CR LF; the mailbox texts go as
    // they are converted.
    std::vector<test::DbxTestMessage> stored(messages.size());
    for (size_t i = 0; i < messages.size(); ++i) {
        stored[i].text = crlfText(messages[i].text);
        stored[i].subject = messages[i].subject;
        stored[i].senderName = messages[i].senderName;
        stored[i].receiverName = messages[i].recipientName;
        std::string().swap(messages[i].text);
    }
    test::DbxMailOptions dbxOptions;
    dbxOptions.folderName = "Inbox";
    // Offsets beyond 16 MB do not fit a direct (24-bit) value.
    dbxOptions.directAddress = false;
    uint64_t total = test::kInfoStart;
    for (const test::DbxTestMessage& m : stored) total += m.text.size() + m.text.size() / 32 + 1024;
    if (total >= (uint64_t{1} << 31)) {
        error = "the messages do not fit a DBX file below 2 GB; ask for fewer";
        return false;
    }
    const std::string dbx = test::makeDbxMailFile(stored, dbxOptions).bytes;
    stored.clear();
    OutputFile file(folder + "/Inbox.dbx");
    if (!file.write(dbx, error) || !file.close(error)) return false;
    summary.dbxBytes = dbx.size();

    OutputFile text(folder + "/corpus.txt");
    return text.write(summaryText(summary), error) && text.close(error);
}

}  // namespace tessaly::bench
