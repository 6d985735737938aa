// message_row.h - the catalogue's row of a message read into the model:
// the ids that thread it and its labels, and for EML files the whole row (headers as the
// page would show them, texts as plain text), from the message being
// archived or from an EML file read back.
#pragma once

#include <string>
#include <string_view>

#include "archive/catalogue_row.h"
#include "message/charsets.h"
#include "message/decoding.h"
#include "message/model.h"

namespace tessaly {

// Message-ID in brackets, the first id of In-Reply-To, the ids of
// References blank-separated, X-GM-THRID trimmed; and the labels of the
// message's X-Gmail-Labels field (gmail_labels.h), which a page does not
// show either.
void setThreadIds(Charsets& charsets, const TMessageInfo& info, CatalogueRow& row);

// The "<...>" ids in `value`, blank-separated.
std::string messageIds(std::string_view value);

// The row of an EML file at `path` (relative to the root) holding `info`.
CatalogueRow rowFromMessage(DecodeContext& decoder, const TMessageInfo& info, const std::string& path);

// The row of the EML file `eml` found at `path`.
CatalogueRow rowFromEml(DecodeContext& decoder, std::string_view eml, const std::string& path);

}  // namespace tessaly
