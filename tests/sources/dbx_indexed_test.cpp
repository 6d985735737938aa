// dbx_indexed_test.cpp - decoding indexed-info objects: direct and indirect
// values, their lengths, the index names, and objects that lie about their
// size.
#include "sources/dbx_indexed.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbx_test_reading.h"
#include "support/dbx_writer.h"

namespace tessaly {
namespace {

using test::DbxField;
using test::DbxWriter;
using test::dbxError;
using test::viewOf;

TEST(DbxIndexedInfo, DirectAndIndirectValuesGetTheirLengths) {
    DbxWriter writer;
    const uint32_t at = writer.addRecord({
        DbxField::direct24(0x00, 0xABCDEF),
        DbxField::word(0x04, 0x00012345),
        DbxField::direct24(0x10, 3),  // a direct value between two indirect ones
        DbxField::raw(0x07, std::string("\x11\x22", 2)),
        DbxField::text(0x08, "Hello"),
        DbxField::direct24(0x21, 1),  // index 33: presence bit 1
    });
    const DbxMessageInfo record(viewOf(writer.bytes()), at);
    EXPECT_EQ(record.entryCount(), 6);
    EXPECT_EQ(record.presenceMask(), (1u << 0) | (1u << 4) | (1u << 16) | (1u << 7) | (1u << 8) | (1u << 1));

    EXPECT_EQ(record.valuePointer(0x00).length, 3u);
    EXPECT_EQ(record.valueAsInteger(0x00), 0xABCDEFu);
    // An indirect value runs to the next indirect one, the direct value between
    // them notwithstanding.
    EXPECT_EQ(record.valuePointer(0x04).length, 4u);
    EXPECT_EQ(record.valueAsInteger(0x04), 0x12345u);
    EXPECT_EQ(record.valuePointer(0x07).length, 2u);
    EXPECT_EQ(record.valueAsInteger(0x07), 0x2211u);  // masked to two bytes
    // The last one runs to the end of the body.
    EXPECT_EQ(record.valuePointer(0x08).length, 6u);
    EXPECT_EQ(record.valueAsText(0x08), "Hello");
    EXPECT_EQ(record.valuePointer(0x08).bytes(), std::string_view("Hello\0", 6));

    EXPECT_FALSE(record.valuePointer(0x05).present());
    EXPECT_EQ(record.valueAsInteger(0x05), 0u);
    EXPECT_EQ(record.valueAsText(0x05), "");
}

TEST(DbxIndexedInfo, ALaterEntryWithTheSameIndexWins) {
    DbxWriter writer;
    const uint32_t at = writer.addRecord({DbxField::word(0x02, 7), DbxField::word(0x02, 9)});
    const DbxIndexedInfo record(viewOf(writer.bytes()), at);
    EXPECT_EQ(record.valueAsInteger(0x02), 9u);
}

TEST(DbxIndexedInfo, IndexesFrom127AreRefused) {
    DbxWriter writer;
    const uint32_t good = writer.addRecord({DbxField::direct24(0x01, 5)});
    const uint32_t bad = writer.addRecord({DbxField::direct24(0x01, 5), DbxField::direct24(127, 1)});
    const DbxView view = viewOf(writer.bytes());
    EXPECT_EQ(dbxError([&] { DbxIndexedInfo record(view, bad); }), "Index to big !");

    const DbxMessageInfo record(view, good);
    EXPECT_EQ(record.valueAsInteger(126), 0u);
    EXPECT_EQ(dbxError([&] { record.valuePointer(127); }), "Index to big !");
    EXPECT_EQ(dbxError([&] { record.valueAsInteger(1000); }), "Index to big !");
    EXPECT_EQ(dbxError([&] { record.indexName(127); }), "Wrong index !");
    EXPECT_EQ(dbxError([&] { record.indexType(127); }), "Wrong index !");
}

TEST(DbxIndexedInfo, RecordKindsNameTheirIndexes) {
    DbxWriter writer;
    const uint32_t at = writer.addRecord({});
    const DbxView view = viewOf(writer.bytes());
    const DbxMessageInfo message(view, at);
    const DbxFolderInfo folder(view, at);
    const DbxIndexedInfo plain(view, at);

    EXPECT_EQ(message.indexName(0x04), "message address");
    EXPECT_EQ(message.indexType(0x02), DbxDataType::DateTime);
    EXPECT_EQ(message.indexName(0x1C), "message text structure");
    EXPECT_EQ(message.indexType(0x1C), DbxDataType::Binary);
    EXPECT_EQ(folder.indexName(0x09), "index for subfolders of 'local folders'");
    EXPECT_EQ(folder.indexType(0x02), DbxDataType::Text);
    EXPECT_EQ(folder.indexName(0x1F), "id 1f");
    // Past 0x1F nothing is known, up to 126.
    EXPECT_EQ(message.indexName(0x20), "");
    EXPECT_EQ(folder.indexType(126), DbxDataType::None);
    // The base class knows no record kind and raises nothing.
    EXPECT_EQ(plain.indexName(0x04), "");
    EXPECT_EQ(plain.indexType(500), DbxDataType::None);
}

// Each row damages one field of a sound object; the object must be refused
// before anything outside the file is read.
TEST(DbxIndexedInfo, ObjectsReachingOutsideTheFileAreRefused) {
    struct Row {
        const char* why;
        uint32_t field;  // offset inside the object
        uint32_t value;
        const char* message;
    };
    const Row rows[] = {
        {"marker names another object", test::kRecordMarker, 0x100, "Wrong object marker !"},
        {"body runs past the end of the file", test::kRecordBodyLength, 0x10000, "Value outside the file !"},
        {"body ends before the last value starts", test::kRecordBodyLength, 8, "Value outside the file !"},
        {"an index table longer than the file", test::kRecordEntryCount, 0xFF, "Index table outside the file !"},
        {"first value starts past the file", test::kRecordTable, 0x7FFFFF00, "Value outside the file !"},
        {"first value starts after the second", test::kRecordTable, 0x602, "Value outside the file !"},
    };
    for (const Row& row : rows) {
        DbxWriter writer;
        const uint32_t at = writer.addRecord({DbxField::word(0x02, 1), DbxField::word(0x03, 2)});
        std::string& bytes = writer.bytes();
        if (row.field == test::kRecordEntryCount) {
            test::put8(bytes, at + row.field, static_cast<uint8_t>(row.value));
        } else {
            test::put32(bytes, at + row.field, row.value);
        }
        EXPECT_EQ(dbxError([&] { DbxIndexedInfo record(viewOf(bytes), at); }), row.message) << row.why;
    }
}

TEST(DbxIndexedInfo, AnObjectHeadCutByTheEndOfTheFileHasNoMarker) {
    DbxWriter writer;
    const uint32_t at = writer.addRecord({DbxField::word(0x02, 1)});
    const std::string& bytes = writer.bytes();
    for (uint32_t keep = at; keep < at + test::kRecordTable; ++keep) {
        const std::string cut = bytes.substr(0, keep);
        EXPECT_EQ(dbxError([&] { DbxIndexedInfo record(viewOf(cut), at); }), "Wrong object marker !") << keep;
    }
}

}  // namespace
}  // namespace tessaly
