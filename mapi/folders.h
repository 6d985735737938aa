// folders.h - the mail folders of the open store: walking the tree below
// the top of the personal folders and classifying each folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mapi/outlook.h"
#include "mapi/provider.h"

namespace tessaly {

// Classification codes.
constexpr uint8_t kFolderInbox = 0;
constexpr uint8_t kFolderOutbox = 1;
constexpr uint8_t kFolderSent = 2;
constexpr uint8_t kFolderDeleted = 3;
constexpr uint8_t kFolderOtherItems = 9;
constexpr uint8_t kFolderNoteClass = 10;
constexpr uint8_t kFolderNoClass = 11;

// Whether folders of that code hold e-mail and are listed.
bool isListedFolderClass(uint8_t code);

// Appends the listed folders below `container` to `folders`, recursively,
// using the session and store of the Outlook source's state.
void WalkFolders(IMAPIFolder& container, int32_t depth, const std::string& parentPath,
                 std::vector<mapi_TFolderInfo>& folders);

// The classification code of a folder. The store's special folder ids are
// read when the first folder of a store is classified.
uint8_t ClassifyFolder(const EntryId& entryId, IMAPIFolder& folder);

// The folders of the open store from its top folder: the top folder itself
// first when it holds messages of its own, then the walk below it.
void listStoreFolders(IMAPIFolder& top, std::vector<mapi_TFolderInfo>& folders);

}  // namespace tessaly
