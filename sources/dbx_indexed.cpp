// dbx_indexed.cpp - decoding indexed-info objects and reading their values.
#include "sources/dbx_indexed.h"

#include <cstring>

#include "sources/dbx_exception.h"

namespace tessaly {

namespace {

constexpr uint32_t kDirectBit = 0x80;
constexpr uint32_t kIndexMask = 0x7F;
constexpr unsigned kNamedIndexes = 0x20;

struct IndexMeaning {
    std::string_view name;
    DbxDataType type;
};

using T = DbxDataType;

constexpr IndexMeaning kFolderIndexes[kNamedIndexes] = {
    {"folder index", T::Integer},
    {"index of the parent folder", T::Integer},
    {"folder name (newsgroup name)", T::Text},
    {"dbx file name", T::Text},
    {"id 04", T::Integer},
    {"registry key of the account", T::Text},
    {"flags", T::Integer},
    {"messages in the folder", T::Integer},
    {"unread messages in the folder", T::Integer},
    {"index for subfolders of 'local folders'", T::Integer},
    {"local folder value", T::Integer},
    {"id 0b", T::None},
    {"id 0c", T::None},
    {"max message index on server", T::Integer},
    {"min message index on server", T::Integer},
    {"id 0f", T::Integer},
    {"max message index local", T::Integer},
    {"min message index local", T::Integer},
    {"messages to download", T::Integer},
    {"id 13", T::Binary},
    {"id 14", T::None},
    {"id 15", T::Binary},
    {"id 16", T::None},
    {"id 17", T::None},
    {"id 18", T::None},
    {"id 19", T::None},
    {"id 1a", T::Integer},
    {"id 1b", T::None},
    {"watched messages", T::Integer},
    {"id 1d", T::None},
    {"id 1e", T::None},
    {"id 1f", T::None},
};

constexpr IndexMeaning kMessageIndexes[kNamedIndexes] = {
    {"message index", T::Integer},
    {"flags", T::Integer},
    {"time message created/send", T::DateTime},
    {"body lines", T::Integer},
    {"message address", T::Integer},
    {"original subject", T::Text},
    {"time message saved", T::DateTime},
    {"message id", T::Text},
    {"subject", T::Text},
    {"sender eMail address and name", T::Text},
    {"answered to message id", T::Text},
    {"server/newsgroup/message number", T::Text},
    {"server", T::Text},
    {"sender name", T::Text},
    {"sender eMail address", T::Text},
    {"id 0f", T::None},
    {"message priority", T::Integer},
    {"message text length", T::Integer},
    {"time message created/received", T::DateTime},
    {"receiver name", T::Text},
    {"receiver eMail address", T::Text},
    {"id 15", T::None},
    {"id 16", T::Integer},
    {"id 17", T::None},
    {"id 18", T::Integer},
    {"id 19", T::Integer},
    {"OE account name", T::Text},
    {"OE account registry key", T::Text},
    {"message text structure", T::Binary},
    {"id 1d", T::None},
    {"id 1e", T::None},
    {"id 1f", T::None},
};

// The meaning of an index in one record kind; raises "Wrong index !" from
// 127 on.
const IndexMeaning* meaningOf(const IndexMeaning (&table)[kNamedIndexes], unsigned index) {
    if (index >= kDbxIndexSlots) throw DbxException(kDbxWrongIndex);
    return index < kNamedIndexes ? &table[index] : nullptr;
}

void checkIndex(unsigned index) {
    if (index >= kDbxIndexSlots) throw DbxException(kDbxIndexTooBig);
}

}  // namespace

DbxIndexedInfo::DbxIndexedInfo(DbxView view, uint32_t offset) : offset_(offset) {
    const uint64_t start = offset;
    // An object whose head passes the end of the file has no marker to match.
    if (view.data == nullptr || !view.contains(start, kDbxIndexedHeadSize) ||
        le32(view, start) != offset) {
        throw DbxException(kDbxWrongMarker);
    }
    bodyLength_ = le32(view, start + 0x04);
    keptWord_ = le16(view, start + 0x08);
    entryCount_ = le8(view, start + 0x0A);
    keptByte_ = le8(view, start + 0x0B);

    const uint64_t table = start + kDbxIndexedHeadSize;
    if (!view.contains(table, uint64_t{4} * entryCount_)) throw DbxException(kDbxTableOutside);
    indexTable_ = view.data + table;
    const uint64_t dataArea = table + uint64_t{4} * entryCount_;
    const uint64_t bodyEnd = table + bodyLength_;

    // Value starts and lengths as offsets in the file, checked at the end.
    // `setBy` remembers which table entry filled a slot, so that a length is
    // only given to the slot of the indirect entry it belongs to.
    std::array<uint64_t, kDbxIndexSlots> starts{};
    std::array<int, kDbxIndexSlots> setBy;
    setBy.fill(-1);
    int lastIndirect = -1;  // table entry number
    unsigned lastIndex = 0;
    auto closeLastIndirect = [&](uint64_t end) {
        if (lastIndirect < 0 || setBy[lastIndex] != lastIndirect) return;
        if (end < starts[lastIndex]) throw DbxException(kDbxValueOutside);
        const uint64_t length = end - starts[lastIndex];
        if (length > view.size) throw DbxException(kDbxValueOutside);
        lengths_[lastIndex] = static_cast<uint32_t>(length);
    };

    for (int i = 0; i < entryCount_; ++i) {
        const uint64_t entryAt = table + uint64_t{4} * static_cast<unsigned>(i);
        const uint32_t entry = le32(view, entryAt);
        const unsigned index = entry & kIndexMask;
        if (index == kIndexMask) throw DbxException(kDbxIndexTooBig);
        if (entry & kDirectBit) {
            starts[index] = entryAt + 1;
            lengths_[index] = 3;
        } else {
            const uint64_t valueStart = dataArea + (entry >> 8);
            closeLastIndirect(valueStart);
            starts[index] = valueStart;
            lengths_[index] = 0;
            lastIndirect = i;
            lastIndex = index;
        }
        setBy[index] = i;
        presenceMask_ |= uint32_t{1} << (index % 32);
    }
    closeLastIndirect(bodyEnd);

    for (unsigned index = 0; index < kDbxIndexSlots; ++index) {
        if (setBy[index] < 0) continue;
        if (!view.contains(starts[index], lengths_[index])) throw DbxException(kDbxValueOutside);
        pointers_[index] = view.data + starts[index];
    }
}

std::string_view DbxIndexedInfo::indexName(unsigned) const { return {}; }

DbxDataType DbxIndexedInfo::indexType(unsigned) const { return DbxDataType::None; }

DbxValue DbxIndexedInfo::valuePointer(unsigned index) const {
    checkIndex(index);
    return {pointers_[index], lengths_[index]};
}

uint32_t DbxIndexedInfo::valueAsInteger(unsigned index) const {
    const DbxValue value = valuePointer(index);
    if (!value.present()) return 0;
    const DbxView bytes{value.pointer, value.length};
    if (value.length >= 4) return le32(bytes, 0);
    uint32_t number = 0;
    for (uint32_t i = value.length; i > 0; --i) number = (number << 8) | le8(bytes, i - 1);
    return number;
}

std::string DbxIndexedInfo::valueAsText(unsigned index) const {
    const DbxValue value = valuePointer(index);
    if (!value.present() || value.length == 0) return {};
    const size_t room = value.length - 1;
    const void* nul = std::memchr(value.pointer, '\0', room);
    return std::string(value.pointer, nul ? static_cast<const char*>(nul) - value.pointer : room);
}

std::string_view DbxFolderInfo::indexName(unsigned index) const {
    const IndexMeaning* meaning = meaningOf(kFolderIndexes, index);
    return meaning ? meaning->name : std::string_view{};
}

DbxDataType DbxFolderInfo::indexType(unsigned index) const {
    const IndexMeaning* meaning = meaningOf(kFolderIndexes, index);
    return meaning ? meaning->type : DbxDataType::None;
}

std::string_view DbxMessageInfo::indexName(unsigned index) const {
    const IndexMeaning* meaning = meaningOf(kMessageIndexes, index);
    return meaning ? meaning->name : std::string_view{};
}

DbxDataType DbxMessageInfo::indexType(unsigned index) const {
    const IndexMeaning* meaning = meaningOf(kMessageIndexes, index);
    return meaning ? meaning->type : DbxDataType::None;
}

}  // namespace tessaly
