// eml_file.h - archiving a raw message as one .eml file.
#pragma once

#include "archive/archive_writer.h"
#include "message/model.h"

namespace tessaly {

// Writes [text, textEnd) into the target folder under the message's archive
// name with ".eml", unless it is already in the archive. With
// `normalizeLineEnds` bare line feeds become CR LF (mailboxes); DBX texts
// are written as they are.
void writeEmlMessage(TargetFolder& target, const char* text, const char* textEnd, const TMessageInfo& info,
                     bool normalizeLineEnds);

}  // namespace tessaly
