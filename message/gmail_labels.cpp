// gmail_labels.cpp - placeholder until the label reading lands.
#include "message/gmail_labels.h"

namespace tessaly {

std::optional<std::string> gmailLabelsField(const char*, const char*) { return std::nullopt; }
std::vector<std::string> parseGmailLabels(Charsets&, std::string_view) { return {}; }
bool isSystemLabel(std::string_view) { return false; }
LabelRole labelRole(std::string_view) { return LabelRole::User; }
std::string labelFolder(const std::vector<std::string>&) { return "Archived"; }

}  // namespace tessaly
