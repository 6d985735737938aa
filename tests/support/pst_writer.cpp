// pst_writer.cpp - the messaging layer of the personal-store writer: the
// message store, the name map, folders with their three tables, messages
// with recipients and attachments.
#include "support/pst_writer.h"

#include <algorithm>
#include <optional>

#include "support/pst_ltp.h"
#include "support/pst_ndb.h"

namespace tessaly::test {

namespace {

using pst::Prop;

// Property tags.
constexpr uint32_t kNameIdBucketCount = 0x00010003;
constexpr uint32_t kNameIdStreamGuid = 0x00020102;
constexpr uint32_t kNameIdStreamEntry = 0x00030102;
constexpr uint32_t kNameIdStreamString = 0x00040102;
constexpr uint32_t kMessageClass = 0x001A001F;
constexpr uint32_t kSubject = 0x0037001F;
constexpr uint32_t kClientSubmitTime = 0x00390040;
constexpr uint32_t kSentRepresentingName = 0x0042001F;
constexpr uint32_t kSentRepresentingAddrType = 0x0064001F;
constexpr uint32_t kSentRepresentingEmail = 0x0065001F;
constexpr uint32_t kTransportHeaders = 0x007D001F;
constexpr uint32_t kSenderName = 0x0C1A001F;
constexpr uint32_t kRecipientType = 0x0C150003;
constexpr uint32_t kSenderAddrType = 0x0C1E001F;
constexpr uint32_t kSenderEmail = 0x0C1F001F;
constexpr uint32_t kDisplayTo = 0x0E04001F;
constexpr uint32_t kDeliveryTime = 0x0E060040;
constexpr uint32_t kMessageFlags = 0x0E070003;
constexpr uint32_t kMessageSize = 0x0E080003;
constexpr uint32_t kHasAttach = 0x0E1B000B;
constexpr uint32_t kAttachSize = 0x0E200003;
constexpr uint32_t kAttachNum = 0x0E210003;
constexpr uint32_t kRecordKey = 0x0FF90102;
constexpr uint32_t kObjectType = 0x0FFE0003;
constexpr uint32_t kBody = 0x1000001F;
constexpr uint32_t kHtml = 0x10130102;
constexpr uint32_t kInternetMessageId = 0x1035001F;
constexpr uint32_t kRowId = 0x30000003;
constexpr uint32_t kDisplayName = 0x3001001F;
constexpr uint32_t kAddrType = 0x3002001F;
constexpr uint32_t kEmailAddress = 0x3003001F;
constexpr uint32_t kCreationTime = 0x30070040;
constexpr uint32_t kLastModificationTime = 0x30080040;
constexpr uint32_t kValidFolderMask = 0x35DF0003;
constexpr uint32_t kIpmSubtreeEntryId = 0x35E00102;
constexpr uint32_t kContentCount = 0x36020003;
constexpr uint32_t kContentUnread = 0x36030003;
constexpr uint32_t kSubfolders = 0x360A000B;
constexpr uint32_t kIpmDraftsEntryId = 0x36D70102;
constexpr uint32_t kContainerClass = 0x3613001F;
constexpr uint32_t kAttachDataBin = 0x37010102;
constexpr uint32_t kAttachFilename = 0x3704001F;
constexpr uint32_t kAttachMethod = 0x37050003;
constexpr uint32_t kAttachLongFilename = 0x3707001F;
constexpr uint32_t kRenderingPosition = 0x370B0003;
constexpr uint32_t kAttachMimeTag = 0x370E001F;
constexpr uint32_t kAttachContentId = 0x3712001F;
constexpr uint32_t kInternetCodepage = 0x3FDE0003;
constexpr uint32_t kPstPassword = 0x67FF0003;

constexpr uint32_t kMessageFlagRead = 0x01;
constexpr uint32_t kMessageFlagHasAttach = 0x10;
constexpr uint32_t kAttachByValue = 1;
constexpr uint32_t kObjectAttach = 7;
constexpr uint32_t kRecipientTo = 1;
constexpr uint32_t kIpmSubtreeValid = 0x01;
constexpr uint32_t kNameIdBuckets = 251;

constexpr uint32_t kFirstFolderIndex = 0x401;  // the IPM subtree: node 0x8022
constexpr uint32_t kFirstMessageIndex = 0x10000;
constexpr uint32_t kFirstAttachmentIndex = 0x401;

const std::vector<uint32_t> kHierarchyColumns{kDisplayName, kContentCount, kContentUnread, kSubfolders,
                                              kContainerClass};
const std::vector<uint32_t> kContentsColumns{kMessageClass, kSubject,       kClientSubmitTime, kSentRepresentingName,
                                             kDisplayTo,    kDeliveryTime,  kMessageFlags,     kMessageSize};
const std::vector<uint32_t> kRecipientColumns{kRecipientType, kDisplayName, kAddrType, kEmailAddress, kRowId};
const std::vector<uint32_t> kAttachmentColumns{kAttachSize, kAttachFilename, kAttachMethod, kRenderingPosition};

uint32_t tableNid(uint32_t folder, uint32_t type) { return (folder & ~0x1Fu) | type; }

std::string le32(uint32_t value) {
    std::string out;
    pst::add32(out, value);
    return out;
}

// A table cell of text: none when empty.
std::optional<std::string> textCell(const std::string& utf8) {
    if (utf8.empty()) return std::nullopt;
    return pst::utf16le(utf8);
}

// A node's subnodes: values too large for its heap, tables and attachments.
class Subnodes : public pst::SubnodeSink {
public:
    explicit Subnodes(pst::NdbWriter& ndb) : ndb_(ndb) {}

    uint32_t addValue(std::string_view data, size_t chunk) override {
        const uint32_t nid = pst::makeNid(next_++, pst::kNidLtp);
        entries_.push_back({nid, ndb_.writeData(data, chunk), 0});
        return nid;
    }
    void add(uint32_t nid, uint64_t bidData, uint64_t bidSub) { entries_.push_back({nid, bidData, bidSub}); }
    uint64_t write() { return ndb_.writeSubnodes(std::move(entries_)); }

private:
    pst::NdbWriter& ndb_;
    std::vector<pst::SubnodeEntry> entries_;
    uint32_t next_ = 1;
};

struct FolderRow {
    uint32_t nid = 0;
    std::string name;
    size_t messages = 0;
    bool subfolders = false;
    bool ipf = true;
};

class StoreWriter {
public:
    explicit StoreWriter(pst::NdbWriter& ndb) : ndb_(ndb) {}

    void write(const std::vector<PstFolder>& folders) {
        writeStore();
        writeNameMap();
        const uint32_t top = pst::makeNid(nextFolder_++, pst::kNidNormalFolder);
        topNid_ = top;
        const FolderRow topRow = writeFolder(top, pst::kNidRootFolder, "Top of Personal Folders", {}, folders, false);
        writeFolderNode(pst::kNidRootFolder, pst::kNidRootFolder, std::nullopt, 0, {topRow}, {}, false);
    }

private:
    std::string entryId(uint32_t nid) const { return std::string(4, '\0') + recordKey_ + le32(nid); }

    // A node from the heap pages of its context and its subnodes.
    void addNode(uint32_t nid, uint32_t parent, const std::vector<std::string>& pages, Subnodes& subnodes) {
        const uint64_t data = ndb_.writeBlocks(pages);
        ndb_.addNode(nid, data, subnodes.write(), parent);
    }
    // A subnode of `into` from the heap pages of its context and its own subnodes.
    void addSubnode(Subnodes& into, uint32_t nid, const std::vector<std::string>& pages, Subnodes& subnodes) {
        const uint64_t data = ndb_.writeBlocks(pages);
        into.add(nid, data, subnodes.write());
    }

    void writeStore() {
        Subnodes subnodes(ndb_);
        const uint32_t top = pst::makeNid(kFirstFolderIndex, pst::kNidNormalFolder);
        addNode(pst::kNidMessageStore, 0,
                pst::propertyContext({pst::binaryProp(kRecordKey, recordKey_),
                                      pst::textProp(kDisplayName, "Personal Folders"),
                                      pst::binaryProp(kIpmSubtreeEntryId, entryId(top)),
                                      pst::longProp(kValidFolderMask, kIpmSubtreeValid),
                                      pst::longProp(kPstPassword, 0)},
                                     subnodes),
                subnodes);
    }

    // Two named properties, one known by number and one by name, so that
    // each stream holds something: readers refuse an empty map.
    void writeNameMap() {
        static constexpr char kCommonGuid[] = "\x08\x20\x06\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46";
        constexpr uint32_t kReminderDelta = 0x8501;  // in the common property set (first GUID: index 3)
        constexpr uint16_t kGuidFirst = 3;
        constexpr uint16_t kPublicStrings = 2;
        const std::string name = pst::utf16le("Keywords");
        std::string strings = le32(static_cast<uint32_t>(name.size())) + name;
        strings.resize((strings.size() + 3) / 4 * 4, '\0');

        // Entries: the number or string offset, the GUID index and kind, the index above 0x8000.
        auto entry = [](uint32_t key, uint16_t guid, bool named, uint16_t index) {
            std::string e = le32(key);
            pst::add16(e, static_cast<uint16_t>(guid << 1 | (named ? 1 : 0)));
            pst::add16(e, index);
            return e;
        };
        std::vector<Prop> props{pst::longProp(kNameIdBucketCount, kNameIdBuckets),
                                pst::binaryProp(kNameIdStreamGuid, std::string(kCommonGuid, 16)),
                                pst::binaryProp(kNameIdStreamEntry, entry(kReminderDelta, kGuidFirst, false, 0) +
                                                                        entry(0, kPublicStrings, true, 1)),
                                pst::binaryProp(kNameIdStreamString, strings)};
        // The hash buckets hold the same entries with strings by their checksum.
        const uint32_t numberHash = kReminderDelta ^ (kGuidFirst << 1);
        const uint32_t nameHash = pst::crc32(name) ^ (kPublicStrings << 1 | 1);
        const uint32_t numberBucket = numberHash % kNameIdBuckets;
        const uint32_t nameBucket = nameHash % kNameIdBuckets;
        std::string numberEntry = entry(kReminderDelta, kGuidFirst, false, 0);
        std::string nameEntry = entry(pst::crc32(name), kPublicStrings, true, 1);
        if (numberBucket == nameBucket) {
            props.push_back(pst::binaryProp(0x10000102 + (numberBucket << 16), numberEntry + nameEntry));
        } else {
            props.push_back(pst::binaryProp(0x10000102 + (numberBucket << 16), numberEntry));
            props.push_back(pst::binaryProp(0x10000102 + (nameBucket << 16), nameEntry));
        }
        Subnodes subnodes(ndb_);
        addNode(pst::kNidNameToIdMap, 0, pst::propertyContext(std::move(props), subnodes), subnodes);
    }

    FolderRow writeFolder(uint32_t nid, uint32_t parent, const std::string& name,
                          const std::vector<PstMessage>& messages, const std::vector<PstFolder>& subfolders,
                          bool ipf) {
        std::vector<FolderRow> children;
        for (const PstFolder& sub : subfolders) {
            const uint32_t subNid = pst::makeNid(nextFolder_++, pst::kNidNormalFolder);
            if (sub.drafts) draftsNid_ = subNid;
            children.push_back(writeFolder(subNid, nid, sub.name, sub.messages, sub.subfolders, true));
        }
        std::vector<pst::TableRow> contents;
        for (const PstMessage& m : messages) {
            const uint32_t messageNid = pst::makeNid(nextMessage_++, pst::kNidNormalMessage);
            contents.push_back(writeMessage(messageNid, nid, m));
        }
        writeFolderNode(nid, parent, name, messages.size(), children, contents, ipf);
        return {nid, name, messages.size(), !subfolders.empty(), ipf};
    }

    void writeFolderNode(uint32_t nid, uint32_t parent, const std::optional<std::string>& name, size_t messages,
                         const std::vector<FolderRow>& children, const std::vector<pst::TableRow>& contents,
                         bool ipf) {
        std::vector<Prop> props{pst::longProp(kContentCount, static_cast<uint32_t>(messages)),
                                pst::longProp(kContentUnread, 0), pst::boolProp(kSubfolders, !children.empty())};
        if (name) props.push_back(pst::textProp(kDisplayName, *name));
        if (ipf) props.push_back(pst::textProp(kContainerClass, "IPF.Note"));
        // The top folder knows the Drafts folder, as Outlook's stores do.
        if (nid == topNid_ && draftsNid_) props.push_back(pst::binaryProp(kIpmDraftsEntryId, entryId(draftsNid_)));
        Subnodes subnodes(ndb_);
        addNode(nid, parent, pst::propertyContext(props, subnodes), subnodes);

        std::vector<pst::TableRow> rows;
        for (const FolderRow& c : children) {
            rows.push_back({c.nid,
                            {textCell(c.name), le32(static_cast<uint32_t>(c.messages)), le32(0),
                             std::string(1, c.subfolders ? '\1' : '\0'), textCell(c.ipf ? "IPF.Note" : "")}});
        }
        writeTable(tableNid(nid, pst::kNidHierarchyTable), kHierarchyColumns, rows);
        writeTable(tableNid(nid, pst::kNidContentsTable), kContentsColumns, contents);
        writeTable(tableNid(nid, pst::kNidAssocContentsTable), kContentsColumns, {});
    }

    void writeTable(uint32_t nid, const std::vector<uint32_t>& columns, const std::vector<pst::TableRow>& rows) {
        Subnodes subnodes(ndb_);
        addNode(nid, 0, pst::tableContext(columns, rows, subnodes), subnodes);
    }

    // Writes the message and returns its row of the folder's contents table.
    pst::TableRow writeMessage(uint32_t nid, uint32_t folder, const PstMessage& m) {
        Subnodes subnodes(ndb_);
        uint64_t size = m.subject.size() + m.body.size() + m.html.size() + m.headers.size();

        std::vector<pst::TableRow> recipients;
        if (!m.toNames.empty() || !m.toEmail.empty()) {
            const std::string name = m.toNames.empty() ? m.toEmail : m.toNames;
            recipients.push_back({0,
                                  {le32(kRecipientTo), textCell(name), textCell(m.toEmail.empty() ? "" : "SMTP"),
                                   textCell(m.toEmail), le32(0)}});
        }
        Subnodes recipientSubnodes(ndb_);
        addSubnode(subnodes, pst::kNidRecipientTable,
                   pst::tableContext(kRecipientColumns, recipients, recipientSubnodes), recipientSubnodes);

        std::vector<pst::TableRow> attachments;
        for (size_t i = 0; i < m.attachments.size(); ++i) {
            const PstAttachment& a = m.attachments[i];
            const uint32_t attachmentNid = pst::makeNid(kFirstAttachmentIndex + static_cast<uint32_t>(i),
                                                        pst::kNidAttachment);
            std::vector<Prop> props{pst::longProp(kAttachSize, static_cast<uint32_t>(a.data.size())),
                                    pst::longProp(kAttachNum, static_cast<uint32_t>(i)),
                                    pst::longProp(kAttachMethod, kAttachByValue),
                                    pst::longProp(kRenderingPosition, 0xFFFFFFFF),
                                    pst::longProp(kObjectType, kObjectAttach),
                                    pst::binaryProp(kAttachDataBin, a.data)};
            if (!a.fileName.empty()) {
                props.push_back(pst::textProp(kAttachFilename, a.fileName));
                props.push_back(pst::textProp(kAttachLongFilename, a.fileName));
                props.push_back(pst::textProp(kDisplayName, a.fileName));
            }
            if (!a.mimeType.empty()) props.push_back(pst::textProp(kAttachMimeTag, a.mimeType));
            if (!a.contentId.empty()) props.push_back(pst::textProp(kAttachContentId, a.contentId));
            Subnodes attachmentSubnodes(ndb_);
            addSubnode(subnodes, attachmentNid, pst::propertyContext(std::move(props), attachmentSubnodes),
                       attachmentSubnodes);
            attachments.push_back({attachmentNid,
                                   {le32(static_cast<uint32_t>(a.data.size())), textCell(a.fileName),
                                    le32(kAttachByValue), le32(0xFFFFFFFF)}});
            size += a.data.size();
        }
        if (!attachments.empty()) {
            Subnodes tableSubnodes(ndb_);
            addSubnode(subnodes, pst::kNidAttachmentTable,
                       pst::tableContext(kAttachmentColumns, attachments, tableSubnodes), tableSubnodes);
        }

        const uint32_t flags = kMessageFlagRead | (attachments.empty() ? 0 : kMessageFlagHasAttach);
        const uint32_t size32 = static_cast<uint32_t>(std::min<uint64_t>(size, 0x7FFFFFFF));
        std::vector<Prop> props{pst::textProp(kMessageClass, m.messageClass),
                                pst::timeProp(kClientSubmitTime, m.deliveryTimeUnix),
                                pst::timeProp(kDeliveryTime, m.deliveryTimeUnix),
                                pst::timeProp(kCreationTime, m.deliveryTimeUnix),
                                pst::timeProp(kLastModificationTime, m.deliveryTimeUnix),
                                pst::longProp(kMessageFlags, flags),
                                pst::longProp(kMessageSize, size32),
                                pst::boolProp(kHasAttach, !attachments.empty())};
        auto text = [&props](uint32_t tag, const std::string& value) {
            if (!value.empty()) props.push_back(pst::textProp(tag, value));
        };
        text(kSubject, m.subject);
        text(kSenderName, m.senderName);
        text(kSentRepresentingName, m.senderName);
        text(kSenderEmail, m.senderEmail);
        text(kSentRepresentingEmail, m.senderEmail);
        if (!m.senderEmail.empty()) {
            text(kSenderAddrType, "SMTP");
            text(kSentRepresentingAddrType, "SMTP");
        }
        text(kDisplayTo, m.toNames);
        text(kBody, m.body);
        text(kTransportHeaders, m.headers);
        text(kInternetMessageId, m.messageId);
        if (!m.html.empty()) {
            props.push_back(pst::binaryProp(kHtml, m.html));
            props.push_back(pst::longProp(kInternetCodepage, m.htmlCodepage));
        }
        addNode(nid, folder, pst::propertyContext(std::move(props), subnodes), subnodes);

        const std::string time = pst::timeProp(0, m.deliveryTimeUnix).value;
        return {nid,
                {textCell(m.messageClass), textCell(m.subject), time, textCell(m.senderName), textCell(m.toNames),
                 time, le32(flags), le32(size32)}};
    }

    pst::NdbWriter& ndb_;
    const std::string recordKey_{kPstRecordKey, 16};
    uint32_t nextFolder_ = kFirstFolderIndex;
    uint32_t nextMessage_ = kFirstMessageIndex;
    uint32_t topNid_ = 0;
    uint32_t draftsNid_ = 0;  // 0: no folder is the Drafts folder
};

}  // namespace

PstMessage samplePstMessage(const std::string& subject, int64_t when) {
    PstMessage m;
    m.subject = subject;
    m.senderName = "Zo\xC3\xAB Sender";
    m.senderEmail = "zoe@example.org";
    m.toNames = "Rick Receiver";
    m.toEmail = "rick@example.org";
    m.deliveryTimeUnix = when;
    m.body = "Body of " + subject + "\r\nsecond line\r\n";
    m.headers = "From: zoe@example.org\r\nSubject: " + subject + "\r\n\r\n";
    m.messageId = "<" + subject + "@example.org>";
    return m;
}

bool writePstFile(const std::string& path, const std::vector<PstFolder>& folders) {
    pst::NdbWriter ndb;
    if (!ndb.open(path)) return false;
    StoreWriter(ndb).write(folders);
    return ndb.finish();
}

}  // namespace tessaly::test
