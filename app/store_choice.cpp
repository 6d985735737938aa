// store_choice.cpp - the chosen Linux mail store and its ticked folders.
#include "app/store_choice.h"

#include <algorithm>

#include "platform/folders.h"

namespace tessaly {

namespace {

constexpr StoreKind kKinds[] = {StoreKind::Thunderbird, StoreKind::Maildir, StoreKind::Evolution, StoreKind::KMail,
                                StoreKind::MH};

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::optional<StoreKind> storeKindNamed(const std::string& name) {
    for (const StoreKind kind : kKinds) {
        if (name == storeKindName(kind)) return kind;
    }
    return std::nullopt;
}

std::vector<MailStore> homeMailStores() {
    const std::string home = homeFolder();
    if (home.empty()) return {};
    return findMailStores(home);
}

std::optional<MailStore> chosenMailStore(const Settings& settings) {
    const std::optional<StoreKind> kind = storeKindNamed(settings.storekind);
    if (!kind || settings.storeroot.empty()) return std::nullopt;
    for (const MailStore& store : homeMailStores()) {
        if (store.kind == *kind && store.root == settings.storeroot) return store;
    }
    // A store outside the places searched (one named before, elsewhere).
    std::optional<MailStore> store = storeAt(settings.storeroot);
    if (store && store->kind == *kind) return store;
    return std::nullopt;
}

const std::vector<StoreFolder>& keepStoreFolders(Settings& settings, const std::optional<MailStore>& store) {
    Settings::StoreFolderList& list = settings.storeFolderList;
    list.kind = settings.storekind;
    list.root = settings.storeroot;
    list.loaded = true;
    list.folders.clear();
    if (store) list.folders = readStoreFolders(*store);
    return list.folders;
}

const std::vector<StoreFolder>& loadStoreFolders(Settings& settings) {
    return keepStoreFolders(settings, chosenMailStore(settings));
}

const std::vector<StoreFolder>& currentStoreFolders(Settings& settings) {
    const Settings::StoreFolderList& list = settings.storeFolderList;
    if (list.loaded && list.kind == settings.storekind && list.root == settings.storeroot) return list.folders;
    return loadStoreFolders(settings);
}

bool isTickableStoreFolder(const StoreFolder& folder) {
    return folder.entry.storage != FolderStorage::None && folder.messages > 0;
}

std::string storeFolderKey(const StoreFolder& folder) {
    const TDbxFolderInfo& entry = folder.entry;
    return entry.storage == FolderStorage::File ? entry.directory + "/" + entry.fileName : entry.directory;
}

bool isRememberedStoreFolder(const Settings& settings, const StoreFolder& folder) {
    return contains(settings.storefolders, storeFolderKey(folder));
}

std::vector<std::string> tickedStoreFolders(Settings& settings, const FormFields& fields) {
    const std::vector<StoreFolder>& folders = currentStoreFolders(settings);
    std::vector<std::string> paths;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (isTickableStoreFolder(folders[i]) && findField(fields, "eid" + std::to_string(i))) {
            paths.push_back(storeFolderKey(folders[i]));
        }
    }
    return paths;
}

std::vector<TDbxFolderInfo> tickedStoreEntries(Settings& settings) {
    std::vector<TDbxFolderInfo> entries;
    for (const StoreFolder& folder : currentStoreFolders(settings)) {
        // A heading has nothing of its own to archive, whatever the list says.
        if (folder.entry.storage != FolderStorage::None && isRememberedStoreFolder(settings, folder)) {
            entries.push_back(folder.entry);
        }
    }
    return entries;
}

std::string storeKindText(StoreKind kind) {
    switch (kind) {
        case StoreKind::Thunderbird: return "Thunderbird";
        case StoreKind::Maildir: return "Maildir folders";
        case StoreKind::Evolution: return "Evolution";
        case StoreKind::KMail: return "KMail";
        case StoreKind::MH: return "MH folders";
    }
    return {};
}

std::string shownStoreRoot(const std::string& root) {
    const std::string home = homeFolder();
    if (home.empty() || home == "/") return root;
    const std::string prefix = home.back() == '/' ? home : home + "/";
    if (root == home || root + "/" == prefix) return "~";
    if (root.compare(0, prefix.size(), prefix) == 0) return "~/" + root.substr(prefix.size());
    return root;
}

std::string storeLabel(const MailStore& store) {
    // A Maildir or MH tree's own name ("Mail") says less than where it is.
    if (store.kind == StoreKind::Maildir || store.kind == StoreKind::MH || store.name.empty()) {
        return shownStoreRoot(store.root);
    }
    return store.name;
}

}  // namespace tessaly
