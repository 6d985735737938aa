// dbx_writer.cpp - builds Outlook Express 5/6 folder files in memory for tests.
#include "support/dbx_writer.h"

#include <algorithm>
#include <stdexcept>

namespace tessaly::test {

namespace {

std::string word32(uint32_t value) {
    std::string bytes(4, '\0');
    put32(bytes, 0, value);
    return bytes;
}

void need(const std::string& bytes, uint64_t offset, uint64_t length) {
    if (offset > bytes.size() || length > bytes.size() - offset) {
        throw std::out_of_range("dbx_writer: field outside the file");
    }
}

}  // namespace

void put32(std::string& bytes, uint64_t offset, uint32_t value) {
    need(bytes, offset, 4);
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void put8(std::string& bytes, uint64_t offset, uint8_t value) {
    need(bytes, offset, 1);
    bytes[offset] = static_cast<char>(value);
}

uint32_t get32(const std::string& bytes, uint64_t offset) {
    need(bytes, offset, 4);
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

DbxField DbxField::direct24(uint8_t index, uint32_t value) {
    DbxField field;
    field.index = index;
    field.direct = true;
    field.number = value & 0xFFFFFF;
    return field;
}

DbxField DbxField::word(uint8_t index, uint32_t value) { return raw(index, word32(value)); }

DbxField DbxField::text(uint8_t index, std::string_view text) {
    std::string bytes(text);
    bytes.push_back('\0');
    return raw(index, std::move(bytes));
}

DbxField DbxField::raw(uint8_t index, std::string bytes) {
    DbxField field;
    field.index = index;
    field.bytes = std::move(bytes);
    return field;
}

DbxWriter::DbxWriter(uint32_t fileType) : bytes_(kInfoStart, '\0') {
    // Bytes 0..3 and 8..15 hold the rest of the signature Outlook Express
    // writes; the reader never looks at them, other tools do.
    put32(bytes_, 0, 0xFE12ADCF);
    put32(bytes_, 8, 0x11D1E366);
    put32(bytes_, 12, 0xC0004E9A);
    setHeader(kHeaderType, fileType);
    setHeader(kHeaderInfoLength, 0);
}

void DbxWriter::setFolderName(std::string_view name) {
    if (bytes_.size() != kInfoStart) throw std::logic_error("dbx_writer: name after objects");
    bytes_.append(kInfoNamedLength, '\0');
    bytes_.replace(kInfoStart + kInfoName, std::min<size_t>(name.size(), kInfoNamedLength - kInfoName - 1),
                   name.substr(0, kInfoNamedLength - kInfoName - 1));
    setHeader(kHeaderInfoLength, kInfoNamedLength);
}

uint32_t DbxWriter::append(size_t length) {
    bytes_.resize((bytes_.size() + 3) & ~size_t{3}, '\0');
    const auto at = static_cast<uint32_t>(bytes_.size());
    bytes_.append(length, '\0');
    return at;
}

uint32_t DbxWriter::addRecord(const std::vector<DbxField>& fields) {
    std::string table;
    std::string data;
    for (const DbxField& field : fields) {
        if (field.direct) {
            table += word32((field.number << 8) | 0x80 | field.index);
        } else {
            table += word32((static_cast<uint32_t>(data.size()) << 8) | (field.index & 0x7F));
            data += field.bytes;
        }
    }
    const uint32_t body = static_cast<uint32_t>(table.size() + data.size());
    const uint32_t at = append(kRecordTable + body);
    put32(bytes_, at + kRecordMarker, at);
    put32(bytes_, at + kRecordBodyLength, body);
    put8(bytes_, at + kRecordEntryCount, static_cast<uint8_t>(fields.size()));
    bytes_.replace(at + kRecordTable, body, table + data);
    return at;
}

uint32_t DbxWriter::addBlock(uint32_t length, uint32_t next, std::string_view text) {
    const uint32_t at = append(kBlockText + text.size());
    put32(bytes_, at + kBlockMarker, at);
    put32(bytes_, at + 0x04, static_cast<uint32_t>(text.size()));
    put32(bytes_, at + kBlockLength, length);
    put32(bytes_, at + kBlockNext, next);
    bytes_.replace(at + kBlockText, text.size(), text);
    return at;
}

uint32_t DbxWriter::addText(std::string_view text, uint32_t blockText, std::vector<uint32_t>* blocks) {
    if (blockText == 0) throw std::invalid_argument("dbx_writer: empty blocks");
    std::vector<uint32_t> chain;
    size_t done = 0;
    do {
        const std::string_view piece = text.substr(done, blockText);
        chain.push_back(addBlock(static_cast<uint32_t>(piece.size()), 0, piece));
        done += piece.size();
    } while (done < text.size());
    for (size_t i = 0; i + 1 < chain.size(); ++i) put32(bytes_, chain[i] + kBlockNext, chain[i + 1]);
    if (blocks) *blocks = chain;
    return chain.front();
}

uint32_t DbxWriter::reserveNode() { return append(kNodeSize); }

void DbxWriter::writeNode(uint32_t at, uint32_t parent, uint32_t child, uint32_t childValues,
                          const std::vector<DbxEntry>& entries, int entryCount) {
    put32(bytes_, at + kNodeMarker, at);
    put32(bytes_, at + kNodeChild, child);
    put32(bytes_, at + kNodeParent, parent);
    put8(bytes_, at + kNodeEntryCount,
         static_cast<uint8_t>(entryCount < 0 ? entries.size() : static_cast<size_t>(entryCount)));
    put32(bytes_, at + kNodeChildValues, childValues);
    for (size_t i = 0; i < entries.size() && i < 51; ++i) {
        const uint32_t entry = at + kNodeEntries + kNodeEntrySize * static_cast<uint32_t>(i);
        put32(bytes_, entry, entries[i].value);
        put32(bytes_, entry + 4, entries[i].child);
        put32(bytes_, entry + 8, entries[i].childValues);
    }
}

uint32_t DbxWriter::addTree(const std::vector<uint32_t>& values, unsigned perNode,
                            std::vector<uint32_t>* nodes) {
    if (perNode == 0 || perNode > 51) throw std::invalid_argument("dbx_writer: 1 to 51 entries");
    if (nodes) nodes->clear();
    return buildSubtree(values, 0, values.size(), 0, perNode, nodes);
}

// A node holds up to perNode values itself; more are spread over perNode + 1
// child subtrees around perNode separating values.
uint32_t DbxWriter::buildSubtree(const std::vector<uint32_t>& values, size_t lo, size_t hi,
                                 uint32_t parent, unsigned perNode, std::vector<uint32_t>* nodes) {
    const uint32_t node = reserveNode();
    if (nodes) nodes->push_back(node);
    const size_t n = hi - lo;
    std::vector<DbxEntry> entries;
    uint32_t child = 0;
    uint32_t childValues = 0;
    if (n <= perNode) {
        for (size_t i = lo; i < hi; ++i) entries.push_back({values[i], 0, 0});
    } else {
        const size_t rest = n - perNode;
        const size_t groups = perNode + 1;
        size_t at = lo;
        auto subtree = [&](size_t group, uint32_t& offset, uint32_t& count) {
            const size_t groupSize = rest / groups + (group < rest % groups ? 1 : 0);
            offset = groupSize ? buildSubtree(values, at, at + groupSize, node, perNode, nodes) : 0;
            count = static_cast<uint32_t>(groupSize);
            at += groupSize;
        };
        subtree(0, child, childValues);
        for (size_t e = 0; e < perNode; ++e) {
            DbxEntry entry;
            entry.value = values[at++];
            subtree(e + 1, entry.child, entry.childValues);
            entries.push_back(entry);
        }
    }
    writeNode(node, parent, child, childValues, entries);
    return node;
}

DbxTestFile makeDbxMailFile(const std::vector<DbxTestMessage>& messages, const DbxMailOptions& options) {
    DbxWriter writer(kDbxMailType);
    writer.setFolderName(options.folderName);
    DbxTestFile file;
    for (size_t i = 0; i < messages.size(); ++i) {
        const DbxTestMessage& message = messages[i];
        std::vector<uint32_t> chain;
        uint32_t address = 0;
        if (!message.text.empty()) address = writer.addText(message.text, options.blockText, &chain);
        file.blocks.push_back(chain);

        std::vector<DbxField> fields;
        fields.push_back(DbxField::direct24(0x00, static_cast<uint32_t>(i + 1)));
        fields.push_back(DbxField::direct24(0x01, 0x81));
        fields.push_back(DbxField::raw(0x02, std::string("\x00\x80\x3e\xd5\xde\xb1\x9d\x01", 8)));
        if (address != 0) {
            fields.push_back(options.directAddress ? DbxField::direct24(0x04, address)
                                                   : DbxField::word(0x04, address));
        }
        fields.push_back(DbxField::text(0x05, message.subject));
        fields.push_back(DbxField::text(0x08, message.subject));
        fields.push_back(DbxField::text(0x0D, message.senderName));
        fields.push_back(DbxField::text(0x0E, "sender@example.org"));
        fields.push_back(DbxField::direct24(0x11, static_cast<uint32_t>(message.text.size())));
        fields.push_back(DbxField::text(0x13, message.receiverName));
        fields.push_back(DbxField::text(0x14, "receiver@example.org"));
        file.records.push_back(writer.addRecord(fields));
    }
    if (!messages.empty()) file.root = writer.addTree(file.records, options.perNode, &file.nodes);
    writer.setHeader(kHeaderMessageCount, static_cast<uint32_t>(messages.size()));
    writer.setHeader(kHeaderMessageRoot, file.root);
    file.bytes = std::move(writer.bytes());
    return file;
}

DbxTestFile makeDbxFolderTree(const std::vector<DbxTestFolder>& folders, unsigned perNode) {
    DbxWriter writer(kDbxTreeType);
    DbxTestFile file;
    for (const DbxTestFolder& folder : folders) {
        std::vector<DbxField> fields;
        fields.push_back(DbxField::direct24(0x00, folder.id));
        fields.push_back(DbxField::direct24(0x01, folder.parentId));
        fields.push_back(DbxField::text(0x02, folder.name));
        fields.push_back(DbxField::text(0x03, folder.fileName));
        if (!folder.accountKey.empty()) fields.push_back(DbxField::text(0x05, folder.accountKey));
        fields.push_back(DbxField::direct24(0x06, 0x04));
        if (folder.special != 0) fields.push_back(DbxField::direct24(0x09, folder.special));
        fields.push_back(DbxField::direct24(0x0A, folder.local));
        file.records.push_back(writer.addRecord(fields));
    }
    if (!folders.empty()) file.root = writer.addTree(file.records, perNode, &file.nodes);
    writer.setHeader(kHeaderFolderCount, static_cast<uint32_t>(folders.size()));
    writer.setHeader(kHeaderFolderRoot, file.root);
    file.bytes = std::move(writer.bytes());
    return file;
}

std::string sampleMessageText(const std::string& subject, size_t length) {
    std::string text = "From: A Sender <sender@example.org>\r\nTo: receiver@example.org\r\nSubject: " +
                       subject + "\r\nDate: Mon, 17 Jun 2002 15:42:07 -0400\r\n\r\n";
    for (int line = 1; text.size() < length; ++line) {
        text += "Line " + std::to_string(line) + " of the body of \"" + subject + "\".\r\n";
    }
    return text;
}

}  // namespace tessaly::test
