// stores.cpp - loading a MAPI library, listing its profiles and stores,
// opening one store, mounting a loose .pst file, and closing down.
#include <algorithm>

#include "mapi/folders.h"
#include "mapi/library_loader.h"
#include "mapi/mapi_state.h"

namespace tessaly {

namespace {

void releaseStoreAndSession(MapiState& state) {
    state.store.reset();
    if (state.session) state.session->Logoff(nullptr, 0);
    state.session.reset();
    state.openProfile.clear();
    state.openStore.clear();
    state.specialIdsRead = false;
}

bool loadLibrary(MapiState& state, const std::string& path) {
    state.loadedLibraryPath = path;
    state.library = loadMapiLibrary(path);
    const bool complete = state.library && std::all_of(std::begin(kMapiEntryPoints), std::end(kMapiEntryPoints),
                                                       [&](const char* name) { return state.library->HasEntryPoint(name); });
    if (!complete) {
        state.library.reset();
        // Forgetting the path lets the next request try again, instead of
        // calling into a library that is not there.
        state.loadedLibraryPath.clear();
        traceMapi("Couldn't GetProcAddresses ");
        return false;
    }
    if (mapiFailed(state.library->MAPIInitialize(nullptr))) {
        state.library.reset();
        state.loadedLibraryPath.clear();
        traceMapi("Couldn't MAPInitialize ");
        return false;
    }
    return true;
}

struct ProfileRow {
    std::string name;
    bool isDefault = false;
};

// The stores of one profile, the default store first; false when logon or
// the store table failed.
bool listProfileStores(MapiState& state, const std::string& profile, std::vector<mapi_TStoreInfo>& stores) {
    std::shared_ptr<IMAPISession> session;
    if (mapiFailed(state.library->MAPILogonEx(nullptr, profile, "", MAPI_NO_MAIL | MAPI_EXTENDED | MAPI_NEW_SESSION,
                                              session)) ||
        !session) {
        traceMapi("Couldn't MAPI.LogonEx(" + profile + ") ");
        return false;
    }
    bool ok = true;
    std::shared_ptr<IMAPITable> table;
    RowSet rows;
    if (mapiFailed(session->GetMsgStoresTable(0, table)) || !table) {
        traceMapi("Couldn't session->GetMsgStoresTable ");
        ok = false;
    } else if (mapiFailed(table->QueryAllRows({PR_RESOURCE_FLAGS, PR_DISPLAY_NAME}, rows))) {
        traceMapi("Couldn't mstoretable->QueryAllRows ");
        ok = false;
    } else {
        size_t defaults = 0;
        for (const PropRow& row : rows) {
            const std::string name = propBytes(row, PR_DISPLAY_NAME);
            if (name.empty()) continue;
            const mapi_TStoreInfo store{profile, name, 2};
            if (propNumber(row, PR_RESOURCE_FLAGS) & STATUS_DEFAULT_STORE) {
                stores.insert(stores.begin() + static_cast<std::ptrdiff_t>(defaults++), store);
            } else {
                stores.push_back(store);
            }
        }
    }
    session->Logoff(nullptr, 0);
    return ok;
}

std::shared_ptr<IProfAdmin> profileAdmin(MapiState& state) {
    std::shared_ptr<IProfAdmin> admin;
    if (!state.library || mapiFailed(state.library->MAPIAdminProfiles(0, admin))) return nullptr;
    return admin;
}

// Deletes the temporary profile when the profile table lists it.
void deleteTemporaryProfile(IProfAdmin& admin) {
    std::shared_ptr<IMAPITable> table;
    RowSet rows;
    if (mapiFailed(admin.GetProfileTable(0, table)) || !table ||
        mapiFailed(table->QueryAllRows({PR_DISPLAY_NAME}, rows))) {
        return;
    }
    for (const PropRow& row : rows) {
        if (propBytes(row, PR_DISPLAY_NAME) == kTemporaryProfile) {
            admin.DeleteProfile(kTemporaryProfile, 0);
            return;
        }
    }
}

// The first row of the temporary profile's service table.
bool firstService(IMsgServiceAdmin& services, EntryId& uid, std::string& displayName) {
    std::shared_ptr<IMAPITable> table;
    RowSet rows;
    if (mapiFailed(services.GetMsgServiceTable(0, table)) || !table ||
        mapiFailed(table->QueryAllRows({PR_SERVICE_UID, PR_DISPLAY_NAME}, rows)) || rows.empty()) {
        return false;
    }
    uid = propBytes(rows[0], PR_SERVICE_UID);
    displayName = propBytes(rows[0], PR_DISPLAY_NAME);
    return true;
}

}  // namespace

void EnsureStores(const std::string& dllPath) {
    MapiState& state = mapiState();
    traceMapi("EnsureStores: ");
    if (dllPath != state.loadedLibraryPath || !state.library) {
        CloseMapi();
        if (!loadLibrary(state, dllPath)) {
            state.stores.clear();
            return;
        }
    }

    state.stores.clear();
    const std::shared_ptr<IProfAdmin> admin = profileAdmin(state);
    if (!admin) {
        traceMapi("Couldn't MAPIAdminprofiles ");
        return;
    }
    std::shared_ptr<IMAPITable> table;
    if (mapiFailed(admin->GetProfileTable(0, table)) || !table) {
        traceMapi("Couldn't profadmin->GetProfileTable ");
        return;
    }
    RowSet rows;
    if (mapiFailed(table->QueryAllRows({PR_DISPLAY_NAME, PR_DEFAULT_PROFILE}, rows))) {
        traceMapi("Couldn't proftab->QueryAllRows ");
        return;
    }

    std::vector<ProfileRow> profiles;
    size_t defaults = 0;
    for (const PropRow& row : rows) {
        const std::string name = propBytes(row, PR_DISPLAY_NAME);
        if (name.empty() || name == kTemporaryProfile) continue;
        const ProfileRow profile{name, propNumber(row, PR_DEFAULT_PROFILE) != 0};
        if (profile.isDefault) {
            profiles.insert(profiles.begin() + static_cast<std::ptrdiff_t>(defaults++), profile);
        } else {
            profiles.push_back(profile);
        }
    }

    for (const ProfileRow& profile : profiles) {
        std::vector<mapi_TStoreInfo> stores;
        const bool opened = listProfileStores(state, profile.name, stores);
        state.stores.push_back(mapi_TStoreInfo{profile.name, "", static_cast<uint8_t>(opened ? 0 : 1)});
        state.stores.insert(state.stores.end(), stores.begin(), stores.end());
    }
}

void EnsureFolders(void* window, const std::string& profile, const std::string& store) {
    MapiState& state = mapiState();
    traceMapi("EnsureFolders: ");
    if (profile == state.openProfile && store == state.openStore) return;
    state.folders.clear();

    if (profile != state.openProfile || !state.session) {
        releaseStoreAndSession(state);
        if (!state.library) {
            traceMapi("Failed getprocaddress ");
            return;
        }
        std::shared_ptr<IMAPISession> session;
        if (mapiFailed(state.library->MAPILogonEx(
                window, profile, "", MAPI_PASSWORD_UI | MAPI_NO_MAIL | MAPI_EXTENDED | MAPI_NEW_SESSION,
                session)) ||
            !session) {
            traceMapi("Failed to LogonEx ");
            return;
        }
        state.session = session;
        state.openProfile = profile;
    }
    state.store.reset();
    state.openStore.clear();
    state.specialIdsRead = false;

    std::shared_ptr<IMAPITable> table;
    RowSet rows;
    if (mapiFailed(state.session->GetMsgStoresTable(0, table)) || !table) {
        traceMapi("Failed to get MsgStoresTable ");
    } else if (mapiFailed(table->QueryAllRows({PR_ENTRYID, PR_DISPLAY_NAME}, rows))) {
        traceMapi("Failed to QueryAllRows of MsgStoresTable ");
    } else {
        for (const PropRow& row : rows) {
            if (propBytes(row, PR_DISPLAY_NAME) != store) continue;
            std::shared_ptr<IMsgStore> opened;
            if (mapiFailed(state.session->OpenMsgStore(window, propBytes(row, PR_ENTRYID), MDB_NO_MAIL, opened)) ||
                !opened) {
                traceMapi("Failed to OpenMsgStore(" + store + ")");
            } else {
                state.store = opened;
            }
            break;
        }
    }
    if (!state.store) {
        releaseStoreAndSession(state);
        traceMapi("msgstore=0. ");
        return;
    }

    PropRow values;
    state.store->GetProps({PR_IPM_SUBTREE_ENTRYID}, values);
    uint32_t type = 0;
    std::shared_ptr<IMAPIProp> object;
    std::shared_ptr<IMAPIFolder> top;
    const PropValue* topId = findProp(values, PR_IPM_SUBTREE_ENTRYID);
    if (topId && !mapiFailed(state.store->OpenEntry(topId->bytes, type, object))) {
        top = std::dynamic_pointer_cast<IMAPIFolder>(object);
    }
    if (!top) {
        traceMapi("ipmroot=0 ");
        return;
    }
    state.openStore = store;
    listStoreFolders(*top, state.folders);
}

void EnsureFoldersFn(void* window, const std::string& pstPath) {
    MapiState& state = mapiState();
    traceMapi("EnsureFoldersFn: ");
    releaseStoreAndSession(state);
    state.folders.clear();

    if (!state.library) {
        traceMapi("Failed GetProcAddress ");
        return;
    }
    const std::shared_ptr<IProfAdmin> admin = profileAdmin(state);
    if (!admin) {
        traceMapi("Failed to MAPIAdminProfiles ");
        return;
    }
    deleteTemporaryProfile(*admin);
    if (mapiFailed(admin->CreateProfile(kTemporaryProfile, "", nullptr, 0))) {
        traceMapi("Failed to create profile. ");
        return;
    }

    std::shared_ptr<IMsgServiceAdmin> services;
    MapiResult result = admin->AdminServices(kTemporaryProfile, "", window, 0, services);
    if (!mapiFailed(result) && services) {
        result = services->CreateMsgService("MSPST MS", kTemporaryStore, window, SERVICE_UI_ALLOWED);
        if (result == MAPI_E_UNKNOWN_FLAGS) result = services->CreateMsgService("MSPST MS", kTemporaryStore, nullptr, 0);
    }
    if (mapiFailed(result) || !services) {
        traceMapi("Failed to create MsgService (" + mapiErrorName(result) + ") ");
        admin->DeleteProfile(kTemporaryProfile, 0);
        return;
    }

    EntryId uid;
    std::string displayName;
    if (!firstService(*services, uid, displayName)) {
        traceMapi("Failed to read the service table ");
        return;
    }
    if (mapiFailed(services->ConfigureMsgService(uid, window, 0, {textValue(PR_PST_PATH, pstPath)}))) {
        traceMapi("Failed to configure MsgService ");
        return;
    }
    if (!firstService(*services, uid, displayName)) {
        traceMapi("Failed to read the service table ");
        return;
    }
    EnsureFolders(window, kTemporaryProfile, displayName);
}

void CloseMapi() {
    MapiState& state = mapiState();
    releaseStoreAndSession(state);
    state.folders.clear();
    state.stores.clear();
    if (state.library) {
        if (const std::shared_ptr<IProfAdmin> admin = profileAdmin(state)) deleteTemporaryProfile(*admin);
        state.library->MAPIUninitialize();
        state.library.reset();
    }
    state.loadedLibraryPath.clear();
}

}  // namespace tessaly
