// settings.h - the user's choices: which source, files, folders, store and
// archive folder, in which format. Loaded from the registry once at start,
// changed by submitted forms, saved at the start and end of every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/url_query.h"
#include "sources/folder_info.h"
#include "sources/mail_stores.h"

namespace tessaly {

// Where the settings live under the current user's hive.
inline constexpr const char* kSettingsKey = "Software\\Velmo\\Folvane";

struct Settings {
    std::string source;  // "mapi", "dbx", "bmf", "eml" or "store"
    std::string savedir;
    std::string saveformat;  // "html" or "eml"
    bool usesubfolders = true;
    std::string mapilib;  // the chosen library's dllPath
    std::string mapiprofile;
    std::string mapistore;
    std::string mapifn;
    std::vector<std::string> mapifolders;
    // The entry ids of the folders ticked on the folder page of the open
    // store (not saved: they belong to that store).
    std::vector<std::string> mapiFolderIds;
    std::string dbxname;
    std::string dbxver;
    std::string dbxdir;
    std::vector<std::string> dbxfolders;
    std::string bmfdir;
    bool bmfext = false;
    // The folder of .eml files the mailbox packer reads: a source, never
    // the archive folder.
    std::string emldir;
    // A Linux mail program's store: its kind (storeKindName), its root, and
    // the ticked folders (by storeFolderKey).
    std::string storekind;
    std::string storeroot;
    std::vector<std::string> storefolders;
    uint32_t decodeLimit = 102400;
    bool viruswarned = false;

    // Held for the session only.
    std::vector<TDbxFolderInfo> mailboxFiles;
    std::vector<TDbxFolderInfo> dbxFilesToArchive;
    std::vector<std::string> commandLineFiles;
    // The folder tree of the store last shown on its folder page, and which
    // store it belongs to (store_choice.h).
    struct StoreFolderList {
        std::string kind;
        std::string root;
        bool loaded = false;
        std::vector<StoreFolder> folders;
    } storeFolderList;
};

// Reads every value (missing ones take their defaults), then fixes the
// format, the archive folder, the decoding limit and the library, profile
// and store so that they name what exists. Call after EnsureLibraries.
void loadSettings(Settings& settings);
// Writes every stored value in one rewrite of the hive.
void saveSettings(Settings& settings);
// Stores the fields of a submitted page (only those present).
void readFormFields(Settings& settings, const FormFields& fields);

// The list encoding: items percent-encoded, separated by single spaces.
std::string encodeList(const std::vector<std::string>& items);
// Splits at runs of spaces and decodes each item.
std::vector<std::string> decodeList(const std::string& text);

// The archive folder when none is stored: the documents folder's
// "Email Archive".
std::string defaultArchiveFolder();

// The folder list of the Outlook Express store the settings name: the
// folder `dbxdir` when set, else the store of identity (`dbxname`,
// `dbxver`), else the first store.
const std::vector<TDbxFolderInfo>& currentDbxFolders(const Settings& settings);

}  // namespace tessaly
