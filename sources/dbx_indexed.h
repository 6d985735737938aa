// dbx_indexed.h - indexed-info objects: the folder and message records of a
// DBX file, with their values read in place from the file's bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "sources/dbx_bytes.h"

namespace tessaly {

// Values are numbered 0 to 126; 127 never occurs in a sound object.
inline constexpr unsigned kDbxIndexSlots = 127;
inline constexpr uint32_t kDbxIndexedHeadSize = 0x0C;

enum class DbxDataType : uint8_t {
    None = 0,
    Integer = 1,
    DateTime = 2,
    Text = 4,
    Binary = 8,
};

// One value: where it lies in the file's bytes and how long it is. A direct
// value is the three upper bytes of its index entry.
struct DbxValue {
    const char* pointer = nullptr;  // none when the index is absent
    uint32_t length = 0;

    bool present() const { return pointer != nullptr; }
    std::string_view bytes() const { return {pointer, length}; }
};

// Object layout: marker (its own offset, 4), body length (4), a kept 16-bit
// field, the entry count n (1), a kept byte, n index entries of 4 bytes,
// then the data area up to 0x0C + body length. An entry's low 7 bits are the
// index, bit 7 marks a direct value, the upper 24 bits are the value itself
// or its offset in the data area. An indirect value runs to the next
// indirect value in table order, the last one to the end of the body.
//
// Decoded at construction; every value is checked to lie inside the file.
// Holds pointers into the view, so it must not outlive the file.
class DbxIndexedInfo {
public:
    // Raises DbxException on a malformed object.
    DbxIndexedInfo(DbxView view, uint32_t offset);
    virtual ~DbxIndexedInfo() = default;
    DbxIndexedInfo(const DbxIndexedInfo&) = default;
    DbxIndexedInfo& operator=(const DbxIndexedInfo&) = default;

    // What an index means in this kind of record. The base class knows no
    // record kind: no name, type None.
    virtual std::string_view indexName(unsigned index) const;
    virtual DbxDataType indexType(unsigned index) const;

    // Raise "Index to big !" for an index of 127 or more.
    DbxValue valuePointer(unsigned index) const;
    // 0 when absent; the 32-bit word at the value when it is 4 bytes or
    // longer; otherwise its bytes as a little-endian number.
    uint32_t valueAsInteger(unsigned index) const;
    // A text value without its terminating NUL (the last byte), cut at an
    // earlier NUL; empty when absent.
    std::string valueAsText(unsigned index) const;

    uint32_t offset() const { return offset_; }
    uint32_t bodyLength() const { return bodyLength_; }
    uint16_t keptWord() const { return keptWord_; }
    uint8_t keptByte() const { return keptByte_; }
    uint8_t entryCount() const { return entryCount_; }
    const char* indexTable() const { return indexTable_; }
    // Bit (index mod 32) is set for each index present.
    uint32_t presenceMask() const { return presenceMask_; }

private:
    uint32_t offset_ = 0;
    uint32_t bodyLength_ = 0;
    uint16_t keptWord_ = 0;
    uint8_t entryCount_ = 0;
    uint8_t keptByte_ = 0;
    const char* indexTable_ = nullptr;
    uint32_t presenceMask_ = 0;
    std::array<const char*, kDbxIndexSlots> pointers_{};
    std::array<uint32_t, kDbxIndexSlots> lengths_{};
};

// A folder record of the folder-tree file. Names and types of indexes 0 to
// 0x1F; higher indexes up to 126 have none; 127 or more raise "Wrong index !".
class DbxFolderInfo : public DbxIndexedInfo {
public:
    using DbxIndexedInfo::DbxIndexedInfo;
    std::string_view indexName(unsigned index) const override;
    DbxDataType indexType(unsigned index) const override;
};

// A message record of a mail folder file; as DbxFolderInfo.
class DbxMessageInfo : public DbxIndexedInfo {
public:
    using DbxIndexedInfo::DbxIndexedInfo;
    std::string_view indexName(unsigned index) const override;
    DbxDataType indexType(unsigned index) const override;
};

// Folder record indexes the program reads.
inline constexpr unsigned kDbxFolderId = 0x00;
inline constexpr unsigned kDbxFolderParentId = 0x01;
inline constexpr unsigned kDbxFolderName = 0x02;
inline constexpr unsigned kDbxFolderFileName = 0x03;
inline constexpr unsigned kDbxFolderAccountKey = 0x05;
inline constexpr unsigned kDbxFolderSpecial = 0x09;
inline constexpr unsigned kDbxFolderLocal = 0x0A;

// Message record indexes the program reads.
inline constexpr unsigned kDbxMessageAddress = 0x04;
inline constexpr unsigned kDbxMessageOriginalSubject = 0x05;
inline constexpr unsigned kDbxMessageSenderName = 0x0D;
inline constexpr unsigned kDbxMessageTextLength = 0x11;
inline constexpr unsigned kDbxMessageReceiverName = 0x13;

}  // namespace tessaly
