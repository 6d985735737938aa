// oestore.cpp - Outlook Express identities, stores and folder trees.
#include "sources/oestore.h"

#include <algorithm>
#include <map>
#include <memory>

#include "message/charsets.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "sources/dbx.h"

namespace tessaly {

namespace {

struct StoreCache {
    std::vector<TDbxStore> stores;
    std::string storesBuiltFor;
    bool storesBuilt = false;
    std::vector<TDbxFolderInfo> folders;
    std::string foldersBuiltFor;
    bool foldersBuilt = false;
};

StoreCache& cache() {
    static StoreCache c;
    return c;
}

std::string readString(const std::string& key, const std::string& name) {
    std::string value;
    registryReadString(RegistryHive::CurrentUser, key, name, value);
    return value;
}

void addIdentityStores(const std::string& identity, std::vector<TDbxStore>& stores) {
    const std::string key = "Identities\\" + identity;
    std::string userName;
    if (!registryReadString(RegistryHive::CurrentUser, key, "Username", userName) || userName.empty()) {
        return;
    }
    const std::string oeKey = key + "\\Software\\Microsoft\\Outlook Express";
    std::vector<std::string> versions;
    if (!registrySubkeys(RegistryHive::CurrentUser, oeKey, versions)) return;
    for (const std::string& version : versions) {
        std::string root = readString(oeKey + "\\" + version, "Store Root");
        if (!root.empty() && (root.back() == '/' || root.back() == '\\')) root.pop_back();
        if (root.empty()) continue;
        if (!stores.empty() && stores.back().identityKey == identity &&
            equalsIgnoringCase(stores.back().storeRoot, root)) {
            continue;
        }
        if (!pathExists(findNameIgnoringCase(root, "Folders.dbx"))) continue;
        stores.push_back({identity, userName, version, root});
    }
}

// One node of the folder tree while it is built.
struct TDbxFolderSorting {
    uint32_t id = 0;
    bool special = false;
    uint32_t sortKey = 0;
    TDbxFolderInfo info;
    std::vector<std::unique_ptr<TDbxFolderSorting>> children;
    TDbxFolderSorting* parent = nullptr;
};

using NodeList = std::vector<std::unique_ptr<TDbxFolderSorting>>;

void readFolderTree(const std::string& storeRoot, NodeList& topLevel) {
    imemfile file(findNameIgnoringCase(storeRoot, "Folders.dbx"));
    if (!file.good()) return;
    const DbxHeader header = readDbxHeader(file.view());
    if (header.folderRoot == 0 || header.folderCount == 0) return;
    const DbxTree tree(file, header.folderRoot, header.folderCount);
    std::map<uint32_t, TDbxFolderSorting*> byId;
    for (uint32_t i = 0; i < tree.count(); ++i) {
        const DbxFolderInfo record(file.view(), tree.valueAt(i));
        const uint32_t id = record.valueAsInteger(kDbxFolderId);
        const uint32_t parentId = record.valueAsInteger(kDbxFolderParentId);
        std::string accountKey = record.valueAsText(kDbxFolderAccountKey);
        uint32_t special = record.valueAsInteger(kDbxFolderSpecial);
        if (accountKey.compare(0, 10, "LocalStore") == 0) accountKey = "1";
        if (parentId == 0 && !accountKey.empty() && accountKey.size() <= 9 &&
            accountKey.find_first_not_of("0123456789") == std::string::npos) {
            special = static_cast<uint32_t>(std::stoul(accountKey));
        }
        const auto found = parentId == 0 ? byId.end() : byId.find(parentId);
        TDbxFolderSorting* parent = found == byId.end() ? nullptr : found->second;
        if (record.valueAsInteger(kDbxFolderLocal) == 0) continue;

        auto node = std::make_unique<TDbxFolderSorting>();
        node->id = id;
        node->special = special != 0;
        node->sortKey = special != 0 ? special : i;
        node->parent = parent;
        TDbxFolderInfo& f = node->info;
        f.name = ensureUtf8(record.valueAsText(kDbxFolderName));
        f.fileName = record.valueAsText(kDbxFolderFileName);
        f.directory = storeRoot;
        if (parent) {
            const TDbxFolderInfo& p = parent->info;
            if (parent->parent) {
                f.parentPath = p.parentPath.empty() ? p.name : p.parentPath + "/" + p.name;
                f.storeName = p.storeName;
            } else {
                f.storeName = p.name;
            }
            f.depth = p.depth + 1;
            f.kind = node->special && special >= 1 && special <= 5 ? static_cast<uint8_t>(special) : 6;
        } else {
            f.depth = 0;
            f.kind = 0;
        }
        f.folderPath = f.name;
        if (!f.parentPath.empty()) f.folderPath = f.parentPath + "/" + f.folderPath;
        if (!f.storeName.empty()) f.folderPath = f.storeName + "/" + f.folderPath;

        byId[id] = node.get();
        (parent ? parent->children : topLevel).push_back(std::move(node));
    }
}

// Special folders first by number, then the others in record order; a
// folder of kind 2, 4 or 5 is left out with everything below it. Iterative,
// so a deep tree cannot exhaust the stack.
void flatten(NodeList& topLevel, std::vector<TDbxFolderInfo>& out) {
    auto sortNodes = [](NodeList& nodes) {
        std::stable_sort(nodes.begin(), nodes.end(), [](const auto& a, const auto& b) {
            if (a->special != b->special) return a->special;
            return a->sortKey < b->sortKey;
        });
    };
    struct Frame {
        NodeList* nodes;
        size_t next;
        bool include;
    };
    sortNodes(topLevel);
    std::vector<Frame> stack{{&topLevel, 0, true}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.nodes->size()) {
            stack.pop_back();
            continue;
        }
        TDbxFolderSorting& node = *(*frame.nodes)[frame.next++];
        const uint8_t kind = node.info.kind;
        const bool include = frame.include && kind != 2 && kind != 4 && kind != 5;
        if (include) out.push_back(node.info);
        sortNodes(node.children);
        stack.push_back({&node.children, 0, include});
    }
}

}  // namespace

const std::vector<TDbxStore>& loadDbxStores(const std::string& preferredUser) {
    StoreCache& c = cache();
    const std::string builtFor = preferredUser.empty() ? "_" : preferredUser;
    if (c.storesBuilt && c.storesBuiltFor == builtFor) return c.stores;
    c.storesBuilt = true;
    c.storesBuiltFor = builtFor;
    c.stores.clear();

    std::vector<std::string> identities;
    if (!registrySubkeys(RegistryHive::CurrentUser, "Identities", identities)) return c.stores;
    std::string preferred;
    if (!preferredUser.empty()) {
        for (const std::string& s : identities) {
            if (readString("Identities\\" + s, "Username") == preferredUser) {
                preferred = s;
                break;
            }
        }
    }
    if (preferred.empty()) preferred = readString("Identities", "Default User ID");

    if (!preferred.empty()) addIdentityStores(preferred, c.stores);
    for (const std::string& s : identities) {
        if (s != preferred) addIdentityStores(s, c.stores);
    }
    return c.stores;
}

const std::vector<TDbxFolderInfo>& loadDbxFoldersFromRoot(const std::string& storeRoot) {
    StoreCache& c = cache();
    const std::string builtFor = "root:" + storeRoot;
    if (c.foldersBuilt && c.foldersBuiltFor == builtFor) return c.folders;
    c.foldersBuilt = true;
    c.foldersBuiltFor = builtFor;
    c.folders.clear();
    NodeList topLevel;
    try {
        readFolderTree(storeRoot, topLevel);
    } catch (const DbxException&) {
        // A damaged folder-tree file lists no folders; the page says so.
        return c.folders;
    }
    flatten(topLevel, c.folders);
    return c.folders;
}

const std::vector<TDbxFolderInfo>& loadDbxFolders(const std::string& userName,
                                                  const std::string& versionKey) {
    StoreCache& c = cache();
    const std::string builtFor =
        (userName.empty() ? "_" : userName) + "\n" + (versionKey.empty() ? "_" : versionKey);
    if (c.foldersBuilt && c.foldersBuiltFor == builtFor) return c.folders;
    if (!c.storesBuilt) loadDbxStores(userName);

    const TDbxStore* store = nullptr;
    for (const TDbxStore& s : c.stores) {
        if ((s.userName == userName && s.versionKey == versionKey) ||
            (userName.empty() && versionKey.empty())) {
            store = &s;
            break;
        }
    }
    if (!store) {
        c.foldersBuilt = true;
        c.foldersBuiltFor = builtFor;
        c.folders.clear();
        return c.folders;
    }
    loadDbxFoldersFromRoot(store->storeRoot);
    c.foldersBuiltFor = builtFor;
    return c.folders;
}

bool isTickedByDefault(const TDbxFolderInfo& folder) {
    if (folder.kind == 0 || folder.kind == 2 || folder.kind == 4 || folder.kind == 5) return false;
    return !equalsIgnoringCase(folder.name, "outbox");
}

void forgetDbxStores() { cache() = StoreCache{}; }

}  // namespace tessaly
