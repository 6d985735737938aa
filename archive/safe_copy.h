// safe_copy.h - the copy of an HTML body that a message page shows in a
// sandboxed frame, beside the untouched original.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "message/charsets.h"
#include "message/model.h"

namespace tessaly {

// `decoded` (the body of the HTML part `part`, transfer encoding undone) in
// UTF-8 from the charset its type or its own meta element declares, made
// safe by sanitizeHtml, with image references that name a part of the
// message (by "cid:" or content location, keys of `contentIds`) pointed at
// that part's saved file. The names of the files it shows are added to
// `shownFiles`.
std::string safeCopyOf(Charsets& charsets, const tagMessagePart& part, std::string_view decoded,
                       const std::unordered_map<std::string, std::string>& contentIds,
                       std::unordered_set<std::string>& shownFiles);

}  // namespace tessaly
