// gmail_labels.h - the labels of a Gmail Takeout mailbox's messages
// (their X-Gmail-Labels field), and the one archive folder each message
// goes to.
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

// The labels of a field value as UTF-8, in their order: split at commas
// outside double quotes, quotes and backslash escapes removed, blanks
// around each label trimmed, encoded words (RFC 2047) decoded, empty
// labels dropped.
std::vector<std::string> parseGmailLabels(Charsets& charsets, std::string_view value);

// Whether `label` is one of Gmail's system labels that are not folders
// (Opened, Unread, Important, Starred, Category ..., in any of the
// languages Takeout writes them in). Inbox, Sent, Spam, Trash, Drafts and
// Chat are recognised by labelRole instead.
bool isSystemLabel(std::string_view label);

enum class LabelRole { User, System, Inbox, Sent, Drafts, Spam, Trash, Chat, Archived };

// What a label stands for, in any of the languages of the table.
LabelRole labelRole(std::string_view label);

// The folder a message with `labels` is archived in: the Sent label as
// written when it has it, else its Inbox label, else its first user label
// ("a/b" nests: folder "a", subfolder "b"), else "Archived".
std::string labelFolder(const std::vector<std::string>& labels);

}  // namespace tessaly
