// safe_copy.cpp - an HTML body made UTF-8 and safe for its frame.
#include "archive/safe_copy.h"

#include "message/html_charset.h"
#include "message/html_sanitizer.h"
#include "message/text.h"

namespace tessaly {

std::string safeCopyOf(Charsets& charsets, const tagMessagePart& part, std::string_view decoded,
                       const std::unordered_map<std::string, std::string>& contentIds,
                       std::unordered_set<std::string>& shownFiles) {
    std::string label = mimeParameter(part.contentType, "charset").value_or("");
    if (label.empty()) label = declaredHtmlCharset(decoded);
    std::string converted;
    const std::string name = charsetName(label);
    const bool asIs = (name.empty() || name == "UTF-8") && isValidUtf8(decoded);
    if (!asIs) converted = charsets.toUtf8(decoded, label);
    return sanitizeHtml(asIs ? decoded : std::string_view(converted),
                        [&](std::string_view reference) -> std::optional<std::string> {
                            const auto found = contentIds.find(std::string(reference));
                            if (found == contentIds.end()) return std::nullopt;
                            shownFiles.insert(found->second);
                            return found->second;
                        });
}

}  // namespace tessaly
