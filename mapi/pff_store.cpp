// pff_store.cpp - store, folders, messages and attachments over libpff items.
#include "mapi/pff_store.h"

#ifdef TESSALY_HAVE_LIBPFF

#include <algorithm>
#include <unordered_map>

#include "mapi/memory_stream.h"
#include "mapi/pff_values.h"
#include "mapi/row_table.h"
#include "platform/ascii.h"

namespace tessaly::pff {

namespace {

constexpr uint32_t kNidTypeNormalMessage = 0x04;
constexpr uint32_t kNidTypeAssociatedMessage = 0x08;

using SharedItem = std::shared_ptr<libpff_item_t>;

SharedItem share(Item item) { return SharedItem(item.release(), ItemFree()); }

// Values read from the item, with the ones the provider computes put in.
PropRow withComputed(PropRow values, const PropRow& computed) {
    for (PropValue& value : values) {
        for (const PropValue& mine : computed) {
            if (propId(mine.tag) == propId(value.tag)) {
                value = mine;
                value.tag = propType(mine.tag) == PT_STRING8 ? changePropType(value.tag, PT_STRING8)
                                                              : mine.tag;
            }
        }
    }
    return values;
}

MapiResult resultOf(const PropRow& values) {
    return std::any_of(values.begin(), values.end(), isErrorValue) ? MAPI_W_ERRORS_RETURNED
                                                                   : SUCCESS_SUCCESS;
}

int subFolderCount(libpff_item_t* folder) {
    int count = 0;
    Error error;
    if (libpff_folder_get_number_of_sub_folders(folder, &count, error.out()) != 1) return 0;
    return count;
}

int subMessageCount(libpff_item_t* folder) {
    int count = 0;
    Error error;
    if (libpff_folder_get_number_of_sub_messages(folder, &count, error.out()) != 1) return 0;
    return count;
}

Item subFolder(libpff_item_t* folder, int index) {
    libpff_item_t* sub = nullptr;
    Error error;
    if (libpff_folder_get_sub_folder(folder, index, &sub, error.out()) != 1) return nullptr;
    return Item(sub);
}

Item subMessage(libpff_item_t* folder, int index) {
    libpff_item_t* sub = nullptr;
    Error error;
    if (libpff_folder_get_sub_message(folder, index, &sub, error.out()) != 1) return nullptr;
    return Item(sub);
}

int attachmentCount(libpff_item_t* message) {
    int count = 0;
    Error error;
    if (libpff_message_get_number_of_attachments(message, &count, error.out()) != 1) return 0;
    return count;
}

Item attachment(libpff_item_t* message, int index) {
    libpff_item_t* found = nullptr;
    Error error;
    if (libpff_message_get_attachment(message, index, &found, error.out()) != 1) return nullptr;
    return Item(found);
}

MapiResult folderProps(const File& file, libpff_item_t* item, const std::vector<uint32_t>& tags,
                       PropRow& values) {
    readProps(item, 0, TextSource::Store, tags, values);
    values = withComputed(std::move(values),
                          {binaryValue(PR_ENTRYID, file.entryId(itemNid(item))),
                           longValue(PR_OBJECT_TYPE, MAPI_FOLDER),
                           longValue(PR_CONTENT_COUNT, static_cast<uint32_t>(subMessageCount(item))),
                           boolValue(PR_SUBFOLDERS, subFolderCount(item) > 0)});
    return resultOf(values);
}

MapiResult messageProps(const File& file, libpff_item_t* item, const std::vector<uint32_t>& tags,
                        PropRow& values) {
    readProps(item, 0, TextSource::Message, tags, values);
    values = withComputed(std::move(values), {binaryValue(PR_ENTRYID, file.entryId(itemNid(item))),
                                              longValue(PR_OBJECT_TYPE, MAPI_MESSAGE)});
    return resultOf(values);
}

// Reads attachment data as it is asked for.
class AttachStream : public IStream {
public:
    AttachStream(std::shared_ptr<File> file, SharedItem item)
        : file_(std::move(file)), item_(std::move(item)) {
        Error error;
        libpff_attachment_data_seek_offset(item_.get(), 0, SEEK_SET, error.out());
    }
    MapiResult Read(char* buffer, uint32_t size, uint32_t& read) override {
        read = 0;
        if (size == 0) return SUCCESS_SUCCESS;
        Error error;
        const ssize_t got = libpff_attachment_data_read_buffer(
            item_.get(), reinterpret_cast<uint8_t*>(buffer), size, error.out());
        if (got < 0) return MAPI_E_CORRUPT_DATA;
        read = static_cast<uint32_t>(std::min<ssize_t>(got, size));
        return SUCCESS_SUCCESS;
    }

private:
    std::shared_ptr<File> file_;
    SharedItem item_;
};

class Attach : public IAttach {
public:
    Attach(std::shared_ptr<File> file, SharedItem item, uint32_t number)
        : file_(std::move(file)), item_(std::move(item)), number_(number) {}

    MapiResult GetProps(const std::vector<uint32_t>& tags, PropRow& values) override {
        readProps(item_.get(), 0, TextSource::Store, tags, values);
        values = withComputed(std::move(values), {longValue(PR_ATTACH_NUM, number_),
                                                  longValue(PR_OBJECT_TYPE, MAPI_ATTACH)});
        return resultOf(values);
    }

    MapiResult OpenEmbeddedMessage(std::shared_ptr<IMessage>& message) override;

protected:
    MapiResult openStream(uint32_t tag, std::shared_ptr<IStream>& stream) override {
        stream.reset();
        if (propId(tag) == propId(PR_ATTACH_DATA_BIN)) {
            int type = 0;
            Error error;
            if (libpff_attachment_get_type(item_.get(), &type, error.out()) != 1 ||
                type != LIBPFF_ATTACHMENT_TYPE_DATA) {
                return MAPI_E_NOT_FOUND;
            }
            stream = std::make_shared<AttachStream>(file_, item_);
            return SUCCESS_SUCCESS;
        }
        std::string bytes;
        const MapiResult result = readPropBytes(item_.get(), 0, TextSource::Store, tag, bytes);
        if (mapiFailed(result)) return result;
        stream = std::make_shared<MemoryStream>(std::move(bytes));
        return SUCCESS_SUCCESS;
    }

private:
    std::shared_ptr<File> file_;
    SharedItem item_;
    uint32_t number_;
};

class Message : public IMessage {
public:
    Message(std::shared_ptr<File> file, SharedItem item) : file_(std::move(file)), item_(std::move(item)) {}

    MapiResult GetProps(const std::vector<uint32_t>& tags, PropRow& values) override {
        return messageProps(*file_, item_.get(), tags, values);
    }

    MapiResult GetRecipientTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        std::shared_ptr<File> file = file_;
        SharedItem item = item_;
        table = std::make_shared<RowTable>(
            std::vector<uint32_t>{PR_DISPLAY_NAME, PR_EMAIL_ADDRESS, PR_RECIPIENT_TYPE},
            [file, item](const std::vector<uint32_t>& columns, RowSet& rows) {
                libpff_item_t* recipients = nullptr;
                Error error;
                const int found = libpff_message_get_recipients(item.get(), &recipients, error.out());
                if (found == 0) return SUCCESS_SUCCESS;
                if (found != 1) return MAPI_E_CORRUPT_DATA;
                const Item owned(recipients);
                for (int i = 0, n = recordSetCount(recipients); i < n; ++i) {
                    rows.emplace_back();
                    readProps(recipients, i, TextSource::Store, columns, rows.back());
                }
                return SUCCESS_SUCCESS;
            });
        return SUCCESS_SUCCESS;
    }

    MapiResult GetAttachmentTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        std::shared_ptr<File> file = file_;
        SharedItem item = item_;
        table = std::make_shared<RowTable>(
            std::vector<uint32_t>{PR_ATTACH_NUM, PR_ATTACH_SIZE, PR_ATTACH_METHOD, PR_DISPLAY_NAME},
            [file, item](const std::vector<uint32_t>& columns, RowSet& rows) {
                for (int i = 0, n = attachmentCount(item.get()); i < n; ++i) {
                    PropRow values;
                    const Item found = attachment(item.get(), i);
                    if (found) readProps(found.get(), 0, TextSource::Store, columns, values);
                    values.push_back(longValue(PR_ATTACH_NUM, static_cast<uint32_t>(i)));
                    rows.push_back(selectColumns(columns, values));
                }
                return SUCCESS_SUCCESS;
            });
        return SUCCESS_SUCCESS;
    }

    MapiResult OpenAttach(uint32_t number, std::shared_ptr<IAttach>& attach) override {
        attach.reset();
        if (number >= static_cast<uint32_t>(attachmentCount(item_.get()))) return MAPI_E_NOT_FOUND;
        Item found = attachment(item_.get(), static_cast<int>(number));
        if (!found) return MAPI_E_CORRUPT_DATA;
        attach = std::make_shared<Attach>(file_, share(std::move(found)), number);
        return SUCCESS_SUCCESS;
    }

    // The store is read-only.
    MapiResult SaveChanges(uint32_t) override { return MAPI_E_NO_ACCESS; }

protected:
    MapiResult openStream(uint32_t tag, std::shared_ptr<IStream>& stream) override {
        stream.reset();
        std::string bytes;
        const MapiResult result = readPropBytes(item_.get(), 0, TextSource::Message, tag, bytes);
        if (mapiFailed(result)) return result;
        stream = std::make_shared<MemoryStream>(std::move(bytes));
        return SUCCESS_SUCCESS;
    }

    MapiResult openTable(uint32_t tag, std::shared_ptr<IMAPITable>& table) override {
        if (tag == PR_MESSAGE_RECIPIENTS) return GetRecipientTable(0, table);
        if (tag == PR_MESSAGE_ATTACHMENTS) return GetAttachmentTable(0, table);
        return IMessage::openTable(tag, table);
    }

private:
    std::shared_ptr<File> file_;
    SharedItem item_;
};

MapiResult Attach::OpenEmbeddedMessage(std::shared_ptr<IMessage>& message) {
    message.reset();
    int type = 0;
    Error error;
    if (libpff_attachment_get_type(item_.get(), &type, error.out()) != 1 || type != LIBPFF_ATTACHMENT_TYPE_ITEM) {
        return MAPI_E_NOT_FOUND;
    }
    libpff_item_t* held = nullptr;
    Error itemError;
    if (libpff_attachment_get_item(item_.get(), &held, itemError.out()) != 1 || !held) return MAPI_E_CORRUPT_DATA;
    message = std::make_shared<Message>(file_, share(Item(held)));
    return SUCCESS_SUCCESS;
}

// Where the rows of a folder's tables found their items: node -> index.
// Opening a row's entry through its folder then takes the item from the
// folder, instead of searching the whole store for the node.
using RowIndex = std::unordered_map<uint32_t, int>;

class Folder : public IMAPIFolder {
public:
    Folder(std::shared_ptr<File> file, SharedItem item) : file_(std::move(file)), item_(std::move(item)) {}

    MapiResult GetProps(const std::vector<uint32_t>& tags, PropRow& values) override {
        return folderProps(*file_, item_.get(), tags, values);
    }

    MapiResult GetHierarchyTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        std::shared_ptr<File> file = file_;
        SharedItem item = item_;
        std::shared_ptr<RowIndex> index = folders_;
        table = std::make_shared<RowTable>(
            std::vector<uint32_t>{PR_ENTRYID, PR_DISPLAY_NAME, PR_SUBFOLDERS, PR_CONTAINER_CLASS},
            [file, item, index](const std::vector<uint32_t>& columns, RowSet& rows) {
                for (int i = 0, n = subFolderCount(item.get()); i < n; ++i) {
                    const Item sub = subFolder(item.get(), i);
                    rows.emplace_back();
                    if (sub) {
                        (*index)[itemNid(sub.get())] = i;
                        folderProps(*file, sub.get(), columns, rows.back());
                    } else {
                        rows.back() = selectColumns(columns, {});
                    }
                }
                return SUCCESS_SUCCESS;
            });
        return SUCCESS_SUCCESS;
    }

    MapiResult GetContentsTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        std::shared_ptr<File> file = file_;
        SharedItem item = item_;
        std::shared_ptr<RowIndex> index = messages_;
        table = std::make_shared<RowTable>(
            std::vector<uint32_t>{PR_ENTRYID, PR_MESSAGE_CLASS, PR_SUBJECT, PR_SENDER_NAME,
                                  PR_SENT_REPRESENTING_NAME, PR_DISPLAY_TO,
                                  PR_MESSAGE_DELIVERY_TIME, PR_CLIENT_SUBMIT_TIME, PR_MESSAGE_SIZE},
            [file, item, index](const std::vector<uint32_t>& columns, RowSet& rows) {
                for (int i = 0, n = subMessageCount(item.get()); i < n; ++i) {
                    const Item sub = subMessage(item.get(), i);
                    rows.emplace_back();
                    if (sub) {
                        (*index)[itemNid(sub.get())] = i;
                        messageProps(*file, sub.get(), columns, rows.back());
                    } else {
                        // A message libpff cannot read keeps its row, so
                        // that opening it reports the damage.
                        for (const uint32_t column : columns) {
                            rows.back().push_back(errorValue(column, MAPI_E_CORRUPT_STORE));
                        }
                    }
                }
                return SUCCESS_SUCCESS;
            });
        return SUCCESS_SUCCESS;
    }

    MapiResult OpenEntry(const EntryId& entryId, uint32_t& objectType,
                         std::shared_ptr<IMAPIProp>& object) override {
        uint32_t nid = 0;
        if (file_->nodeOf(entryId, nid)) {
            const auto message = messages_->find(nid);
            if (message != messages_->end()) {
                Item sub = subMessage(item_.get(), message->second);
                if (sub && itemNid(sub.get()) == nid) {
                    objectType = MAPI_MESSAGE;
                    object = std::make_shared<Message>(file_, share(std::move(sub)));
                    return SUCCESS_SUCCESS;
                }
            }
            const auto folder = folders_->find(nid);
            if (folder != folders_->end()) {
                Item sub = subFolder(item_.get(), folder->second);
                if (sub && itemNid(sub.get()) == nid) {
                    objectType = MAPI_FOLDER;
                    object = std::make_shared<Folder>(file_, share(std::move(sub)));
                    return SUCCESS_SUCCESS;
                }
            }
        }
        return openEntry(file_, entryId, objectType, object);
    }

protected:
    MapiResult openTable(uint32_t tag, std::shared_ptr<IMAPITable>& table) override {
        if (tag == PR_CONTAINER_HIERARCHY) return GetHierarchyTable(0, table);
        if (tag == PR_CONTAINER_CONTENTS) return GetContentsTable(0, table);
        return IMAPIFolder::openTable(tag, table);
    }

private:
    std::shared_ptr<File> file_;
    SharedItem item_;
    std::shared_ptr<RowIndex> messages_ = std::make_shared<RowIndex>();
    std::shared_ptr<RowIndex> folders_ = std::make_shared<RowIndex>();
};

class Store : public IMsgStore {
public:
    Store(std::shared_ptr<File> file, std::string displayName, EntryId entryId)
        : file_(std::move(file)), displayName_(std::move(displayName)), entryId_(std::move(entryId)) {}

    MapiResult GetProps(const std::vector<uint32_t>& tags, PropRow& values) override {
        const Item store = file_->messageStore();
        if (store) {
            readProps(store.get(), 0, TextSource::Store, tags, values);
        } else {
            values = selectColumns(tags, {});
        }
        values = withComputed(std::move(values), {textValue(PR_DISPLAY_NAME, displayName_),
                                                  binaryValue(PR_ENTRYID, entryId_),
                                                  longValue(PR_OBJECT_TYPE, MAPI_STORE)});
        return resultOf(values);
    }

    MapiResult OpenEntry(const EntryId& entryId, uint32_t& objectType,
                         std::shared_ptr<IMAPIProp>& object) override {
        return openEntry(file_, entryId, objectType, object);
    }

    // Personal-store files keep no receive folder table that libpff reads:
    // the receive folder is the top folder's child named "Inbox".
    MapiResult GetReceiveFolder(const std::string&, EntryId& entryId) override {
        entryId.clear();
        PropRow values;
        GetProps({PR_IPM_SUBTREE_ENTRYID}, values);
        uint32_t nid = 0;
        if (isErrorValue(values[0]) || !file_->nodeOf(values[0].bytes, nid)) return MAPI_E_NOT_FOUND;
        MapiResult result = SUCCESS_SUCCESS;
        const Item top = file_->item(nid, result);
        if (!top) return result;
        for (int i = 0, n = subFolderCount(top.get()); i < n; ++i) {
            const Item sub = subFolder(top.get(), i);
            if (!sub) continue;
            PropRow name;
            readProps(sub.get(), 0, TextSource::Store, {PR_DISPLAY_NAME}, name);
            if (!isErrorValue(name[0]) && equalsIgnoringCase(name[0].bytes, "Inbox")) {
                entryId = file_->entryId(itemNid(sub.get()));
                return SUCCESS_SUCCESS;
            }
        }
        return MAPI_E_NOT_FOUND;
    }

private:
    std::shared_ptr<File> file_;
    std::string displayName_;
    EntryId entryId_;
};

}  // namespace

std::shared_ptr<IMsgStore> makeStore(std::shared_ptr<File> file, std::string displayName,
                                     EntryId entryId) {
    return std::make_shared<Store>(std::move(file), std::move(displayName), std::move(entryId));
}

MapiResult openEntry(const std::shared_ptr<File>& file, const EntryId& entryId, uint32_t& objectType,
                     std::shared_ptr<IMAPIProp>& object) {
    object.reset();
    objectType = 0;
    uint32_t nid = 0;
    if (!file->nodeOf(entryId, nid)) return MAPI_E_INVALID_ENTRYID;
    const uint32_t type = nid & kNidTypeMask;
    const bool folder = isFolderNid(nid);
    if (!folder && type != kNidTypeNormalMessage && type != kNidTypeAssociatedMessage) {
        return MAPI_E_INVALID_ENTRYID;
    }
    MapiResult result = SUCCESS_SUCCESS;
    Item item = file->item(nid, result);
    if (!item) return result;
    if (folder) {
        objectType = MAPI_FOLDER;
        object = std::make_shared<Folder>(file, share(std::move(item)));
    } else {
        objectType = MAPI_MESSAGE;
        object = std::make_shared<Message>(file, share(std::move(item)));
    }
    return SUCCESS_SUCCESS;
}

}  // namespace tessaly::pff

#endif
