// pff_file.h - libpff for the provider: the library header, owned handles
// and one open personal-store file with its entry identifiers.
#pragma once

#ifdef TESSALY_HAVE_LIBPFF

// Debian's libpff-dev ships no libbfio header; the file-IO-handle functions
// that need it are not used here.
#include <libpff/features.h>
#undef LIBPFF_HAVE_BFIO
#include <libpff.h>

#include <memory>
#include <string>

#include "mapi/provider.h"

namespace tessaly::pff {

// A libpff error slot, freed when it goes.
class Error {
public:
    Error() = default;
    ~Error();
    Error(const Error&) = delete;
    Error& operator=(const Error&) = delete;
    libpff_error_t** out() { return &error_; }

private:
    libpff_error_t* error_ = nullptr;
};

struct ItemFree {
    void operator()(libpff_item_t* item) const;
};
using Item = std::unique_ptr<libpff_item_t, ItemFree>;

// Node identifiers name the kind of node in their low five bits.
constexpr uint32_t kNidTypeMask = 0x1F;
constexpr uint32_t kNidTypeNormalFolder = 0x02;
constexpr uint32_t kNidTypeSearchFolder = 0x03;
bool isFolderNid(uint32_t nid);

// An open personal-store file, shared by every object of its store.
class File {
public:
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // MAPI_E_NOT_FOUND when there is no such file, MAPI_E_CORRUPT_STORE when
    // it is not a readable store (no message store or top folder).
    static MapiResult open(const std::string& path, std::shared_ptr<File>& file);

    libpff_file_t* get() const { return file_; }
    Item messageStore() const;
    // The item of a node; null (with the reason) when there is none.
    Item item(uint32_t nid, MapiResult& result) const;

    // Entry identifiers as the store writes them: four flag bytes, the
    // store's 16-byte record key and the node identifier, little-endian.
    EntryId entryId(uint32_t nid) const;
    bool nodeOf(const EntryId& entryId, uint32_t& nid) const;

private:
    File() = default;
    libpff_file_t* file_ = nullptr;
    std::string recordKey_;
};

// The identifier of an item, 0 when it has none.
uint32_t itemNid(libpff_item_t* item);

}  // namespace tessaly::pff

#endif
