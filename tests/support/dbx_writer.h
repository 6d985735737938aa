// dbx_writer.h - builds Outlook Express 5/6 folder files in memory for tests:
// mail folder files with messages and folder-tree files, plus the knobs to
// damage one field at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::test {

// Header fields and layout, written out here on their own so that the
// tests check the reader against an independent description of the format.
inline constexpr uint32_t kDbxMailType = 0x6F74FDC5;
inline constexpr uint32_t kDbxTreeType = 0x6F74FDC6;
inline constexpr uint32_t kHeaderType = 0x04;
inline constexpr uint32_t kHeaderInfoLength = 0x1C;
inline constexpr uint32_t kHeaderMessageCount = 0xC4;
inline constexpr uint32_t kHeaderFolderCount = 0xCC;
inline constexpr uint32_t kHeaderMessageRoot = 0xE4;
inline constexpr uint32_t kHeaderFolderRoot = 0xEC;
inline constexpr uint32_t kInfoStart = 0x24BC;
inline constexpr uint32_t kInfoNamedLength = 0x618;
inline constexpr uint32_t kInfoName = 0x105;

// Tree node fields.
inline constexpr uint32_t kNodeSize = 0x27C;
inline constexpr uint32_t kNodeMarker = 0x00;
inline constexpr uint32_t kNodeChild = 0x08;
inline constexpr uint32_t kNodeParent = 0x0C;
inline constexpr uint32_t kNodeEntryCount = 0x11;
inline constexpr uint32_t kNodeChildValues = 0x14;
inline constexpr uint32_t kNodeEntries = 0x18;
inline constexpr uint32_t kNodeEntrySize = 12;

// Indexed-info object fields.
inline constexpr uint32_t kRecordMarker = 0x00;
inline constexpr uint32_t kRecordBodyLength = 0x04;
inline constexpr uint32_t kRecordEntryCount = 0x0A;
inline constexpr uint32_t kRecordTable = 0x0C;

// Text block fields.
inline constexpr uint32_t kBlockMarker = 0x00;
inline constexpr uint32_t kBlockLength = 0x08;
inline constexpr uint32_t kBlockNext = 0x0C;
inline constexpr uint32_t kBlockText = 0x10;

// Little-endian access to a built file, for damaging and restoring fields.
void put32(std::string& bytes, uint64_t offset, uint32_t value);
void put8(std::string& bytes, uint64_t offset, uint8_t value);
uint32_t get32(const std::string& bytes, uint64_t offset);

// One value of an indexed-info object, in table order.
struct DbxField {
    uint8_t index = 0;    // 127 is invalid, on purpose only
    bool direct = false;
    uint32_t number = 0;  // direct: the 24-bit value
    std::string bytes;    // indirect: the value's bytes

    static DbxField direct24(uint8_t index, uint32_t value);
    static DbxField word(uint8_t index, uint32_t value);  // 4-byte indirect
    static DbxField text(uint8_t index, std::string_view text);  // adds the NUL
    static DbxField raw(uint8_t index, std::string bytes);
};

// One entry of a tree node.
struct DbxEntry {
    uint32_t value = 0;
    uint32_t child = 0;
    uint32_t childValues = 0;
};

// A file under construction: the header and file-info object come first,
// every object added afterwards goes at the end, 4-byte aligned.
class DbxWriter {
public:
    explicit DbxWriter(uint32_t fileType = kDbxMailType);

    void setHeader(uint32_t offset, uint32_t value) { put32(bytes_, offset, value); }
    // A file-info object of length 0x618 carrying `name`.
    void setFolderName(std::string_view name);

    uint32_t addRecord(const std::vector<DbxField>& fields);
    // The text in a chain of blocks holding at most `blockText` bytes each;
    // returns the first block. `blocks` receives the blocks in chain order.
    uint32_t addText(std::string_view text, uint32_t blockText, std::vector<uint32_t>* blocks = nullptr);
    uint32_t addBlock(uint32_t length, uint32_t next, std::string_view text);

    // Nodes are reserved first and written once their children are known.
    uint32_t reserveNode();
    // `entryCount` is written as given (52 says more than fits); at most 51
    // entries are stored.
    void writeNode(uint32_t at, uint32_t parent, uint32_t child, uint32_t childValues,
                   const std::vector<DbxEntry>& entries, int entryCount = -1);
    // A balanced tree over the values with at most `perNode` entries in a
    // node; returns the root. `nodes` receives every node, root first.
    uint32_t addTree(const std::vector<uint32_t>& values, unsigned perNode,
                     std::vector<uint32_t>* nodes = nullptr);

    std::string& bytes() { return bytes_; }
    uint32_t size() const { return static_cast<uint32_t>(bytes_.size()); }

private:
    uint32_t append(size_t length);
    uint32_t buildSubtree(const std::vector<uint32_t>& values, size_t lo, size_t hi, uint32_t parent,
                          unsigned perNode, std::vector<uint32_t>* nodes);

    std::string bytes_;
};

// One message of a generated mail folder file.
struct DbxTestMessage {
    std::string text;  // raw RFC 822 text; empty: not stored (offline)
    std::string subject = "A subject";
    std::string senderName = "A Sender";
    std::string receiverName = "A Receiver";
};

struct DbxMailOptions {
    std::string folderName = "Inbox";
    uint32_t blockText = 0x200;  // text bytes per block, as Outlook Express
    unsigned perNode = 51;       // entries per tree node
    bool directAddress = true;   // "message address" as a direct value
};

// A generated file and where its objects lie.
struct DbxTestFile {
    std::string bytes;
    uint32_t root = 0;
    std::vector<uint32_t> nodes;                // root first
    std::vector<uint32_t> records;              // in tree order
    std::vector<std::vector<uint32_t>> blocks;  // per message, in chain order
};

DbxTestFile makeDbxMailFile(const std::vector<DbxTestMessage>& messages,
                            const DbxMailOptions& options = {});

// One folder of a generated folder-tree file.
struct DbxTestFolder {
    uint32_t id = 0;
    uint32_t parentId = 0;
    std::string name;
    std::string fileName;
    std::string accountKey;  // left out when empty
    uint32_t special = 0;    // index 0x09
    uint32_t local = 1;      // index 0x0A
};

DbxTestFile makeDbxFolderTree(const std::vector<DbxTestFolder>& folders, unsigned perNode = 51);

// A message text of about `length` bytes with numbered lines, so that a
// wrong or misplaced block shows.
std::string sampleMessageText(const std::string& subject, size_t length);

}  // namespace tessaly::test
