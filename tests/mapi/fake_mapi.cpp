// fake_mapi.cpp - the in-memory MAPI library of the tests.
#include "mapi/fake_mapi.h"

#include <algorithm>

#include "mapi/library_loader.h"
#include "mapi/mapi_state.h"
#include "mapi/memory_stream.h"
#include "mapi/row_table.h"

namespace tessaly::test {

namespace {


// The values of `tags` out of `props`; MAPI_W_ERRORS_RETURNED when some lack.
MapiResult pick(const PropRow& props, const std::vector<uint32_t>& tags, PropRow& values) {
    values = selectColumns(tags, props);
    return std::any_of(values.begin(), values.end(), isErrorValue) ? MAPI_W_ERRORS_RETURNED : SUCCESS_SUCCESS;
}

void addProps(PropRow& into, const PropRow& more) { into.insert(into.end(), more.begin(), more.end()); }

PropRow folderValues(const FakeFolder& folder) {
    PropRow values = {binaryValue(PR_ENTRYID, folder.id), textValue(PR_DISPLAY_NAME, folder.name),
                      longValue(PR_CONTENT_COUNT, static_cast<uint32_t>(folder.messages.size())),
                      boolValue(PR_SUBFOLDERS, !folder.children.empty()), longValue(PR_OBJECT_TYPE, MAPI_FOLDER)};
    if (!folder.containerClass.empty()) values.push_back(textValue(PR_CONTAINER_CLASS, folder.containerClass));
    addProps(values, folder.props);
    return values;
}

EntryId messageId(const FakeFolder& folder, size_t index) { return folder.id + "#" + std::to_string(index); }

PropRow messageValues(const FakeFolder& folder, size_t index) {
    PropRow values = {binaryValue(PR_ENTRYID, messageId(folder, index))};
    addProps(values, folder.messages[index].props);
    return values;
}

class Attach : public IAttach {
public:
    Attach(std::shared_ptr<FakeMapi> world, FakeAttachment& attachment, uint32_t number)
        : world_(std::move(world)), attachment_(attachment), number_(number) {}
    MapiResult GetProps(const std::vector<uint32_t>& tags, PropRow& values) override {
        PropRow props = attachment_.props;
        props.push_back(longValue(PR_ATTACH_NUM, number_));
        return pick(props, tags, values);
    }
    MapiResult OpenEmbeddedMessage(std::shared_ptr<IMessage>& message) override {
        if (!attachment_.item) return MAPI_E_NOT_FOUND;
        message = makeFakeMessage(world_, *attachment_.item);
        return SUCCESS_SUCCESS;
    }

protected:
    MapiResult openStream(uint32_t tag, std::shared_ptr<IStream>& stream) override {
        if (tag != PR_ATTACH_DATA_BIN || attachment_.dataFails || attachment_.item) return MAPI_E_NOT_FOUND;
        stream = std::make_shared<MemoryStream>(attachment_.data);
        return SUCCESS_SUCCESS;
    }

private:
    std::shared_ptr<FakeMapi> world_;
    FakeAttachment& attachment_;
    uint32_t number_;
};

class Message : public IMessage {
public:
    Message(std::shared_ptr<FakeMapi> world, FakeMessage& message) : world_(std::move(world)), message_(message) {}

    MapiResult GetProps(const std::vector<uint32_t>& tags, PropRow& values) override {
        if (mapiFailed(message_.getPropsResult)) {
            values.clear();
            return message_.getPropsResult;
        }
        return pick(message_.props, tags, values);
    }
    MapiResult GetRecipientTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        const RowSet recipients = message_.recipients;
        table = std::make_shared<RowTable>(std::vector<uint32_t>{PR_DISPLAY_NAME},
                                           [recipients](const std::vector<uint32_t>& columns, RowSet& rows) {
                                               for (const PropRow& r : recipients) rows.push_back(selectColumns(columns, r));
                                               return SUCCESS_SUCCESS;
                                           });
        return SUCCESS_SUCCESS;
    }
    MapiResult GetAttachmentTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        const size_t count = message_.attachments.size();
        table = std::make_shared<RowTable>(std::vector<uint32_t>{PR_ATTACH_NUM},
                                           [count](const std::vector<uint32_t>& columns, RowSet& rows) {
                                               for (size_t i = 0; i < count; ++i) {
                                                   rows.push_back(selectColumns(
                                                       columns, {longValue(PR_ATTACH_NUM, static_cast<uint32_t>(i)),
                                                                 longValue(PR_ATTACH_METHOD, 1)}));
                                               }
                                               return SUCCESS_SUCCESS;
                                           });
        return SUCCESS_SUCCESS;
    }
    MapiResult OpenAttach(uint32_t number, std::shared_ptr<IAttach>& attach) override {
        if (number >= message_.attachments.size() || message_.attachments[number].openFails) {
            return MAPI_E_NOT_FOUND;
        }
        attach = std::make_shared<Attach>(world_, message_.attachments[number], number);
        return SUCCESS_SUCCESS;
    }
    MapiResult SaveChanges(uint32_t) override {
        world_->calls.push_back("SaveChanges");
        return SUCCESS_SUCCESS;
    }

protected:
    MapiResult openStream(uint32_t tag, std::shared_ptr<IStream>& stream) override {
        for (const auto& [streamTag, bytes] : message_.streams) {
            if (propId(streamTag) == propId(tag)) {
                stream = std::make_shared<MemoryStream>(bytes);
                return SUCCESS_SUCCESS;
            }
        }
        return MAPI_E_NOT_FOUND;
    }

private:
    std::shared_ptr<FakeMapi> world_;
    FakeMessage& message_;
};

MapiResult openIn(std::shared_ptr<FakeMapi> world, FakeStore& store, const EntryId& id, uint32_t& type,
                  std::shared_ptr<IMAPIProp>& object);

class Folder : public IMAPIFolder {
public:
    Folder(std::shared_ptr<FakeMapi> world, FakeStore& store, FakeFolder& folder)
        : world_(std::move(world)), store_(store), folder_(folder) {}

    MapiResult GetProps(const std::vector<uint32_t>& tags, PropRow& values) override {
        PropRow props = folderValues(folder_);
        if (folder_.hidesId) props[0].bytes.clear();
        return pick(props, tags, values);
    }
    MapiResult GetHierarchyTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        FakeFolder& folder = folder_;
        table = std::make_shared<RowTable>(std::vector<uint32_t>{PR_ENTRYID, PR_DISPLAY_NAME},
                                           [&folder](const std::vector<uint32_t>& columns, RowSet& rows) {
                                               for (const FakeFolder& child : folder.children) {
                                                   rows.push_back(selectColumns(columns, folderValues(child)));
                                               }
                                               return SUCCESS_SUCCESS;
                                           });
        return SUCCESS_SUCCESS;
    }
    MapiResult GetContentsTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        if (folder_.contentsFail) return MAPI_E_CALL_FAILED;
        FakeFolder& folder = folder_;
        table = std::make_shared<RowTable>(
            std::vector<uint32_t>{PR_ENTRYID, PR_SUBJECT, PR_SENDER_NAME, PR_SENT_REPRESENTING_NAME,
                                  PR_DISPLAY_TO, PR_MESSAGE_DELIVERY_TIME},
            [&folder](const std::vector<uint32_t>& columns, RowSet& rows) {
                for (size_t i = 0; i < folder.messages.size(); ++i) {
                    rows.push_back(selectColumns(columns, messageValues(folder, i)));
                }
                return SUCCESS_SUCCESS;
            });
        return SUCCESS_SUCCESS;
    }
    MapiResult OpenEntry(const EntryId& id, uint32_t& type, std::shared_ptr<IMAPIProp>& object) override {
        return openIn(world_, store_, id, type, object);
    }

protected:
    MapiResult openTable(uint32_t tag, std::shared_ptr<IMAPITable>& table) override {
        if (tag == PR_CONTAINER_HIERARCHY) return GetHierarchyTable(0, table);
        return IMAPIFolder::openTable(tag, table);
    }

private:
    std::shared_ptr<FakeMapi> world_;
    FakeStore& store_;
    FakeFolder& folder_;
};

bool findIn(std::shared_ptr<FakeMapi> world, FakeStore& store, FakeFolder& folder, const EntryId& id,
            uint32_t& type, std::shared_ptr<IMAPIProp>& object, MapiResult& result) {
    if (folder.id == id) {
        result = folder.openFails ? MAPI_E_NOT_FOUND : SUCCESS_SUCCESS;
        if (!folder.openFails) {
            type = MAPI_FOLDER;
            object = std::make_shared<Folder>(world, store, folder);
        }
        return true;
    }
    for (size_t i = 0; i < folder.messages.size(); ++i) {
        if (messageId(folder, i) != id) continue;
        FakeMessage& message = folder.messages[i];
        result = message.openFails ? MAPI_E_NOT_FOUND : SUCCESS_SUCCESS;
        if (!message.openFails) {
            if (message.isFolder) {
                type = MAPI_FOLDER;
                object = std::make_shared<Folder>(world, store, folder);
            } else {
                type = MAPI_MESSAGE;
                object = std::make_shared<Message>(world, message);
            }
        }
        return true;
    }
    for (FakeFolder& child : folder.children) {
        if (findIn(world, store, child, id, type, object, result)) return true;
    }
    return false;
}

MapiResult openIn(std::shared_ptr<FakeMapi> world, FakeStore& store, const EntryId& id, uint32_t& type,
                  std::shared_ptr<IMAPIProp>& object) {
    object.reset();
    type = 0;
    MapiResult result = MAPI_E_NOT_FOUND;
    if (!findIn(std::move(world), store, store.top, id, type, object, result)) return MAPI_E_NOT_FOUND;
    return result;
}

class Store : public IMsgStore {
public:
    Store(std::shared_ptr<FakeMapi> world, FakeStore& store) : world_(std::move(world)), store_(store) {}
    MapiResult GetProps(const std::vector<uint32_t>& tags, PropRow& values) override {
        PropRow props = {textValue(PR_DISPLAY_NAME, store_.name), binaryValue(PR_IPM_SUBTREE_ENTRYID, store_.top.id)};
        addProps(props, store_.props);
        return pick(props, tags, values);
    }
    MapiResult OpenEntry(const EntryId& id, uint32_t& type, std::shared_ptr<IMAPIProp>& object) override {
        return openIn(world_, store_, id, type, object);
    }
    MapiResult GetReceiveFolder(const std::string&, EntryId& id) override {
        id = store_.receiveFolder;
        return id.empty() ? MAPI_E_NOT_FOUND : SUCCESS_SUCCESS;
    }

private:
    std::shared_ptr<FakeMapi> world_;
    FakeStore& store_;
};

// The stores a profile offers: its own and those of configured services.
std::vector<FakeStore*> storesOf(FakeMapi& world, FakeProfile& profile) {
    std::vector<FakeStore*> stores;
    for (FakeStore& store : profile.stores) stores.push_back(&store);
    for (FakeService& service : profile.services) {
        const auto found = world.pstFiles.find(service.pstPath);
        if (found == world.pstFiles.end()) continue;
        found->second.name = service.displayName;
        stores.push_back(&found->second);
    }
    return stores;
}

class Session : public IMAPISession {
public:
    Session(std::shared_ptr<FakeMapi> world, std::string profile) : world_(std::move(world)), profile_(std::move(profile)) {}

    MapiResult GetMsgStoresTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        FakeProfile* profile = world_->profile(profile_);
        if (!profile || profile->storeTableFails) return MAPI_E_CALL_FAILED;
        std::shared_ptr<FakeMapi> world = world_;
        table = std::make_shared<RowTable>(
            std::vector<uint32_t>{PR_ENTRYID, PR_DISPLAY_NAME},
            [world, profile](const std::vector<uint32_t>& columns, RowSet& rows) {
                for (FakeStore* store : storesOf(*world, *profile)) {
                    rows.push_back(selectColumns(
                        columns, {binaryValue(PR_ENTRYID, "S:" + store->name), textValue(PR_DISPLAY_NAME, store->name),
                                  longValue(PR_RESOURCE_FLAGS, store->isDefault ? STATUS_DEFAULT_STORE : 0)}));
                }
                return SUCCESS_SUCCESS;
            });
        return SUCCESS_SUCCESS;
    }
    MapiResult OpenMsgStore(void*, const EntryId& id, uint32_t, std::shared_ptr<IMsgStore>& store) override {
        world_->calls.push_back("OpenMsgStore(" + id.substr(2) + ")");
        FakeProfile* profile = world_->profile(profile_);
        if (!profile) return MAPI_E_NOT_FOUND;
        for (FakeStore* candidate : storesOf(*world_, *profile)) {
            if ("S:" + candidate->name != id) continue;
            if (candidate->openFails) return MAPI_E_CORRUPT_STORE;
            store = std::make_shared<Store>(world_, *candidate);
            return SUCCESS_SUCCESS;
        }
        return MAPI_E_NOT_FOUND;
    }
    MapiResult CompareEntryIDs(const EntryId& a, const EntryId& b, bool& same) override {
        same = a == b;
        return SUCCESS_SUCCESS;
    }
    MapiResult Logoff(void*, uint32_t) override {
        world_->calls.push_back("Logoff(" + profile_ + ")");
        return SUCCESS_SUCCESS;
    }

private:
    std::shared_ptr<FakeMapi> world_;
    std::string profile_;
};

class ServiceAdmin : public IMsgServiceAdmin {
public:
    ServiceAdmin(std::shared_ptr<FakeMapi> world, std::string profile) : world_(std::move(world)), profile_(std::move(profile)) {}
    MapiResult GetMsgServiceTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        FakeProfile* profile = world_->profile(profile_);
        if (!profile) return MAPI_E_NOT_FOUND;
        table = std::make_shared<RowTable>(
            std::vector<uint32_t>{PR_SERVICE_UID, PR_DISPLAY_NAME},
            [profile](const std::vector<uint32_t>& columns, RowSet& rows) {
                for (const FakeService& service : profile->services) {
                    rows.push_back(selectColumns(columns, {binaryValue(PR_SERVICE_UID, service.uid),
                                                           textValue(PR_DISPLAY_NAME, service.displayName)}));
                }
                return SUCCESS_SUCCESS;
            });
        return SUCCESS_SUCCESS;
    }
    MapiResult CreateMsgService(const std::string& service, const std::string& displayName, void*,
                                uint32_t flags) override {
        world_->calls.push_back("CreateMsgService(" + service + "," + std::to_string(flags) + ")");
        if (flags && world_->refuseServiceFlags) return MAPI_E_UNKNOWN_FLAGS;
        FakeProfile* profile = world_->profile(profile_);
        if (!profile) return MAPI_E_NOT_FOUND;
        profile->services.push_back({"uid" + std::to_string(profile->services.size()), displayName, ""});
        return SUCCESS_SUCCESS;
    }
    MapiResult ConfigureMsgService(const EntryId& uid, void*, uint32_t, const PropRow& properties) override {
        FakeProfile* profile = world_->profile(profile_);
        if (!profile) return MAPI_E_NOT_FOUND;
        for (FakeService& service : profile->services) {
            if (service.uid != uid) continue;
            for (const PropValue& value : properties) {
                if (value.tag == PR_PST_PATH) service.pstPath = value.bytes;
            }
            return SUCCESS_SUCCESS;
        }
        return MAPI_E_NOT_FOUND;
    }

private:
    std::shared_ptr<FakeMapi> world_;
    std::string profile_;
};

class ProfAdmin : public IProfAdmin {
public:
    explicit ProfAdmin(std::shared_ptr<FakeMapi> world) : world_(std::move(world)) {}
    MapiResult GetProfileTable(uint32_t, std::shared_ptr<IMAPITable>& table) override {
        std::shared_ptr<FakeMapi> world = world_;
        table = std::make_shared<RowTable>(std::vector<uint32_t>{PR_DISPLAY_NAME},
                                           [world](const std::vector<uint32_t>& columns, RowSet& rows) {
                                               for (const FakeProfile& p : world->profiles) {
                                                   rows.push_back(selectColumns(
                                                       columns, {textValue(PR_DISPLAY_NAME, p.name),
                                                                 boolValue(PR_DEFAULT_PROFILE, p.isDefault)}));
                                               }
                                               return SUCCESS_SUCCESS;
                                           });
        return SUCCESS_SUCCESS;
    }
    MapiResult CreateProfile(const std::string& name, const std::string&, void*, uint32_t) override {
        world_->calls.push_back("CreateProfile(" + name + ")");
        if (world_->profile(name)) return MAPI_E_NO_ACCESS;
        world_->profiles.push_back(FakeProfile{name});
        return SUCCESS_SUCCESS;
    }
    MapiResult DeleteProfile(const std::string& name, uint32_t) override {
        world_->calls.push_back("DeleteProfile(" + name + ")");
        auto& profiles = world_->profiles;
        const auto found = std::find_if(profiles.begin(), profiles.end(), [&](const FakeProfile& p) { return p.name == name; });
        if (found == profiles.end()) return MAPI_E_NOT_FOUND;
        profiles.erase(found);
        return SUCCESS_SUCCESS;
    }
    MapiResult AdminServices(const std::string& profile, const std::string&, void*, uint32_t,
                             std::shared_ptr<IMsgServiceAdmin>& admin) override {
        if (!world_->profile(profile)) return MAPI_E_NOT_FOUND;
        admin = std::make_shared<ServiceAdmin>(world_, profile);
        return SUCCESS_SUCCESS;
    }

private:
    std::shared_ptr<FakeMapi> world_;
};

class Library : public MapiLibrary {
public:
    explicit Library(std::shared_ptr<FakeMapi> world) : world_(std::move(world)) {}
    bool HasEntryPoint(std::string_view name) const override {
        const auto& missing = world_->missingEntryPoints;
        return std::find(missing.begin(), missing.end(), name) == missing.end();
    }
    MapiResult MAPIInitialize(const void*) override {
        world_->calls.push_back("MAPIInitialize");
        return world_->initializeFails ? MAPI_E_CALL_FAILED : SUCCESS_SUCCESS;
    }
    void MAPIUninitialize() override { world_->calls.push_back("MAPIUninitialize"); }
    MapiResult MAPIAdminProfiles(uint32_t, std::shared_ptr<IProfAdmin>& admin) override {
        admin = std::make_shared<ProfAdmin>(world_);
        return SUCCESS_SUCCESS;
    }
    MapiResult MAPILogonEx(void*, const std::string& name, const std::string&, uint32_t flags,
                           std::shared_ptr<IMAPISession>& session) override {
        world_->calls.push_back("MAPILogonEx(" + name + "," + std::to_string(flags) + ")");
        const FakeProfile* profile = world_->profile(name);
        if (!profile || profile->logonFails) return MAPI_E_LOGON_FAILED;
        session = std::make_shared<Session>(world_, name);
        return SUCCESS_SUCCESS;
    }
    MapiResult RTFSync(IMessage& message, uint32_t flags, bool& updated) override {
        world_->calls.push_back("RTFSync");
        return MapiLibrary::RTFSync(message, flags, updated);
    }

private:
    std::shared_ptr<FakeMapi> world_;
};

void giveIds(FakeFolder& folder, const std::string& id) {
    if (folder.id.empty()) folder.id = id;
    for (size_t i = 0; i < folder.children.size(); ++i) giveIds(folder.children[i], folder.id + "/" + std::to_string(i));
}

}  // namespace

void FakeMapi::finish() {
    for (FakeProfile& profile : profiles) {
        for (FakeStore& store : profile.stores) giveIds(store.top, "F:" + profile.name + ":" + store.name);
    }
    for (auto& [path, store] : pstFiles) giveIds(store.top, "F:" + path);
}

size_t FakeMapi::count(const std::string& call) const {
    return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
}

FakeProfile* FakeMapi::profile(const std::string& name) {
    for (FakeProfile& p : profiles) {
        if (p.name == name) return &p;
    }
    return nullptr;
}

std::unique_ptr<MapiLibrary> makeFakeLibrary(std::shared_ptr<FakeMapi> world) {
    return std::make_unique<Library>(std::move(world));
}

std::shared_ptr<IMessage> makeFakeMessage(std::shared_ptr<FakeMapi> world, FakeMessage& message) {
    return std::make_shared<Message>(std::move(world), message);
}

void FakeMapiTest::SetUp() {
    resetMapiState();
    std::shared_ptr<FakeMapi> fake = world;
    installMapiLibrary("fake.dll", [fake] { return makeFakeLibrary(fake); });
}

void FakeMapiTest::TearDown() {
    CloseMapi();
    resetMapiState();
    installMapiLibrary("fake.dll", nullptr);
}

void FakeMapiTest::load() {
    world->finish();
    EnsureStores("fake.dll");
}

}  // namespace tessaly::test
