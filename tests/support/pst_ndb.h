// pst_ndb.h - the node and block layer of a Unicode personal-store file
// being written: blocks and block trees streamed to the file, subnode trees,
// and at the end the node and block B-trees, allocation maps and header.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::test::pst {

inline constexpr size_t kBlockDataMax = 8176;  // 8 KB less the block trailer
inline constexpr size_t kPageSize = 512;
inline constexpr uint64_t kFirstAMap = 0x4400;
inline constexpr uint64_t kAMapCovers = 496 * 8 * 64;  // bytes one allocation map page maps

// Node identifiers: an index above a five-bit type.
enum NidType : uint32_t {
    kNidNormalFolder = 0x02,
    kNidNormalMessage = 0x04,
    kNidAttachment = 0x05,
    kNidHierarchyTable = 0x0D,
    kNidContentsTable = 0x0E,
    kNidAssocContentsTable = 0x0F,
    kNidLtp = 0x1F,
};
constexpr uint32_t makeNid(uint32_t index, uint32_t type) { return index << 5 | type; }

inline constexpr uint32_t kNidMessageStore = 0x21;
inline constexpr uint32_t kNidNameToIdMap = 0x61;
inline constexpr uint32_t kNidRootFolder = 0x122;
inline constexpr uint32_t kNidRecipientTable = 0x692;
inline constexpr uint32_t kNidAttachmentTable = 0x671;

// The checksum of the format: CRC-32 (reflected 0xEDB88320) from 0, not inverted.
uint32_t crc32(std::string_view bytes, uint32_t crc = 0);
// The signature of a block or page at `ib` with identifier `bid`.
uint16_t blockSignature(uint64_t ib, uint64_t bid);

// Little-endian appends and stores.
void add16(std::string& out, uint16_t value);
void add32(std::string& out, uint32_t value);
void add64(std::string& out, uint64_t value);
void set16(std::string& out, size_t at, uint16_t value);
void set32(std::string& out, size_t at, uint32_t value);
void set64(std::string& out, size_t at, uint64_t value);

struct SubnodeEntry {
    uint32_t nid = 0;
    uint64_t bidData = 0;
    uint64_t bidSub = 0;
};

// One file under construction. Blocks go to the file as they come; the
// trees that index them are built bottom-up when the file is finished.
class NdbWriter {
public:
    NdbWriter() = default;
    ~NdbWriter();
    NdbWriter(const NdbWriter&) = delete;
    NdbWriter& operator=(const NdbWriter&) = delete;

    bool open(const std::string& path);

    // `data` as one block, or as data blocks of `chunk` bytes (the last one
    // shorter) under XBLOCKs and an XXBLOCK; returns the top block's BID.
    uint64_t writeData(std::string_view data, size_t chunk = kBlockDataMax);
    // Blocks given one by one (heap pages), under XBLOCKs when more than one.
    uint64_t writeBlocks(const std::vector<std::string>& blocks);
    // A subnode tree (SLBLOCKs, SIBLOCKs above 340 entries); 0 when empty.
    // The entries need not be sorted.
    uint64_t writeSubnodes(std::vector<SubnodeEntry> entries);

    void addNode(uint32_t nid, uint64_t bidData, uint64_t bidSub, uint32_t parent);

    // Writes the B-trees, the allocation maps and the header, and closes;
    // false with errno set to the first failure's.
    bool finish();

private:
    struct BlockRef {
        uint64_t bid;
        uint64_t ib;
        uint16_t cb;
    };
    struct NodeRef {
        uint32_t nid;
        uint64_t bidData;
        uint64_t bidSub;
        uint32_t parent;
    };
    struct PageRef {
        uint64_t key;
        uint64_t bid;
        uint64_t ib;
    };

    uint64_t writeBlock(std::string_view data, bool internal);
    uint64_t writeTree(std::vector<uint64_t> bids, std::vector<uint64_t> sizes, uint8_t level);
    uint64_t writeSubnodeLevel(const std::vector<SubnodeEntry>& entries);
    // Room for `size` bytes at `align`, past the allocation map pages.
    uint64_t allocate(uint64_t size, uint64_t align);
    void fail(int error);
    void emit(const char* data, size_t size);
    void emitZeros(uint64_t count);
    PageRef writePage(uint8_t type, const std::string& entries, uint8_t count, uint8_t max, uint8_t size,
                      uint8_t level, uint64_t firstKey);
    PageRef buildBTree(uint8_t type, const std::vector<std::string>& entries, const std::vector<uint64_t>& keys,
                       uint8_t perLeaf, uint8_t leafSize);
    void writeAllocationMaps();
    void writeHeader(const PageRef& nbt, const PageRef& bbt);
    void writeAt(uint64_t at, const std::string& bytes);

    std::vector<char> buffer_;  // the file's, while it is open
    std::FILE* file_ = nullptr;
    bool ok_ = true;
    int error_ = 0;
    uint64_t pos_ = 0;
    uint64_t nextBlock_ = 1;  // BIDs count in fours: bid = n * 4 (+ 2 for internal blocks)
    uint64_t nextPage_ = 1;
    uint64_t amapFree_ = 0;
    std::vector<BlockRef> blocks_;
    std::vector<NodeRef> nodes_;
    std::vector<uint8_t> used_;  // one bit per 64 bytes of the file
};

}  // namespace tessaly::test::pst
