// html_page.h - archiving a parsed message as one HTML page with its
// attachment files.
#pragma once

#include "archive/archive_writer.h"
#include "message/model.h"

namespace tessaly {

// Writes the page of `info` (with checksumKey and folderName set) and its
// attachment files into the target folder, unless the message is already in
// the archive. The parts are re-classified and renamed in place.
void writeHtmlMessage(TargetFolder& target, TMessageInfo& info);

}  // namespace tessaly
