// eml_file.h - archiving a raw message as one .eml file.
#pragma once

#include <string>

#include "app/run.h"
#include "message/model.h"

namespace tessaly {

// Writes [text, textEnd) under the message's archive name with ".eml",
// unless it is already in the archive. With `normalizeLineEnds` bare line
// feeds become CR LF (mailboxes); DBX texts are written as they are.
void writeEmlMessage(ArchiveRun& run, const char* text, const char* textEnd,
                     const TMessageInfo& info, const std::string& archiveFolder,
                     const std::string& subfolderPath, bool useSubfolders, bool normalizeLineEnds);

}  // namespace tessaly
