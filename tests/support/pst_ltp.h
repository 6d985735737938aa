// pst_ltp.h - the heap, property and table layer of a personal-store file
// being written: heaps on nodes with their B-trees, property contexts and
// table contexts, each turned into the blocks of one node.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::test::pst {

inline constexpr size_t kHeapItemMax = 3580;  // larger values go into subnodes

// Where a node's values too large for its heap go: written as subnodes of
// the node, named by the node identifier returned.
class SubnodeSink {
public:
    virtual ~SubnodeSink() = default;
    // `chunk`: the bytes per data block (a table's rows never span two).
    virtual uint32_t addValue(std::string_view data, size_t chunk) = 0;
};

// A heap on a node: items of up to 3,580 bytes on pages of one block each,
// known by heap identifiers (page index, item index).
class Heap {
public:
    explicit Heap(uint8_t clientSignature) : signature_(clientSignature) {}

    uint32_t add(std::string item);
    std::string& at(uint32_t hid);
    void setRoot(uint32_t hid) { root_ = hid; }
    // The pages as blocks, first page first.
    std::vector<std::string> pages() const;

private:
    struct Page {
        std::vector<std::string> items;
        size_t bytes = 0;
    };
    uint8_t signature_;
    uint32_t root_ = 0;
    std::vector<Page> pages_;
};

// A B-tree on the heap over `records` (key then data, sorted by key);
// returns the identifier of its header, which goes into `header` when one
// was set aside (8 bytes) before.
uint32_t addBTree(Heap& heap, uint8_t keySize, uint8_t dataSize, const std::vector<std::string>& records,
                  uint32_t header = 0);

enum PropType : uint16_t {
    kPtShort = 0x0002,
    kPtLong = 0x0003,
    kPtBoolean = 0x000B,
    kPtI8 = 0x0014,
    kPtString8 = 0x001E,
    kPtUnicode = 0x001F,
    kPtSysTime = 0x0040,
    kPtBinary = 0x0102,
};

// One property: its tag and its stored bytes (little-endian for numbers,
// UTF-16LE without a terminator for text).
struct Prop {
    uint32_t tag = 0;
    std::string value;
};

Prop longProp(uint32_t tag, uint32_t value);
Prop boolProp(uint32_t tag, bool value);
Prop timeProp(uint32_t tag, int64_t unixTime);
Prop textProp(uint32_t tag, std::string_view utf8);
Prop binaryProp(uint32_t tag, std::string bytes);

// UTF-8 as UTF-16LE; bytes that are no UTF-8 become U+FFFD.
std::string utf16le(std::string_view utf8);

// The heap pages of a property context holding `props`.
std::vector<std::string> propertyContext(std::vector<Prop> props, SubnodeSink& sink);

// One row of a table: its identifier (the node it stands for) and one
// value per column, in column order; nullopt where the row has none.
struct TableRow {
    uint32_t id = 0;
    std::vector<std::optional<std::string>> cells;
};

// The heap pages of a table context with `columns` (tags; the row
// identifier and row version columns come first on their own) and `rows`.
std::vector<std::string> tableContext(const std::vector<uint32_t>& columns, const std::vector<TableRow>& rows,
                                      SubnodeSink& sink);

}  // namespace tessaly::test::pst
