// eml_to_mailbox.h - packs every folder of .eml files below a root folder
// into one mailbox file placed beside the folder.
#pragma once

#include <string>
#include <vector>

#include "archive/job_run.h"
#include "message/charsets.h"

namespace tessaly {

// The sender written in the "From " line of a message without a usable
// address. The reserved ".invalid" domain can never be a real address, and
// its "@" keeps the line a valid From line for the mailbox reader (which
// skips messages from MAILER-DAEMON).
constexpr const char* kPlaceholderSender = "unknown-sender@sender.invalid";

// One mailbox file the packer wrote.
struct PackedMailbox {
    std::string path;
    // The mailbox's usual path when a file was already there (that file is
    // left as it is); empty otherwise.
    std::string takenPath;
};

// Converts each folder below (and including) `root` that holds .eml files
// into "<folder>.bmf" beside it, messages oldest first; an existing file of
// that name is never replaced: the mailbox is then "<folder> (2).bmf" (or
// the first free number). Returns the mailboxes written, in folder order.
std::vector<PackedMailbox> convertEmlFolders(JobRun& run, const std::string& root);

// One .eml text as a mailbox message: the From line, the text with CR LF
// line ends, lines that begin "From " (after any ">") quoted with one more
// ">", and the closing empty line.
// Problems with its headers are reported to `problems`.
std::string mailboxMessage(ProblemReporter& problems, Charsets& charsets, const char* begin, const char* end);

}  // namespace tessaly
