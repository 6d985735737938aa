// eml_to_mailbox.cpp - packing folders of .eml files into mailbox files.
#include "sources/eml_to_mailbox.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <queue>
#include <vector>

#include "message/dates.h"
#include "message/headers.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/time.h"
#include "sources/scan_pass.h"

namespace tessaly {

namespace {

struct TEmlDirInfo {
    std::string path;
    std::string relativeName;
    uint32_t count = 0;
};

struct TEmlFileInfo {
    std::string name;
    FILETIME lastWriteTime;
};

// Earliest last-write time on top of the queue.
struct TEmlFileComparator {
    bool operator()(const TEmlFileInfo& a, const TEmlFileInfo& b) const {
        return fileTimeValue(a.lastWriteTime) > fileTimeValue(b.lastWriteTime);
    }
};

const char kScanning[] = "Scanning folders...";

bool isEmlFile(const FolderEntry& entry) {
    if (entry.isFolder || entry.size >= (uint64_t{1} << 32)) return false;
    return equalsIgnoringCase(extensionOf(entry.name), ".eml");
}

// Breadth first from the root; linked folders are not followed, so a link
// back up the tree cannot make the walk endless.
std::vector<TEmlDirInfo> scanFolders(JobRun& run, const std::string& root, uint32_t& total) {
    std::vector<TEmlDirInfo> found;
    std::deque<std::string> work{root};
    uint64_t entriesSeen = 0;
    std::vector<FolderEntry> entries;
    run.setProgress(kScanning, 0, "", 0);
    while (!work.empty()) {
        const std::string folder = work.front();
        work.pop_front();
        TEmlDirInfo info;
        info.path = folder;
        info.relativeName = folder == root ? baseName(withoutTrailingSlash(root))
                                           : folder.substr(root.size() + 1);
        listFolder(folder, entries);
        for (const FolderEntry& entry : entries) {
            if (++entriesSeen % 200 == 0) {
                run.setProgress(kScanning, 0, baseName(folder),
                                static_cast<double>((entriesSeen / 200) % 100) / 100);
            }
            if (entry.isFolder) {
                if (!entry.isLink) work.push_back(folder + "/" + entry.name);
            } else if (isEmlFile(entry)) {
                ++info.count;
                ++total;
            }
        }
        if (info.count > 0) found.push_back(std::move(info));
    }
    return found;
}

void logPathProblem(JobRun& run, const char* literal, const std::string& path) {
    run.runProblem(literal + htmlEscape(path) + " - " + htmlEscape(systemErrorText()));
}

// Header problems of a message that reaches the mailbox are reported but do
// not count it among the messages with problems: only a message left out
// does.
class UncountedProblems final : public ProblemReporter {
public:
    explicit UncountedProblems(ProblemReporter& run) : run_(run) {}
    void messageProblem(std::string_view line, std::string_view tail) override { run_.messageNote(line, tail); }
    void messageNote(std::string_view line, std::string_view tail) override { run_.messageNote(line, tail); }
    void folderProblem(std::string_view line) override { run_.folderProblem(line); }
    void runProblem(std::string_view line) override { run_.runProblem(line); }
    void markMessage() override {}
    std::string messageWhere() const override { return run_.messageWhere(); }
    MessageRef currentMessage() const override { return run_.currentMessage(); }
    void lateMessageProblem(const MessageRef& message, std::string_view line) override {
        run_.lateMessageProblem(message, line);
    }

private:
    ProblemReporter& run_;
};

// Lines are quoted the mboxrd way: every line that begins "From " after
// any number of ">" gets one ">" more, the first line too, so that no
// mailbox reader (this one, Python's, mutt's, Thunderbird's) takes it for
// a message's "From " line, and a reader that unquotes gets the text back.
// Carriage returns are dropped on the way, so a line "\rFrom " (a stray
// CR, or LF CR line ends) is written as a From line: they are skipped here.
bool needsQuote(const char* p, const char* end) {
    while (p < end && (*p == '>' || *p == '\r')) ++p;
    return end - p >= 5 && std::memcmp(p, "From ", 5) == 0;
}

// The sender as the one word of the "From " line: the first run of the
// address that holds an "@" and no blank, bracket or quote. A From header
// with comments or without angle brackets ("Alice alice@example.org") would
// otherwise put several words there, and a line the mailbox reader refuses.
std::string envelopeSender(const std::string& address) {
    const std::string_view separators = " \t\r\n<>()[]\",;";
    size_t start = 0;
    while (start < address.size()) {
        const size_t stop = std::min(address.find_first_of(separators, start), address.size());
        const std::string_view word = std::string_view(address).substr(start, stop - start);
        if (word.size() > 1 && word.find('@') != std::string_view::npos && word.front() != '@') {
            return std::string(word);
        }
        start = stop + 1;
    }
    return kPlaceholderSender;
}

std::string fromLineDate(const TMessageInfo& info) {
    SYSTEMTIME when = getLocalTime();
    if (info.sentTime.wYear != 0) {
        // Converting there and back fills in the day of the week.
        FILETIME ft;
        SYSTEMTIME normalised;
        if (systemTimeToFileTime(info.sentTime, ft) && fileTimeToSystemTime(ft, normalised)) {
            when = normalised;
        }
    }
    return formatAsctimeDate(when);
}

// "<folder>.bmf", or the first "<folder> (n).bmf" that is free: a file
// already there (a mailbox of an earlier run, or anything else) is kept.
std::string freeMailboxPath(const std::string& folder) {
    std::string path = folder + ".bmf";
    for (int n = 2; pathExists(path) || isLink(path); ++n) path = folder + " (" + std::to_string(n) + ").bmf";
    return path;
}

void writeFolder(JobRun& run, Charsets& charsets, const TEmlDirInfo& dir, uint32_t& done, uint32_t total,
                 std::vector<PackedMailbox>& packedSoFar) {
    // Staged: the mailbox appears whole, or not at all.
    OutputFile mailbox;
    PackedMailbox packed;
    packed.path = freeMailboxPath(dir.path);
    if (packed.path != dir.path + ".bmf") packed.takenPath = dir.path + ".bmf";
    const std::string& mailboxPath = packed.path;
    if (!mailbox.createStaged(mailboxPath)) {
        logPathProblem(run, "Error: <a href=\"help:err_createhtml\">cannot create bmf file</a> - ",
                       mailboxPath);
        return;
    }
    run.startFolder(htmlEscape(dir.relativeName) + "/");

    std::priority_queue<TEmlFileInfo, std::vector<TEmlFileInfo>, TEmlFileComparator> queue;
    std::vector<FolderEntry> entries;
    listFolder(dir.path, entries);
    for (const FolderEntry& entry : entries) {
        if (isEmlFile(entry)) queue.push({entry.name, entry.lastWriteTime});
    }

    UncountedProblems headerProblems(run);
    while (!queue.empty() && !run.shouldStop()) {
        const TEmlFileInfo file = queue.top();
        queue.pop();
        run.startMessage();
        run.setProgress("Overall", ratio(++done, total), dir.relativeName,
                        ratio(run.messagesInFolder(), dir.count));
        run.setMessageText(htmlEscape(file.name));
        // Every message that does not reach the mailbox counts as a problem.
        bool written = false;

        const std::string path = dir.path + "/" + file.name;
        MappedFile text;
        switch (text.open(path)) {
            case MappedFile::Status::Ok: {
                run.addBytes(text.size());
                const std::string message = mailboxMessage(headerProblems, charsets, text.data(), text.end());
                if (text.truncatedWhileMapped()) {
                    run.runProblem(kTruncatedLine + htmlEscape(path));
                } else if (!message.empty()) {
                    mailbox.write(message);
                    written = true;
                }
                break;
            }
            case MappedFile::Status::CannotOpen:
                logPathProblem(run, "Error: <a href=\"help:err_openfile.html\">cannot open file</a> - ", path);
                break;
            case MappedFile::Status::Empty: break;  // nothing to write, like a blank file
            default:
                logPathProblem(run, "Error: <a href=\"help:err_mapfile.html\">cannot map file</a> - ", path);
                break;
        }
        if (!written) run.markMessage();
        run.finishMessage();
    }
    if (!mailbox.commit(CreateMode::New)) {
        logPathProblem(run, "Error: <a href=\"help:err_createhtml\">cannot create bmf file</a> - ",
                       mailboxPath);
        return;
    }
    if (!packed.takenPath.empty()) {
        run.runProblem("Warning: <a href=\"help:emlbmf.html\">a file of that name is already there</a> - " +
                       htmlEscape(packed.takenPath) + " is left as it is; the messages are in " +
                       htmlEscape(packed.path));
    }
    packedSoFar.push_back(std::move(packed));
}

}  // namespace

std::string mailboxMessage(ProblemReporter& problems, Charsets& charsets, const char* begin, const char* end) {
    const char* text = begin;
    while (text < end && (*text == '\r' || *text == '\n' || *text == '\t' || *text == ' ')) ++text;
    if (text == end) return {};

    TMessageInfo info;
    parseHeaders(problems, charsets, &info, nullptr, text, end, false);
    std::string out = "From ";
    out += envelopeSender(info.fromAddress);
    out += ' ';
    out += fromLineDate(info);
    out += "\r\n";

    out.reserve(out.size() + static_cast<size_t>(end - text) * 2 + 4);
    if (needsQuote(text, end)) out += '>';
    for (const char* p = text; p < end; ++p) {
        if (*p == '\r') continue;
        if (*p == '\n') {
            out += "\r\n";
            if (needsQuote(p + 1, end)) out += '>';
        } else {
            out += *p;
        }
    }

    // Close the message with an empty line: two line ends after a last line
    // without one, one after a single line end, none after an empty line.
    size_t i = static_cast<size_t>(end - begin);
    int count = 2;
    if (begin[i - 1] == '\n') {
        count = 1;
        --i;
        if (i > 0 && begin[i - 1] == '\r') --i;
        if (i > 0 && begin[i - 1] == '\n') --count;
    }
    for (int line = 0; line < count; ++line) out += "\r\n";
    return out;
}

std::vector<PackedMailbox> convertEmlFolders(JobRun& run, const std::string& root) {
    std::vector<PackedMailbox> written;
    uint32_t total = 0;
    uint32_t done = 0;
    Charsets charsets;
    const std::vector<TEmlDirInfo> folders = scanFolders(run, withoutTrailingSlash(root), total);
    run.expectMessages(total);
    for (const TEmlDirInfo& dir : folders) {
        if (run.shouldStop()) break;
        // Mailboxes of runs cut short left their temporaries beside them.
        removeStaleTemporaries(dir.path.substr(0, dir.path.find_last_of('/')));
        writeFolder(run, charsets, dir, done, total, written);
    }
    return written;
}

}  // namespace tessaly
