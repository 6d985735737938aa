// pst_writer.h - writes Outlook personal-store files (Unicode .pst, no
// encoding) for tests and the benchmark: a tree of folders with messages,
// their bodies, headers and attachments, as libpff and readpst read them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly::test {

struct PstAttachment {
    std::string fileName;  // UTF-8
    std::string mimeType;
    std::string data;
    std::string contentId;  // empty: none
};

struct PstMessage {
    std::string subject, senderName, senderEmail, toNames;  // UTF-8
    std::string toEmail;            // the recipient's address; empty: none
    int64_t deliveryTimeUnix = 0;  // delivery and submit time
    std::string body;               // plain text, UTF-8; empty: none
    std::string html;               // HTML bytes; empty: none
    uint32_t htmlCodepage = 65001;  // the HTML's character set as a Windows code page
    std::string headers;            // the internet headers; empty: none
    std::string messageId;
    std::vector<PstAttachment> attachments;  // stored by value
    std::string messageClass = "IPM.Note";
};

struct PstFolder {
    std::string name;
    std::vector<PstMessage> messages;
    std::vector<PstFolder> subfolders;
    bool drafts = false;  // the store's Drafts folder (the top folder keeps its entry id)
};

// The store's record key, which every entry identifier of the file carries.
inline constexpr char kPstRecordKey[] = "\x54\x65\x73\x73\x61\x6C\x79\x20\x50\x53\x54\x20\x73\x74\x6F\x72";

// A message of `subject` delivered at `when` (Unix time), with a sender, a
// recipient, a two-line plain body, headers and a message id.
PstMessage samplePstMessage(const std::string& subject, int64_t when);

// Writes a store whose "Top of Personal Folders" holds `folders` (Inbox,
// ...) to `path`. False with errno set on failure.
bool writePstFile(const std::string& path, const std::vector<PstFolder>& folders);

}  // namespace tessaly::test
