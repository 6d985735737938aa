// pst_ndb.cpp - the node and block layer of a personal-store file being written.
#include "support/pst_ndb.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstddef>

namespace tessaly::test::pst {

namespace {

constexpr size_t kBlockTrailer = 16;
constexpr size_t kXEntries = (kBlockDataMax - 8) / 8;   // BIDs in an XBLOCK or XXBLOCK
constexpr size_t kSlEntries = (kBlockDataMax - 8) / 24;  // entries in an SLBLOCK
constexpr size_t kSiEntries = (kBlockDataMax - 8) / 16;  // entries in an SIBLOCK
constexpr size_t kPageEntries = 488;
constexpr uint8_t kPageBbt = 0x80;
constexpr uint8_t kPageNbt = 0x81;
constexpr uint8_t kPageFMap = 0x82;
constexpr uint8_t kPagePMap = 0x83;
constexpr uint8_t kPageAMap = 0x84;
constexpr uint8_t kPageFPMap = 0x85;

// The first node index a new store hands out, by node type: search folders
// and their queues, associated and normal messages start higher.
uint32_t firstNidIndex(uint32_t type) {
    switch (type) {
        case 0x03: case 0x06: case 0x07: case 0x10: return 0x4000;
        case 0x08: return 0x8000;
        case 0x04: return 0x10000;
        default: return 0x400;
    }
}

uint64_t roundUp(uint64_t value, uint64_t align) { return (value + align - 1) / align * align; }

const std::array<uint32_t, 256>& crcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

// The map pages at the start of allocation map range `k`: the AMap, a PMap
// in every eighth, an FMap in the 128th and every 496th after, an FPMap
// (behind a free page) in the 8,192nd and every 31,744th after.
constexpr uint64_t kFMapFirst = 128;
constexpr uint64_t kFMapEvery = 496;
constexpr uint64_t kFPMapFirst = 128 * 64;
constexpr uint64_t kFPMapEvery = 496 * 64;
bool hasPMap(uint64_t k) { return k % 8 == 0; }
bool hasFMap(uint64_t k) { return k >= kFMapFirst && (k - kFMapFirst) % kFMapEvery == 0; }
bool hasFPMap(uint64_t k) { return k >= kFPMapFirst && (k - kFPMapFirst) % kFPMapEvery == 0; }

uint64_t mapIndex(uint64_t at) { return (at - kFirstAMap) / kAMapCovers; }
uint64_t mapStart(uint64_t at) { return kFirstAMap + mapIndex(at) * kAMapCovers; }
uint64_t reservedEnd(uint64_t start) {
    const uint64_t k = mapIndex(start);
    const uint64_t pages = hasFPMap(k) ? 4 : hasFMap(k) ? 3 : hasPMap(k) ? 2 : 1;
    return start + pages * kPageSize;
}

// A map page: 496 bytes, then the trailer; map pages are known by their offset.
std::string mapPage(std::string bits, uint8_t type, uint64_t ib) {
    const uint32_t crc = crc32(bits);
    bits += static_cast<char>(type);
    bits += static_cast<char>(type);
    add16(bits, 0);
    add32(bits, crc);
    add64(bits, ib);
    return bits;
}

}  // namespace

uint32_t crc32(std::string_view bytes, uint32_t crc) {
    const auto& table = crcTable();
    for (const char c : bytes) crc = table[(crc ^ static_cast<unsigned char>(c)) & 0xFF] ^ (crc >> 8);
    return crc;
}

uint16_t blockSignature(uint64_t ib, uint64_t bid) {
    const uint32_t low = static_cast<uint32_t>(ib ^ bid);
    return static_cast<uint16_t>((low >> 16) ^ (low & 0xFFFF));
}

void add16(std::string& out, uint16_t value) {
    for (int i = 0; i < 2; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}
void add32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}
void add64(std::string& out, uint64_t value) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}
void set16(std::string& out, size_t at, uint16_t value) {
    for (int i = 0; i < 2; ++i) out[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}
void set32(std::string& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}
void set64(std::string& out, size_t at, uint64_t value) {
    for (int i = 0; i < 8; ++i) out[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

NdbWriter::~NdbWriter() {
    if (file_) std::fclose(file_);
}

bool NdbWriter::open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        fail(errno);
        return false;
    }
    buffer_.resize(1 << 20);
    std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
    // The header goes in last; the space up to the first map page stays empty.
    emitZeros(kFirstAMap);
    return ok_;
}

void NdbWriter::fail(int error) {
    if (ok_) error_ = error;
    ok_ = false;
}

void NdbWriter::emit(const char* data, size_t size) {
    if (ok_ && size && std::fwrite(data, 1, size, file_) != size) fail(errno);
    pos_ += size;
}

void NdbWriter::emitZeros(uint64_t count) {
    static const std::string zeros(4096, '\0');
    while (count) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(count, zeros.size()));
        emit(zeros.data(), n);
        count -= n;
    }
}

uint64_t NdbWriter::allocate(uint64_t size, uint64_t align) {
    uint64_t at = roundUp(pos_, align);
    for (;;) {
        const uint64_t start = mapStart(at);
        if (at < reservedEnd(start)) {
            at = roundUp(reservedEnd(start), align);
        } else if (at + size > start + kAMapCovers) {
            at = start + kAMapCovers;  // nothing spans a map page
        } else {
            break;
        }
    }
    emitZeros(at - pos_);
    const uint64_t first = at / 64;
    const uint64_t last = (at + size + 63) / 64;
    if (used_.size() * 8 < last) used_.resize(static_cast<size_t>((last + 7) / 8 * 2), 0);
    for (uint64_t u = first; u < last; ++u) used_[u / 8] |= static_cast<uint8_t>(0x80 >> (u % 8));
    return at;
}

uint64_t NdbWriter::writeBlock(std::string_view data, bool internal) {
    const uint64_t bid = nextBlock_++ * 4 | (internal ? 2 : 0);
    const uint64_t total = roundUp(data.size() + kBlockTrailer, 64);
    const uint64_t ib = allocate(total, 64);
    std::string tail(static_cast<size_t>(total - data.size() - kBlockTrailer), '\0');
    add16(tail, static_cast<uint16_t>(data.size()));
    add16(tail, blockSignature(ib, bid));
    add32(tail, crc32(data));
    add64(tail, bid);
    emit(data.data(), data.size());
    emit(tail.data(), tail.size());
    blocks_.push_back({bid, ib, static_cast<uint16_t>(data.size())});
    return bid;
}

uint64_t NdbWriter::writeData(std::string_view data, size_t chunk) {
    chunk = std::min(chunk, kBlockDataMax);
    if (data.size() <= chunk) return writeBlock(data, false);
    std::vector<uint64_t> bids;
    std::vector<uint64_t> sizes;
    for (size_t at = 0; at < data.size(); at += chunk) {
        const std::string_view part = data.substr(at, chunk);
        bids.push_back(writeBlock(part, false));
        sizes.push_back(part.size());
    }
    return writeTree(std::move(bids), std::move(sizes), 1);
}

uint64_t NdbWriter::writeBlocks(const std::vector<std::string>& blocks) {
    std::vector<uint64_t> bids;
    std::vector<uint64_t> sizes;
    for (const std::string& block : blocks) {
        bids.push_back(writeBlock(block, false));
        sizes.push_back(block.size());
    }
    if (bids.size() == 1) return bids[0];
    return writeTree(std::move(bids), std::move(sizes), 1);
}

// XBLOCKs (level 1) over data blocks, an XXBLOCK (level 2) over XBLOCKs.
uint64_t NdbWriter::writeTree(std::vector<uint64_t> bids, std::vector<uint64_t> sizes, uint8_t level) {
    if (level > 2) {
        fail(EFBIG);
        return 0;
    }
    std::vector<uint64_t> upper;
    std::vector<uint64_t> upperSizes;
    for (size_t first = 0; first < bids.size(); first += kXEntries) {
        const size_t count = std::min(kXEntries, bids.size() - first);
        uint64_t total = 0;
        for (size_t i = first; i < first + count; ++i) total += sizes[i];
        std::string block;
        block += '\x01';
        block += static_cast<char>(level);
        add16(block, static_cast<uint16_t>(count));
        add32(block, static_cast<uint32_t>(total));
        for (size_t i = first; i < first + count; ++i) add64(block, bids[i]);
        upper.push_back(writeBlock(block, true));
        upperSizes.push_back(total);
    }
    if (upper.size() == 1) return upper[0];
    return writeTree(std::move(upper), std::move(upperSizes), level + 1);
}

uint64_t NdbWriter::writeSubnodes(std::vector<SubnodeEntry> entries) {
    if (entries.empty()) return 0;
    std::sort(entries.begin(), entries.end(),
              [](const SubnodeEntry& a, const SubnodeEntry& b) { return a.nid < b.nid; });
    if (entries.size() <= kSlEntries) return writeSubnodeLevel(entries);
    if (entries.size() > kSlEntries * kSiEntries) {
        fail(EFBIG);
        return 0;
    }
    std::string index;
    index += '\x02';
    index += '\x01';
    add16(index, static_cast<uint16_t>((entries.size() + kSlEntries - 1) / kSlEntries));
    add32(index, 0);
    for (size_t first = 0; first < entries.size(); first += kSlEntries) {
        const size_t count = std::min(kSlEntries, entries.size() - first);
        const std::vector<SubnodeEntry> part(entries.begin() + static_cast<std::ptrdiff_t>(first),
                                             entries.begin() + static_cast<std::ptrdiff_t>(first + count));
        add64(index, part.front().nid);
        add64(index, writeSubnodeLevel(part));
    }
    return writeBlock(index, true);
}

uint64_t NdbWriter::writeSubnodeLevel(const std::vector<SubnodeEntry>& entries) {
    std::string block;
    block += '\x02';
    block += '\x00';
    add16(block, static_cast<uint16_t>(entries.size()));
    add32(block, 0);
    for (const SubnodeEntry& e : entries) {
        add64(block, e.nid);
        add64(block, e.bidData);
        add64(block, e.bidSub);
    }
    return writeBlock(block, true);
}

void NdbWriter::addNode(uint32_t nid, uint64_t bidData, uint64_t bidSub, uint32_t parent) {
    nodes_.push_back({nid, bidData, bidSub, parent});
}

NdbWriter::PageRef NdbWriter::writePage(uint8_t type, const std::string& entries, uint8_t count, uint8_t max,
                                        uint8_t size, uint8_t level, uint64_t firstKey) {
    std::string page = entries;
    page.resize(kPageEntries, '\0');
    page += static_cast<char>(count);
    page += static_cast<char>(max);
    page += static_cast<char>(size);
    page += static_cast<char>(level);
    add32(page, 0);
    const uint64_t bid = nextPage_++ * 4;
    const uint64_t ib = allocate(kPageSize, kPageSize);
    const uint32_t crc = crc32(page);
    page += static_cast<char>(type);
    page += static_cast<char>(type);
    add16(page, blockSignature(ib, bid));
    add32(page, crc);
    add64(page, bid);
    emit(page.data(), page.size());
    return {firstKey, bid, ib};
}

// Leaf pages of `perLeaf` entries, then index levels of 20 entries until one
// page is left: the root.
NdbWriter::PageRef NdbWriter::buildBTree(uint8_t type, const std::vector<std::string>& entries,
                                         const std::vector<uint64_t>& keys, uint8_t perLeaf, uint8_t leafSize) {
    std::vector<PageRef> level;
    for (size_t first = 0; first < entries.size() || first == 0; first += perLeaf) {
        const size_t count = std::min<size_t>(perLeaf, entries.size() - first);
        std::string bytes;
        for (size_t i = first; i < first + count; ++i) bytes += entries[i];
        level.push_back(writePage(type, bytes, static_cast<uint8_t>(count), perLeaf, leafSize, 0,
                                  count ? keys[first] : 0));
        if (entries.empty()) break;
    }
    constexpr uint8_t kIndexEntries = kPageEntries / 24;
    for (uint8_t depth = 1; level.size() > 1; ++depth) {
        std::vector<PageRef> upper;
        for (size_t first = 0; first < level.size(); first += kIndexEntries) {
            const size_t count = std::min<size_t>(kIndexEntries, level.size() - first);
            std::string bytes;
            for (size_t i = first; i < first + count; ++i) {
                add64(bytes, level[i].key);
                add64(bytes, level[i].bid);
                add64(bytes, level[i].ib);
            }
            upper.push_back(
                writePage(type, bytes, static_cast<uint8_t>(count), kIndexEntries, 24, depth, level[first].key));
        }
        level = std::move(upper);
    }
    return level.front();
}

bool NdbWriter::finish() {
    if (!file_) return false;
    std::sort(nodes_.begin(), nodes_.end(), [](const NodeRef& a, const NodeRef& b) { return a.nid < b.nid; });
    std::vector<std::string> entries;
    std::vector<uint64_t> keys;
    for (const NodeRef& n : nodes_) {
        std::string e;
        add64(e, n.nid);
        add64(e, n.bidData);
        add64(e, n.bidSub);
        add32(e, n.parent);
        add32(e, 0);
        entries.push_back(std::move(e));
        keys.push_back(n.nid);
    }
    const PageRef nbt = buildBTree(kPageNbt, entries, keys, kPageEntries / 32, 32);

    // Blocks got rising BIDs as they were written: already in key order.
    entries.clear();
    keys.clear();
    for (const BlockRef& b : blocks_) {
        std::string e;
        add64(e, b.bid);
        add64(e, b.ib);
        add16(e, b.cb);
        add16(e, 2);  // the reference count Outlook's own stores show for a block one node uses
        add32(e, 0);
        entries.push_back(std::move(e));
        keys.push_back(b.bid);
    }
    const PageRef bbt = buildBTree(kPageBbt, entries, keys, kPageEntries / 24, 24);

    // The file ends where the last allocation map's range ends.
    const uint64_t end = mapStart(pos_ - 1) + kAMapCovers;
    emitZeros(end - pos_);
    writeAllocationMaps();
    writeHeader(nbt, bbt);
    if (std::fflush(file_) != 0) fail(errno);
    if (std::fclose(file_) != 0) fail(errno);
    file_ = nullptr;
    if (!ok_) errno = error_;
    return ok_;
}

void NdbWriter::writeAt(uint64_t at, const std::string& bytes) {
    if (!ok_) return;
    if (fseeko(file_, static_cast<off_t>(at), SEEK_SET) != 0 ||
        std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        fail(errno);
    }
}

// Each allocation map marks its own pages and every 64 bytes that blocks
// and pages took; the free maps hold each allocation map's longest run of
// free 64-byte units (at most 255); the page maps have nothing free.
void NdbWriter::writeAllocationMaps() {
    used_.resize(static_cast<size_t>(pos_ / 64 / 8 + 1), 0);
    uint64_t free = 0;
    std::vector<uint8_t> longestFree;
    for (uint64_t start = kFirstAMap; start < pos_; start += kAMapCovers) {
        for (uint64_t u = start / 64; u < reservedEnd(start) / 64; ++u) {
            used_[u / 8] |= static_cast<uint8_t>(0x80 >> (u % 8));
        }
        std::string bits(used_.begin() + static_cast<std::ptrdiff_t>(start / 64 / 8),
                         used_.begin() + static_cast<std::ptrdiff_t>(start / 64 / 8 + 496));
        uint64_t run = 0;
        uint64_t longest = 0;
        for (const char c : bits) {
            for (int b = 7; b >= 0; --b) {
                run = (static_cast<unsigned char>(c) >> b & 1) ? 0 : run + 1;
                longest = std::max(longest, run);
            }
            free += 64 * (8 - std::popcount(static_cast<unsigned char>(c)));
        }
        longestFree.push_back(static_cast<uint8_t>(std::min<uint64_t>(longest, 255)));
        writeAt(start, mapPage(std::move(bits), kPageAMap, start));
        const uint64_t k = mapIndex(start);
        if (hasPMap(k)) writeAt(start + kPageSize, mapPage(std::string(496, '\xFF'), kPagePMap, start + kPageSize));
        if (hasFPMap(k)) {
            writeAt(start + 3 * kPageSize, mapPage(std::string(496, '\xFF'), kPageFPMap, start + 3 * kPageSize));
        }
    }
    for (uint64_t k = kFMapFirst; k < longestFree.size(); k += kFMapEvery) {
        std::string bytes(496, '\0');
        for (uint64_t i = 0; i < 496 && k + i < longestFree.size(); ++i) {
            bytes[i] = static_cast<char>(longestFree[k + i]);
        }
        const uint64_t at = kFirstAMap + k * kAMapCovers + 2 * kPageSize;
        writeAt(at, mapPage(std::move(bytes), kPageFMap, at));
    }
    amapFree_ = free;
}

void NdbWriter::writeHeader(const PageRef& nbt, const PageRef& bbt) {
    std::string h(564, '\0');
    h.replace(0, 4, "!BDN");
    set16(h, 0x08, 0x4D53);  // "SM"
    set16(h, 0x0A, 23);      // Unicode
    set16(h, 0x0C, 19);
    h[0x0E] = 1;
    h[0x0F] = 1;
    set64(h, 0x20, nextPage_ * 4);
    set32(h, 0x28, 1);
    // The next free index of each node type.
    std::array<uint32_t, 32> next{};
    for (uint32_t t = 0; t < next.size(); ++t) next[t] = firstNidIndex(t);
    for (const NodeRef& n : nodes_) next[n.nid & 0x1F] = std::max(next[n.nid & 0x1F], (n.nid >> 5) + 1);
    for (size_t t = 0; t < next.size(); ++t) set32(h, 0x2C + 4 * t, next[t]);
    set64(h, 0xB8, pos_);
    set64(h, 0xC0, mapStart(pos_ - 1));
    set64(h, 0xC8, amapFree_);
    set64(h, 0xD0, 0);
    set64(h, 0xD8, nbt.bid);
    set64(h, 0xE0, nbt.ib);
    set64(h, 0xE8, bbt.bid);
    set64(h, 0xF0, bbt.ib);
    h[0xF8] = 2;  // the allocation maps are valid
    std::fill(h.begin() + 0x100, h.begin() + 0x200, '\xFF');
    h[0x200] = '\x80';
    h[0x201] = 0;  // no encoding of the data
    set64(h, 0x204, nextBlock_ * 4);
    set32(h, 0x04, crc32(std::string_view(h).substr(8, 471)));
    set32(h, 0x20C, crc32(std::string_view(h).substr(8, 516)));
    writeAt(0, h);
}

}  // namespace tessaly::test::pst
