// maildir_message.h - one message file of a Maildir or MH folder: finding
// it again after a mail program renamed it, archiving it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "archive/archive_writer.h"
#include "platform/whole_file_reader.h"
#include "sources/message_files.h"

namespace tessaly {

// The path that the Maildir message file `path` (".../cur/NAME" or
// ".../new/NAME") has now that a mail program renamed it: a file of the
// same unique name (the part before ":") in cur/ or new/. Empty when there
// is none.
std::string renamedMessageFile(const std::string& path);

// Reads and archives one listed message file into `target`: a file that
// vanished (looked for once more under its new name in a Maildir), cannot
// be read, or changed while it was read is one problem line and is not
// archived; an empty file is passed over without a word. `chunk` gets the
// bytes of the file scanned so far.
void archiveMessageFile(JobRun& run, const MessageFile& file, bool maildir, TargetFolder& target,
                        WholeFileReader& reader, const std::function<void(size_t scanned)>& chunk);

}  // namespace tessaly
