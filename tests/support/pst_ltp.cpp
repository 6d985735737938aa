// pst_ltp.cpp - heaps on nodes, their B-trees, property and table contexts.
#include "support/pst_ltp.h"

#include <algorithm>

#include "support/pst_ndb.h"

namespace tessaly::test::pst {

namespace {

constexpr uint8_t kHeapSignature = 0xEC;
constexpr uint8_t kBTreeType = 0xB5;
constexpr uint8_t kPropertyContext = 0xBC;
constexpr uint8_t kTableContext = 0x7C;
constexpr uint32_t kTagRowId = 0x67F20003;
constexpr uint32_t kTagRowVersion = 0x67F30003;

// Page 0 starts with the heap header, pages 8, 136, 264 ... with a fill
// bitmap, the others with the page map offset alone.
size_t pageHeaderSize(size_t page) {
    if (page == 0) return 12;
    if (page % 128 == 8) return 66;
    return 2;
}

// What a page needs for `items` items of `bytes` bytes: header, items,
// one byte to keep the map even, the map.
size_t pageNeed(size_t page, size_t items, size_t bytes) {
    return pageHeaderSize(page) + bytes + 1 + 4 + 2 * (items + 1);
}

uint16_t propType(uint32_t tag) { return static_cast<uint16_t>(tag & 0xFFFF); }

// Bytes a value takes in a table row: fixed values up to eight bytes in
// place, everything else as a heap or subnode reference.
size_t cellSize(uint16_t type) {
    switch (type) {
        case kPtBoolean: return 1;
        case kPtShort: return 2;
        case kPtI8:
        case kPtSysTime: return 8;
        default: return 4;
    }
}

bool inlineInProperty(uint16_t type) { return type == kPtShort || type == kPtLong || type == kPtBoolean; }

// A variable value: on the heap when small enough, else in a subnode.
uint32_t storeValue(Heap& heap, SubnodeSink& sink, const std::string& value) {
    if (value.size() <= kHeapItemMax) return heap.add(value);
    return sink.addValue(value, kBlockDataMax);
}

std::string le32(uint32_t value) {
    std::string out;
    add32(out, value);
    return out;
}

}  // namespace

uint32_t Heap::add(std::string item) {
    if (pages_.empty() || pageNeed(pages_.size() - 1, pages_.back().items.size() + 1,
                                   pages_.back().bytes + item.size()) > kBlockDataMax) {
        pages_.emplace_back();
    }
    Page& page = pages_.back();
    page.bytes += item.size();
    page.items.push_back(std::move(item));
    return static_cast<uint32_t>((pages_.size() - 1) << 16 | page.items.size() << 5);
}

std::string& Heap::at(uint32_t hid) { return pages_[hid >> 16].items[((hid >> 5) & 0x7FF) - 1]; }

std::vector<std::string> Heap::pages() const {
    std::vector<std::string> blocks;
    for (size_t p = 0; p < pages_.size() || p == 0; ++p) {
        static const Page kEmpty;
        const Page& page = p < pages_.size() ? pages_[p] : kEmpty;
        std::string block(pageHeaderSize(p), '\0');
        if (p == 0) {
            block[2] = static_cast<char>(kHeapSignature);
            block[3] = static_cast<char>(signature_);
            set32(block, 4, root_);
        }
        std::vector<uint16_t> offsets;
        for (const std::string& item : page.items) {
            offsets.push_back(static_cast<uint16_t>(block.size()));
            block += item;
        }
        offsets.push_back(static_cast<uint16_t>(block.size()));
        if (block.size() % 2) block += '\0';
        set16(block, 0, static_cast<uint16_t>(block.size()));
        add16(block, static_cast<uint16_t>(page.items.size()));
        add16(block, 0);
        for (const uint16_t at : offsets) add16(block, at);
        blocks.push_back(std::move(block));
        if (pages_.empty()) break;
    }
    return blocks;
}

uint32_t addBTree(Heap& heap, uint8_t keySize, uint8_t dataSize, const std::vector<std::string>& records,
                  uint32_t header) {
    if (header == 0) header = heap.add(std::string(8, '\0'));
    uint8_t levels = 0;
    uint32_t root = 0;
    if (!records.empty()) {
        // Leaves, then index levels of (first key, item) until one item is left.
        std::vector<std::pair<std::string, uint32_t>> level;
        const size_t perLeaf = kHeapItemMax / (keySize + dataSize);
        for (size_t first = 0; first < records.size(); first += perLeaf) {
            std::string item;
            for (size_t i = first; i < std::min(records.size(), first + perLeaf); ++i) item += records[i];
            level.emplace_back(records[first].substr(0, keySize), heap.add(std::move(item)));
        }
        const size_t perIndex = kHeapItemMax / (keySize + 4u);
        while (level.size() > 1) {
            std::vector<std::pair<std::string, uint32_t>> upper;
            for (size_t first = 0; first < level.size(); first += perIndex) {
                std::string item;
                for (size_t i = first; i < std::min(level.size(), first + perIndex); ++i) {
                    item += level[i].first;
                    add32(item, level[i].second);
                }
                upper.emplace_back(level[first].first, heap.add(std::move(item)));
            }
            level = std::move(upper);
            ++levels;
        }
        root = level.front().second;
    }
    std::string& h = heap.at(header);
    h[0] = static_cast<char>(kBTreeType);
    h[1] = static_cast<char>(keySize);
    h[2] = static_cast<char>(dataSize);
    h[3] = static_cast<char>(levels);
    set32(h, 4, root);
    return header;
}

std::string utf16le(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() * 2);
    auto put = [&out](uint32_t unit) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    };
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        uint32_t code = length == 1 ? c : length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
        bool good = length != 0 && i + length <= utf8.size();
        for (size_t k = 1; good && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            good = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!good || code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
            put(0xFFFD);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            put(code);
        }
        i += length;
    }
    return out;
}

Prop longProp(uint32_t tag, uint32_t value) { return {tag, le32(value)}; }
Prop boolProp(uint32_t tag, bool value) { return {tag, le32(value ? 1 : 0)}; }
Prop textProp(uint32_t tag, std::string_view utf8) { return {tag, utf16le(utf8)}; }
Prop binaryProp(uint32_t tag, std::string bytes) { return {tag, std::move(bytes)}; }

Prop timeProp(uint32_t tag, int64_t unixTime) {
    // 100-nanosecond steps since 1601.
    const uint64_t filetime = static_cast<uint64_t>(unixTime + 11644473600LL) * 10000000ULL;
    std::string bytes;
    add64(bytes, filetime);
    return {tag, bytes};
}

std::vector<std::string> propertyContext(std::vector<Prop> props, SubnodeSink& sink) {
    std::stable_sort(props.begin(), props.end(), [](const Prop& a, const Prop& b) { return a.tag < b.tag; });
    Heap heap(kPropertyContext);
    const uint32_t header = heap.add(std::string(8, '\0'));
    std::vector<std::string> records;
    for (const Prop& p : props) {
        const uint16_t type = propType(p.tag);
        std::string record;
        add16(record, static_cast<uint16_t>(p.tag >> 16));
        add16(record, type);
        if (inlineInProperty(type)) {
            std::string value = p.value;
            value.resize(4, '\0');
            record += value;
        } else {
            add32(record, storeValue(heap, sink, p.value));
        }
        records.push_back(std::move(record));
    }
    heap.setRoot(addBTree(heap, 2, 6, records, header));
    return heap.pages();
}

std::vector<std::string> tableContext(const std::vector<uint32_t>& columns, const std::vector<TableRow>& rows,
                                      SubnodeSink& sink) {
    struct Column {
        uint32_t tag;
        size_t source;  // index into a row's cells; none for the row id and version
        uint16_t offset = 0;
        uint8_t size = 0;
        uint8_t bit = 0;
    };
    constexpr size_t kNone = static_cast<size_t>(-1);
    std::vector<Column> layout{{kTagRowId, kNone}, {kTagRowVersion, kNone}};
    // Eight-byte values, then four, two and one: the row's groups.
    for (const size_t size : {8u, 4u, 2u, 1u}) {
        for (size_t i = 0; i < columns.size(); ++i) {
            if (cellSize(propType(columns[i])) == size) layout.push_back({columns[i], i});
        }
    }
    uint16_t ends[4] = {};
    uint16_t offset = 0;
    for (size_t i = 0; i < layout.size(); ++i) {
        Column& c = layout[i];
        c.size = static_cast<uint8_t>(cellSize(propType(c.tag)));
        c.offset = offset;
        c.bit = static_cast<uint8_t>(i);
        offset = static_cast<uint16_t>(offset + c.size);
        if (c.size >= 4) ends[0] = offset;
    }
    ends[1] = ends[0];
    for (const Column& c : layout) {
        if (c.size == 2) ends[1] = static_cast<uint16_t>(c.offset + 2);
    }
    ends[2] = offset;
    ends[3] = static_cast<uint16_t>(offset + (layout.size() + 7) / 8);
    const size_t rowSize = ends[3];

    Heap heap(kTableContext);
    const uint32_t info = heap.add(std::string(22 + 8 * layout.size(), '\0'));

    std::vector<std::pair<uint32_t, uint32_t>> index;
    for (size_t r = 0; r < rows.size(); ++r) index.emplace_back(rows[r].id, static_cast<uint32_t>(r));
    std::sort(index.begin(), index.end());
    std::vector<std::string> records;
    for (const auto& [id, row] : index) records.push_back(le32(id) + le32(row));
    const uint32_t rowIndex = addBTree(heap, 4, 4, records);

    std::string matrix;
    matrix.reserve(rows.size() * rowSize);
    for (const TableRow& row : rows) {
        std::string bytes(rowSize, '\0');
        for (const Column& c : layout) {
            std::string value;
            if (c.source == kNone) {
                value = le32(c.tag == kTagRowId ? row.id : 1);
            } else if (c.source < row.cells.size() && row.cells[c.source]) {
                value = *row.cells[c.source];
                if (cellSize(propType(c.tag)) == 4 && propType(c.tag) != kPtLong) {
                    value = le32(storeValue(heap, sink, value));
                }
            } else {
                continue;
            }
            value.resize(c.size, '\0');
            bytes.replace(c.offset, c.size, value);
            bytes[ends[2] + c.bit / 8] = static_cast<char>(bytes[ends[2] + c.bit / 8] | (0x80 >> (c.bit % 8)));
        }
        matrix += bytes;
    }
    uint32_t rowsRef = 0;
    if (matrix.size() > kHeapItemMax) {
        rowsRef = sink.addValue(matrix, kBlockDataMax / rowSize * rowSize);
    } else if (!matrix.empty()) {
        rowsRef = heap.add(std::move(matrix));
    }

    std::vector<Column> described = layout;
    std::sort(described.begin(), described.end(), [](const Column& a, const Column& b) { return a.tag < b.tag; });
    std::string& h = heap.at(info);
    h[0] = static_cast<char>(kTableContext);
    h[1] = static_cast<char>(layout.size());
    for (int i = 0; i < 4; ++i) set16(h, 2 + 2 * i, ends[i]);
    set32(h, 10, rowIndex);
    set32(h, 14, rowsRef);
    set32(h, 18, 0);
    for (size_t i = 0; i < described.size(); ++i) {
        set32(h, 22 + 8 * i, described[i].tag);
        set16(h, 26 + 8 * i, described[i].offset);
        h[28 + 8 * i] = static_cast<char>(described[i].size);
        h[29 + 8 * i] = static_cast<char>(described[i].bit);
    }
    heap.setRoot(info);
    return heap.pages();
}

}  // namespace tessaly::test::pst
