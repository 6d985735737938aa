// raw_message.h - archiving one raw RFC 822 message from a mailbox or DBX
// file: parse, build the part tree, key it, write it as a page or EML file.
#pragma once

#include <string>
#include <vector>

#include "app/run.h"
#include "message/marker.h"

namespace tessaly {

// `text` is the message's header block onwards (a mailbox's "From " line
// already dropped); `markers` the boundary lines the job met inside it, in
// text order. `subfolderPath` is relative to the archive root and ends in
// "/" (or is empty). Failures are logged to the run.
void archiveRawMessage(ArchiveRun& run, const char* text, size_t length,
                       const std::vector<TMarker>& markers, const std::string& archiveFolder,
                       const std::string& folderName, const std::string& subfolderPath,
                       bool useSubfolders, bool normalizeLineEnds);

}  // namespace tessaly
