// gmail_labels.h - the labels of a Gmail Takeout mailbox's messages
// (their X-Gmail-Labels field), what each label stands for, and the one
// archive folder each message goes to.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "message/charsets.h"

namespace tessaly {

// The value of the first X-Gmail-Labels field of the header block that
// begins at `begin` (the block ends at the first empty line or at `end`),
// unfolded; nothing when the block has no such field.
std::optional<std::string> gmailLabelsField(const char* begin, const char* end);

// The labels of a field value as UTF-8, in their order: encoded words
// (RFC 2047) decoded, then split at commas outside double quotes, quotes
// and the backslash escapes inside them removed, control bytes made blanks,
// blanks around each label trimmed; empty labels and repeats dropped.
std::vector<std::string> parseGmailLabels(Charsets& charsets, std::string_view value);

// The labels of the header block at [begin, end): both of the above.
std::vector<std::string> gmailLabelsOf(Charsets& charsets, const char* begin, const char* end);

enum class LabelRole { User, System, Inbox, Sent, Drafts, Spam, Trash, Chat, Archived };

// What a label stands for, in any of the languages of the table (English,
// German, French, Spanish, Italian, Portuguese, Dutch); letters A to Z
// match in either case. Read state, stars, importance, categories and IMAP
// keywords are System; any other label is the user's.
LabelRole labelRole(std::string_view label);

// Whether `label` is one of Gmail's system labels that are never folders
// (Opened, Unread, Important, Starred, Category ...). Inbox, Sent, Spam,
// Trash, Drafts, Chat and Archived have roles of their own.
bool isSystemLabel(std::string_view label);

// The folder a message with `labels` goes to, as a label: its Sent label as
// written when it has one, else its Inbox label, else its first user label
// that names a folder, else its Archived label, else "Archived".
std::string labelFolder(const std::vector<std::string>& labels);

// A label as a folder path below the mailbox's own folder: split at "/"
// ("Family/Kids" is the folder "Family" with the subfolder "Kids"), each
// name trimmed and without backslashes, empty names left out, joined by
// "/". Empty when no name is left ("/", " // ").
std::string labelFolderPath(std::string_view label);

}  // namespace tessaly
