// pff_provider.cpp - the provider library over libpff: initialisation,
// profile and service administration, logon and sessions.
#include "mapi/pff_provider.h"

#include "mapi/pff_profiles.h"
#include "mapi/row_table.h"

#ifdef TESSALY_HAVE_LIBPFF

#include <algorithm>

#include "mapi/pff_file.h"
#include "mapi/pff_store.h"

namespace tessaly {

namespace {

// Store entry identifiers: four flag bytes, this provider's UID, the
// service's UID and the path of the .pst file.
const EntryId kStoreUid("\x54\x65\x73\x73\x61\x6c\x79\x50\x53\x54\x20\x73\x74\x6f\x72\x65", 16);
constexpr size_t kUidSize = 16;
constexpr size_t kStorePrefix = 4 + 2 * kUidSize;

EntryId storeEntryId(const pff::ServiceEntry& service) {
    return EntryId(4, '\0') + kStoreUid + service.uid + service.pstPath;
}

bool parseStoreEntryId(const EntryId& id, EntryId& serviceUid, std::string& path) {
    if (id.size() <= kStorePrefix || id.compare(0, 4, std::string(4, '\0')) != 0 ||
        id.compare(4, kUidSize, kStoreUid) != 0) {
        return false;
    }
    serviceUid = id.substr(4 + kUidSize, kUidSize);
    path = id.substr(kStorePrefix);
    return true;
}

class ServiceAdmin : public IMsgServiceAdmin {
public:
    explicit ServiceAdmin(std::string profile) : profile_(std::move(profile)) {}

    MapiResult GetMsgServiceTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        const std::string profile = profile_;
        table = std::make_shared<RowTable>(
            std::vector<uint32_t>{PR_SERVICE_UID, PR_SERVICE_NAME, PR_DISPLAY_NAME},
            [profile](const std::vector<uint32_t>& columns, RowSet& rows) {
                for (const pff::ServiceEntry& service : pff::profileServices(profile)) {
                    rows.push_back(selectColumns(columns, {binaryValue(PR_SERVICE_UID, service.uid),
                                                           textValue(PR_SERVICE_NAME, service.service),
                                                           textValue(PR_DISPLAY_NAME, service.displayName)}));
                }
                return SUCCESS_SUCCESS;
            });
        return SUCCESS_SUCCESS;
    }

    MapiResult CreateMsgService(const std::string& service, const std::string& displayName, void*,
                                uint32_t flags) override {
        if (flags & ~SERVICE_UI_ALLOWED) return MAPI_E_UNKNOWN_FLAGS;
        EntryId uid;
        return pff::createService(profile_, service, displayName, uid);
    }

    MapiResult ConfigureMsgService(const EntryId& serviceUid, void*, uint32_t,
                                   const PropRow& properties) override {
        return pff::configureService(profile_, serviceUid, properties);
    }

private:
    std::string profile_;
};

class ProfAdmin : public IProfAdmin {
public:
    MapiResult GetProfileTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        table = std::make_shared<RowTable>(
            std::vector<uint32_t>{PR_DISPLAY_NAME, PR_DEFAULT_PROFILE},
            [](const std::vector<uint32_t>& columns, RowSet& rows) {
                const std::string standard = pff::defaultProfile();
                for (const std::string& name : pff::profileNames()) {
                    rows.push_back(selectColumns(columns, {textValue(PR_DISPLAY_NAME, name),
                                                           boolValue(PR_DEFAULT_PROFILE, name == standard)}));
                }
                return SUCCESS_SUCCESS;
            });
        return SUCCESS_SUCCESS;
    }

    MapiResult CreateProfile(const std::string& name, const std::string&, void*, uint32_t) override {
        return pff::createProfile(name);
    }

    MapiResult DeleteProfile(const std::string& name, uint32_t) override { return pff::deleteProfile(name); }

    MapiResult AdminServices(const std::string& profile, const std::string&, void*, uint32_t,
                             std::shared_ptr<IMsgServiceAdmin>& admin) override {
        admin.reset();
        if (!pff::profileExists(profile)) return MAPI_E_NOT_FOUND;
        admin = std::make_shared<ServiceAdmin>(profile);
        return SUCCESS_SUCCESS;
    }
};

class Session : public IMAPISession {
public:
    explicit Session(std::vector<pff::ServiceEntry> services) : services_(std::move(services)) {}

    MapiResult GetMsgStoresTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        std::vector<pff::ServiceEntry> services = services_;
        table = std::make_shared<RowTable>(
            std::vector<uint32_t>{PR_ENTRYID, PR_DISPLAY_NAME, PR_RESOURCE_FLAGS},
            [services](const std::vector<uint32_t>& columns, RowSet& rows) {
                bool first = true;
                for (const pff::ServiceEntry& service : services) {
                    if (service.pstPath.empty()) continue;
                    rows.push_back(selectColumns(
                        columns, {binaryValue(PR_ENTRYID, storeEntryId(service)),
                                  textValue(PR_DISPLAY_NAME, service.displayName),
                                  longValue(PR_RESOURCE_FLAGS, first ? STATUS_DEFAULT_STORE : 0)}));
                    first = false;
                }
                return SUCCESS_SUCCESS;
            });
        return SUCCESS_SUCCESS;
    }

    MapiResult OpenMsgStore(void*, const EntryId& entryId, uint32_t,
                            std::shared_ptr<IMsgStore>& store) override {
        store.reset();
        EntryId uid;
        std::string path;
        if (!parseStoreEntryId(entryId, uid, path)) return MAPI_E_INVALID_ENTRYID;
        const auto service = std::find_if(services_.begin(), services_.end(), [&](const pff::ServiceEntry& s) {
            return s.uid == uid && s.pstPath == path;
        });
        if (service == services_.end()) return MAPI_E_NOT_FOUND;
        std::shared_ptr<pff::File> file;
        const MapiResult result = pff::File::open(path, file);
        if (mapiFailed(result)) return result;
        store = pff::makeStore(std::move(file), service->displayName, entryId);
        return SUCCESS_SUCCESS;
    }

    // Identifiers of one store's objects carry its record key and the node;
    // equal bytes after the four flag bytes name the same object.
    MapiResult CompareEntryIDs(const EntryId& a, const EntryId& b, bool& same) override {
        same = a.size() == b.size() && a.size() > 4 && a.compare(4, std::string::npos, b, 4) == 0;
        return SUCCESS_SUCCESS;
    }

    MapiResult Logoff(void*, uint32_t) override { return SUCCESS_SUCCESS; }

private:
    std::vector<pff::ServiceEntry> services_;
};

class PffLibrary : public MapiLibrary {
public:
    MapiResult MAPIInitialize(const void*) override {
        pff::ensureDocumentsProfile();
        initialized_ = true;
        return SUCCESS_SUCCESS;
    }

    void MAPIUninitialize() override { initialized_ = false; }

    MapiResult MAPIAdminProfiles(uint32_t, std::shared_ptr<IProfAdmin>& admin) override {
        admin.reset();
        if (!initialized_) return MAPI_E_NOT_INITIALIZED;
        admin = std::make_shared<ProfAdmin>();
        return SUCCESS_SUCCESS;
    }

    MapiResult MAPILogonEx(void*, const std::string& profile, const std::string&, uint32_t,
                           std::shared_ptr<IMAPISession>& session) override {
        session.reset();
        if (!initialized_) return MAPI_E_NOT_INITIALIZED;
        if (profile == pff::kDocumentsProfile) pff::syncDocumentsProfile();
        if (!pff::profileExists(profile)) return MAPI_E_LOGON_FAILED;
        session = std::make_shared<Session>(pff::profileServices(profile));
        return SUCCESS_SUCCESS;
    }

private:
    bool initialized_ = false;
};

}  // namespace

std::unique_ptr<MapiLibrary> makePffLibrary() { return std::make_unique<PffLibrary>(); }

}  // namespace tessaly

#else

namespace tessaly {

std::unique_ptr<MapiLibrary> makePffLibrary() { return nullptr; }

}  // namespace tessaly

#endif
