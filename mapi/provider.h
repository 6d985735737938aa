// provider.h - the MAPI operations the Outlook source relies on, as
// abstract interfaces: a provider library with its entry points, profile and
// service administration, sessions, stores, folders, messages, attachments,
// tables and streams.
//
// Objects are shared: releasing one is dropping the last pointer to it.
// Results are owned values (rows, property arrays, entry identifiers), so
// nothing returned here has to be freed by the caller.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mapi/mapi_codes.h"
#include "mapi/prop_value.h"

namespace tessaly {

// An entry identifier or service UID: its bytes.
using EntryId = std::string;

class IStream {
public:
    virtual ~IStream() = default;
    // Reads up to `size` bytes; `read` is 0 at the end of the stream.
    virtual MapiResult Read(char* buffer, uint32_t size, uint32_t& read) = 0;
};

class IMAPITable {
public:
    virtual ~IMAPITable() = default;
    // Every row with the given columns, in table order; an empty column set
    // asks for the table's default columns. A column the row lacks comes
    // back as a PT_ERROR value.
    virtual MapiResult QueryAllRows(const std::vector<uint32_t>& columns, RowSet& rows) = 0;
};

class IMAPIProp {
public:
    virtual ~IMAPIProp() = default;
    virtual uint32_t ObjectType() const = 0;
    // One value per tag, in order; a property that cannot be read comes back
    // as a PT_ERROR value and the result is MAPI_W_ERRORS_RETURNED.
    virtual MapiResult GetProps(const std::vector<uint32_t>& tags, PropRow& values) = 0;
    // A property opened as a stream (bodies, attachment data) or as a table
    // (PR_CONTAINER_HIERARCHY, PR_MESSAGE_RECIPIENTS, ...).
    MapiResult OpenProperty(uint32_t tag, std::shared_ptr<IStream>& stream) {
        return openStream(tag, stream);
    }
    MapiResult OpenProperty(uint32_t tag, std::shared_ptr<IMAPITable>& table) {
        return openTable(tag, table);
    }

protected:
    virtual MapiResult openStream(uint32_t tag, std::shared_ptr<IStream>& stream);
    virtual MapiResult openTable(uint32_t tag, std::shared_ptr<IMAPITable>& table);
};

class IMAPIFolder : public IMAPIProp {
public:
    uint32_t ObjectType() const override { return MAPI_FOLDER; }
    virtual MapiResult GetHierarchyTable(uint32_t flags, std::shared_ptr<IMAPITable>& table) = 0;
    virtual MapiResult GetContentsTable(uint32_t flags, std::shared_ptr<IMAPITable>& table) = 0;
    // Opens a folder or message of the same store; `objectType` tells which.
    virtual MapiResult OpenEntry(const EntryId& entryId, uint32_t& objectType,
                                 std::shared_ptr<IMAPIProp>& object) = 0;
};

class IMessage;

class IAttach : public IMAPIProp {
public:
    uint32_t ObjectType() const override { return MAPI_ATTACH; }
    // The item an attachment holds (an embedded message), as MAPI opens
    // PR_ATTACH_DATA_OBJ; MAPI_E_NOT_FOUND for an attachment of bytes.
    virtual MapiResult OpenEmbeddedMessage(std::shared_ptr<IMessage>& message);
};

class IMessage : public IMAPIProp {
public:
    uint32_t ObjectType() const override { return MAPI_MESSAGE; }
    virtual MapiResult GetRecipientTable(uint32_t flags, std::shared_ptr<IMAPITable>& table) = 0;
    virtual MapiResult GetAttachmentTable(uint32_t flags, std::shared_ptr<IMAPITable>& table) = 0;
    virtual MapiResult OpenAttach(uint32_t attachNum, std::shared_ptr<IAttach>& attach) = 0;
    virtual MapiResult SaveChanges(uint32_t flags) = 0;
};

class IMsgStore : public IMAPIProp {
public:
    uint32_t ObjectType() const override { return MAPI_STORE; }
    virtual MapiResult OpenEntry(const EntryId& entryId, uint32_t& objectType,
                                 std::shared_ptr<IMAPIProp>& object) = 0;
    // The folder that receives messages of `messageClass`.
    virtual MapiResult GetReceiveFolder(const std::string& messageClass, EntryId& entryId) = 0;
};

class IMAPISession {
public:
    virtual ~IMAPISession() = default;
    virtual MapiResult GetMsgStoresTable(uint32_t flags, std::shared_ptr<IMAPITable>& table) = 0;
    virtual MapiResult OpenMsgStore(void* window, const EntryId& entryId, uint32_t flags,
                                    std::shared_ptr<IMsgStore>& store) = 0;
    // Whether two entry identifiers name the same object.
    virtual MapiResult CompareEntryIDs(const EntryId& a, const EntryId& b, bool& same) = 0;
    virtual MapiResult Logoff(void* window, uint32_t flags) = 0;
};

class IMsgServiceAdmin {
public:
    virtual ~IMsgServiceAdmin() = default;
    // Rows with PR_SERVICE_UID, PR_SERVICE_NAME and PR_DISPLAY_NAME.
    virtual MapiResult GetMsgServiceTable(uint32_t flags, std::shared_ptr<IMAPITable>& table) = 0;
    virtual MapiResult CreateMsgService(const std::string& service, const std::string& displayName,
                                        void* window, uint32_t flags) = 0;
    virtual MapiResult ConfigureMsgService(const EntryId& serviceUid, void* window, uint32_t flags,
                                           const PropRow& properties) = 0;
};

class IProfAdmin {
public:
    virtual ~IProfAdmin() = default;
    // Rows with PR_DISPLAY_NAME and PR_DEFAULT_PROFILE.
    virtual MapiResult GetProfileTable(uint32_t flags, std::shared_ptr<IMAPITable>& table) = 0;
    virtual MapiResult CreateProfile(const std::string& name, const std::string& password,
                                     void* window, uint32_t flags) = 0;
    virtual MapiResult DeleteProfile(const std::string& name, uint32_t flags) = 0;
    virtual MapiResult AdminServices(const std::string& profile, const std::string& password,
                                     void* window, uint32_t flags,
                                     std::shared_ptr<IMsgServiceAdmin>& admin) = 0;
};

// A loaded MAPI library: its entry points.
class MapiLibrary {
public:
    virtual ~MapiLibrary() = default;

    // Whether the library exports the entry point of that name.
    virtual bool HasEntryPoint(std::string_view name) const;

    virtual MapiResult MAPIInitialize(const void* init) = 0;
    virtual void MAPIUninitialize() = 0;
    virtual MapiResult MAPIAdminProfiles(uint32_t flags, std::shared_ptr<IProfAdmin>& admin) = 0;
    virtual MapiResult MAPILogonEx(void* window, const std::string& profile,
                                   const std::string& password, uint32_t flags,
                                   std::shared_ptr<IMAPISession>& session) = 0;
    // Buffers handed out are owned values; there is nothing left to free.
    virtual uint32_t MAPIFreeBuffer(void* buffer);
    // Brings the RTF body in line with the plain body. A read-only store has
    // nothing to bring in line: `updated` is always false.
    virtual MapiResult RTFSync(IMessage& message, uint32_t flags, bool& updated);
    // The uncompressed RTF of a PR_RTF_COMPRESSED stream (read whole).
    virtual MapiResult WrapCompressedRTFStream(const std::shared_ptr<IStream>& compressed,
                                               uint32_t flags,
                                               std::shared_ptr<IStream>& uncompressed);
};

// The seven entry points, by name, in the order they are resolved.
extern const char* const kMapiEntryPoints[7];

}  // namespace tessaly
