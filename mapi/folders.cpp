// folders.cpp - walking and classifying the folders of the open store.
#include "mapi/folders.h"

#include <map>
#include <set>

#include "mapi/mapi_state.h"

namespace tessaly {

namespace {

// A damaged store could describe a tree deeper than any real one; the walk
// stops there rather than run out of stack.
constexpr int32_t kMaxDepth = 64;

void readSpecialIds(MapiState& state) {
    state.specialIdsRead = true;
    state.specialIds.fill(EntryId());
    if (!state.store) return;
    EntryId inbox;
    if (!mapiFailed(state.store->GetReceiveFolder("IPM.Note", inbox))) state.specialIds[0] = inbox;

    PropRow values;
    if (!mapiFailed(state.store->GetProps({PR_VALID_FOLDER_MASK, PR_IPM_OUTBOX_ENTRYID,
                                           PR_IPM_SENTMAIL_ENTRYID, PR_IPM_WASTEBASKET_ENTRYID},
                                          values))) {
        for (size_t i = 1; i < values.size() && i < 4; ++i) {
            if (!isErrorValue(values[i])) state.specialIds[i] = values[i].bytes;
        }
    }

    if (state.specialIds[0].empty()) return;
    uint32_t type = 0;
    std::shared_ptr<IMAPIProp> object;
    if (mapiFailed(state.store->OpenEntry(state.specialIds[0], type, object)) || type != MAPI_FOLDER) return;
    const std::shared_ptr<IMAPIFolder> receive = std::dynamic_pointer_cast<IMAPIFolder>(object);
    if (!receive) return;
    PropRow ids;
    if (mapiFailed(receive->GetProps({PR_IPM_APPOINTMENT_ENTRYID, PR_IPM_CONTACT_ENTRYID,
                                      PR_IPM_JOURNAL_ENTRYID, PR_IPM_NOTE_ENTRYID, PR_IPM_TASK_ENTRYID},
                                     ids))) {
        return;
    }
    for (size_t i = 0; i < ids.size() && i < 5; ++i) {
        if (!isErrorValue(ids[i])) state.specialIds[4 + i] = ids[i].bytes;
    }
}

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

uint8_t classByContainerClass(std::string cls) {
    if (cls.size() > 3 && cls.compare(0, 2, "IP") == 0) cls[2] = '.';
    if (startsWith(cls, "IP..Note")) return kFolderNoteClass;
    if (cls == "IP..Imap") return kFolderNoteClass;
    if (startsWith(cls, "IP..Appointment")) return 4;
    if (startsWith(cls, "IP..Contact")) return 5;
    if (startsWith(cls, "IP..Journal")) return 6;
    if (startsWith(cls, "IP..StickyNote")) return 7;
    if (startsWith(cls, "IP..Task")) return 8;
    if (startsWith(cls, "IP..")) return kFolderOtherItems;
    return kFolderNoClass;
}

// The paths the walk has given, and how many folders took each.
using TakenPaths = std::map<std::string, uint32_t>;

// `path`, or for the second folder of a path met before (two sibling
// folders called alike) `path` + ";2", and so on, as the archive numbers
// its other names, so that each folder gets an archive folder of its own.
std::string distinctPath(const std::string& path, TakenPaths& taken) {
    std::string candidate = path;
    uint32_t& count = taken[path];
    while (count > 0) {
        candidate = path + ";" + std::to_string(++count);
        if (taken.find(candidate) == taken.end()) break;
    }
    if (count == 0) count = 1;
    taken.emplace(candidate, 1);
    return candidate;
}

bool sameEntry(const EntryId& a, const EntryId& b) {
    if (a.empty() || b.empty()) return false;
    const MapiState& state = mapiState();
    bool same = false;
    if (state.session) {
        if (mapiFailed(state.session->CompareEntryIDs(a, b, same))) same = false;
    } else {
        same = a == b;
    }
    return same;
}

EntryId draftsIdOf(IMAPIFolder& folder) {
    PropRow values;
    if (mapiFailed(folder.GetProps({PR_IPM_DRAFTS_ENTRYID}, values)) || values.empty() || isErrorValue(values[0])) {
        return {};
    }
    return values[0].bytes;
}

// Marks the store's Drafts folder. Its entry id is kept on the receive
// folder and on the top folder; a store that keeps it on neither has its
// Drafts folder at the top, under that name.
void markDrafts(IMAPIFolder& top, std::vector<mapi_TFolderInfo>& folders) {
    MapiState& state = mapiState();
    EntryId drafts;
    if (state.store && !state.specialIds[kFolderInbox].empty()) {
        uint32_t type = 0;
        std::shared_ptr<IMAPIProp> object;
        if (!mapiFailed(state.store->OpenEntry(state.specialIds[kFolderInbox], type, object)) && type == MAPI_FOLDER) {
            if (const auto receive = std::dynamic_pointer_cast<IMAPIFolder>(object)) drafts = draftsIdOf(*receive);
        }
    }
    if (drafts.empty()) drafts = draftsIdOf(top);
    for (mapi_TFolderInfo& folder : folders) {
        if (drafts.empty() ? folder.depth == 0 && folder.name == "Drafts" : sameEntry(folder.entryId.bytes, drafts)) {
            folder.drafts = true;
            return;
        }
    }
}

void walk(IMAPIFolder& container, int32_t depth, const std::string& parentPath,
          std::vector<mapi_TFolderInfo>& folders, std::set<EntryId>& visited, TakenPaths& taken) {
    std::shared_ptr<IMAPITable> table;
    if (mapiFailed(container.OpenProperty(PR_CONTAINER_HIERARCHY, table)) || !table) {
        traceMapi("Failed to GetHierarchyTable ");
        return;
    }
    RowSet rows;
    if (mapiFailed(table->QueryAllRows({PR_ENTRYID, PR_DISPLAY_NAME, PR_SUBFOLDERS}, rows))) {
        traceMapi("Failed to get hierarchy rows ");
        return;
    }
    for (const PropRow& row : rows) {
        uint32_t type = 0;
        std::shared_ptr<IMAPIProp> object;
        if (mapiFailed(container.OpenEntry(propBytes(row, PR_ENTRYID), type, object)) || !object) {
            traceMapi("Failed to OpenEntry(folder) ");
            continue;
        }
        const std::shared_ptr<IMAPIFolder> folder = std::dynamic_pointer_cast<IMAPIFolder>(object);
        if (type != MAPI_FOLDER || !folder) continue;

        PropRow own;
        folder->GetProps({PR_ENTRYID}, own);
        const EntryId entryId = propBytes(own, PR_ENTRYID);
        const uint8_t code = ClassifyFolder(entryId, *folder);
        if (!isListedFolderClass(code)) continue;
        // A damaged store may list a folder below itself.
        if (!entryId.empty() && !visited.insert(entryId).second) continue;

        const std::string name = propBytes(row, PR_DISPLAY_NAME);
        mapi_TFolderInfo info;
        info.depth = depth;
        info.name = name;
        info.path = distinctPath(parentPath + name, taken);
        info.folderClass = code;
        info.entryId.bytes = entryId;
        folders.push_back(info);

        if (propNumber(row, PR_SUBFOLDERS) != 0 && depth + 1 < kMaxDepth) {
            walk(*folder, depth + 1, info.path + "\\", folders, visited, taken);
        }
    }
}

}  // namespace

bool isListedFolderClass(uint8_t code) {
    return code == kFolderInbox || code == kFolderSent || code == kFolderNoteClass || code == kFolderNoClass;
}

uint8_t ClassifyFolder(const EntryId& entryId, IMAPIFolder& folder) {
    MapiState& state = mapiState();
    if (!state.specialIdsRead) readSpecialIds(state);
    for (uint8_t code = 0; code < state.specialIds.size(); ++code) {
        if (sameEntry(entryId, state.specialIds[code])) return code;
    }
    PropRow values;
    folder.GetProps({PR_CONTAINER_CLASS}, values);
    const PropValue* cls = findProp(values, PR_CONTAINER_CLASS);
    if (!cls) return kFolderNoClass;
    return classByContainerClass(cls->bytes);
}

void WalkFolders(IMAPIFolder& container, int32_t depth, const std::string& parentPath,
                 std::vector<mapi_TFolderInfo>& folders) {
    std::set<EntryId> visited;
    TakenPaths taken;
    for (const mapi_TFolderInfo& folder : folders) taken.emplace(folder.path, 1);
    walk(container, depth, parentPath, folders, visited, taken);
}

void listStoreFolders(IMAPIFolder& top, std::vector<mapi_TFolderInfo>& folders) {
    // Messages kept in the top folder itself would otherwise never be
    // reached: the top folder is then listed as a folder of its own.
    PropRow values;
    top.GetProps({PR_ENTRYID, PR_DISPLAY_NAME, PR_CONTENT_COUNT}, values);
    if (propNumber(values, PR_CONTENT_COUNT) > 0) {
        const EntryId entryId = propBytes(values, PR_ENTRYID);
        const uint8_t code = ClassifyFolder(entryId, top);
        if (isListedFolderClass(code)) {
            mapi_TFolderInfo info;
            info.name = propBytes(values, PR_DISPLAY_NAME);
            info.path = info.name;
            info.folderClass = code;
            info.entryId.bytes = entryId;
            folders.push_back(info);
        }
    }
    WalkFolders(top, 0, "", folders);
    markDrafts(top, folders);
}

}  // namespace tessaly
