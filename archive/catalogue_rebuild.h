// catalogue_rebuild.h - the catalogue made anew from the page and EML files
// of an archive folder: one written before catalogues were kept, copied
// from elsewhere, or whose catalogue was damaged.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "archive/catalogue.h"
#include "archive/catalogue_row.h"
#include "message/decoding.h"

namespace tessaly {

// The row of the archive file at `path` (relative to the root), read back
// from the file: its tags and its attachments' sizes included; a page's
// threading ids and labels from `threadIds` (readThreadIds) when given (an
// EML file has its own). False when it
// cannot be read.
bool rowFromArchiveFile(DecodeContext& decoder, const std::string& root, const std::string& path,
                        CatalogueRow& row,
                        const std::unordered_map<std::string, CatalogueRow>* threadIds = nullptr);

// Replaces every row of `catalogue` by the rows of the files in place.
// `progress` (may be empty) gets the files read so far; returning false
// stops the rebuild, which leaves the catalogue incomplete (the next open
// finds it so). `take` (may be empty) gets every stored row, text
// included. Returns the number of messages found.
uint64_t rebuildCatalogue(Catalogue& catalogue, DecodeContext& decoder,
                          const std::function<bool(uint64_t files)>& progress,
                          const std::function<void(const CatalogueRow&)>& take = {});

}  // namespace tessaly
