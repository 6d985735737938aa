// mailbox_count.h - how many messages of a mailbox file the mailbox job
// would archive.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

// The messages of the mailbox file at `path` as the mailbox scan finds
// them, without those Thunderbird marked Expunged (deleted, not yet
// compacted away). 0 for an empty or unreadable file and for one that is
// no mailbox. The memory of scanned bytes is given back as the scan goes,
// so a file of many gigabytes costs little.
uint64_t countMailboxMessages(const std::string& path);

}  // namespace tessaly
