// pff_store.h - the objects of one open personal-store file: the store, its
// folders, messages and attachments, and their tables.
#pragma once

#ifdef TESSALY_HAVE_LIBPFF

#include <memory>
#include <string>

#include "mapi/pff_file.h"

namespace tessaly::pff {

// The store of `file`, named and identified as its profile service says.
std::shared_ptr<IMsgStore> makeStore(std::shared_ptr<File> file, std::string displayName,
                                     EntryId entryId);

// Opens the folder or message an entry identifier names.
MapiResult openEntry(const std::shared_ptr<File>& file, const EntryId& entryId, uint32_t& objectType,
                     std::shared_ptr<IMAPIProp>& object);

}  // namespace tessaly::pff

#endif
