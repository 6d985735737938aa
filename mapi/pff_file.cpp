// pff_file.cpp - opening a personal-store file through libpff, and the
// entry identifiers of its nodes.
#include "mapi/pff_file.h"

#ifdef TESSALY_HAVE_LIBPFF

#include <cstring>

#include "mapi/pff_values.h"
#include "platform/files.h"

namespace tessaly::pff {

namespace {

constexpr size_t kRecordKeySize = 16;
constexpr size_t kEntryIdSize = 4 + kRecordKeySize + 4;

// The message store's PR_RECORD_KEY; zeros when it has none.
std::string readRecordKey(libpff_item_t* store) {
    PropRow values;
    readProps(store, 0, TextSource::Store, {PR_RECORD_KEY}, values);
    if (values.empty() || isErrorValue(values[0]) || values[0].bytes.size() != kRecordKeySize) {
        return std::string(kRecordKeySize, '\0');
    }
    return values[0].bytes;
}

}  // namespace

Error::~Error() {
    if (error_) libpff_error_free(&error_);
}

void ItemFree::operator()(libpff_item_t* item) const {
    if (item) libpff_item_free(&item, nullptr);
}

bool isFolderNid(uint32_t nid) {
    const uint32_t type = nid & kNidTypeMask;
    return type == kNidTypeNormalFolder || type == kNidTypeSearchFolder;
}

uint32_t itemNid(libpff_item_t* item) {
    uint32_t nid = 0;
    Error error;
    if (!item || libpff_item_get_identifier(item, &nid, error.out()) != 1) return 0;
    return nid;
}

File::~File() {
    if (!file_) return;
    Error closeError;
    libpff_file_close(file_, closeError.out());
    Error freeError;
    libpff_file_free(&file_, freeError.out());
}

MapiResult File::open(const std::string& path, std::shared_ptr<File>& file) {
    file.reset();
    uint64_t size = 0;
    if (!readableFileSize(path, size)) return pathExists(path) ? MAPI_E_NO_ACCESS : MAPI_E_NOT_FOUND;
    if (size == 0) return MAPI_E_CORRUPT_STORE;

    std::shared_ptr<File> opened(new File);
    libpff_file_t* handle = nullptr;
    Error initError;
    if (libpff_file_initialize(&handle, initError.out()) != 1) return MAPI_E_NOT_ENOUGH_MEMORY;
    Error openError;
    if (libpff_file_open(handle, path.c_str(), LIBPFF_OPEN_READ, openError.out()) != 1) {
        Error freeError;
        libpff_file_free(&handle, freeError.out());
        return MAPI_E_CORRUPT_STORE;
    }
    opened->file_ = handle;

    const Item store = opened->messageStore();
    libpff_item_t* root = nullptr;
    Error rootError;
    if (!store || libpff_file_get_root_folder(handle, &root, rootError.out()) != 1) {
        return MAPI_E_CORRUPT_STORE;
    }
    Item rootItem(root);
    opened->recordKey_ = readRecordKey(store.get());
    file = std::move(opened);
    return SUCCESS_SUCCESS;
}

Item File::messageStore() const {
    libpff_item_t* store = nullptr;
    Error error;
    if (libpff_file_get_message_store(file_, &store, error.out()) != 1) return nullptr;
    return Item(store);
}

Item File::item(uint32_t nid, MapiResult& result) const {
    libpff_item_t* found = nullptr;
    Error error;
    const int status = libpff_file_get_item_by_identifier(file_, nid, &found, error.out());
    if (status != 1 || !found) {
        result = status == 0 ? MAPI_E_NOT_FOUND : MAPI_E_CORRUPT_STORE;
        return nullptr;
    }
    result = SUCCESS_SUCCESS;
    return Item(found);
}

EntryId File::entryId(uint32_t nid) const {
    EntryId id(4, '\0');
    id += recordKey_;
    for (int i = 0; i < 4; ++i) id += static_cast<char>(nid >> (8 * i) & 0xFF);
    return id;
}

bool File::nodeOf(const EntryId& entryId, uint32_t& nid) const {
    if (entryId.size() != kEntryIdSize || entryId.compare(4, kRecordKeySize, recordKey_) != 0) {
        return false;
    }
    nid = 0;
    for (int i = 3; i >= 0; --i) nid = nid << 8 | static_cast<unsigned char>(entryId[20 + i]);
    return nid != 0;
}

}  // namespace tessaly::pff

#endif
