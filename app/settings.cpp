// settings.cpp - loading, saving and form input of the user's choices.
#include "app/settings.h"

#include <utility>

#include "app/display_path.h"
#include "app/store_choice.h"
#include "mapi/outlook.h"
#include "message/text.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "sources/oestore.h"

namespace tessaly {

namespace {

constexpr uint32_t kDefaultDecodeLimit = 102400;

std::string readText(const char* name) {
    std::string text;
    registryReadString(RegistryHive::CurrentUser, kSettingsKey, name, text);
    return text;
}

bool readFlag(const char* name, bool fallback) {
    uint32_t number = 0;
    if (!registryReadDword(RegistryHive::CurrentUser, kSettingsKey, name, number)) return fallback;
    return number != 0;
}

// Keeps `mapilib` when it names a listed library, else takes the first.
void settleLibrary(Settings& settings) {
    const std::vector<mapi_TLibraryInfo>& libraries = mapiLibraries();
    for (const mapi_TLibraryInfo& library : libraries) {
        if (library.dllPath == settings.mapilib) return;
    }
    settings.mapilib = libraries.empty() ? std::string() : libraries.front().dllPath;
}

// Keeps the profile and store when that pair is listed, else takes the
// first real store (the default profile's default store comes first).
void settleStore(Settings& settings) {
    const std::vector<mapi_TStoreInfo>& stores = mapiStores();
    for (const mapi_TStoreInfo& entry : stores) {
        if (entry.profile == settings.mapiprofile && entry.store == settings.mapistore) return;
    }
    settings.mapiprofile.clear();
    settings.mapistore.clear();
    for (const mapi_TStoreInfo& entry : stores) {
        if (entry.kind == 2) {
            settings.mapiprofile = entry.profile;
            settings.mapistore = entry.store;
            return;
        }
    }
}

// A decimal number made of digits only, small enough to be an index.
bool parseIndex(const std::string& text, size_t& index) {
    if (text.empty() || text.size() > 9) return false;
    index = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        index = index * 10 + static_cast<size_t>(c - '0');
    }
    return true;
}

// The names of the listed folders whose "eid" + position field is present.
template <typename Folders>
std::vector<std::string> tickedNames(const Folders& folders, const FormFields& fields) {
    std::vector<std::string> names;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (findField(fields, "eid" + std::to_string(i))) names.push_back(folders[i].name);
    }
    return names;
}

}  // namespace

std::string encodeList(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty()) text += ' ';
        text += percentEncode(item);
    }
    return text;
}

std::vector<std::string> decodeList(const std::string& text) {
    std::vector<std::string> items;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = text.find_first_not_of(' ', pos);
        if (start == std::string::npos) break;
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        items.push_back(percentDecode(std::string_view(text).substr(start, end - start)));
        pos = end;
    }
    return items;
}

std::string defaultArchiveFolder() {
    const std::string documents = documentsFolder();
    // Without any home folder there is no better place that is writable.
    return documents.empty() ? "/tmp/archive" : documents + "/Email Archive";
}

void loadSettings(Settings& settings) {
    settings.source = readText("source");
    settings.savedir = readText("savedir");
    // Only the exact text "html" chooses pages; anything else is EML.
    settings.saveformat = readText("saveformat") == "html" ? "html" : "eml";
    settings.usesubfolders = readFlag("usesubfolders", true);
    settings.mapilib = readText("mapilib");
    settings.mapiprofile = readText("mapiprofile");
    settings.mapistore = readText("mapistore");
    settings.mapifn = readText("mapifn");
    settings.dbxname = readText("dbxname");
    settings.dbxver = readText("dbxver");
    settings.dbxdir = readText("dbxdir");
    settings.bmfdir = readText("bmfdir");
    settings.emldir = readText("emldir");
    settings.bmfext = readFlag("bmfext", false);
    settings.storekind = readText("storekind");
    settings.storeroot = readText("storeroot");
    settings.viruswarned = readFlag("viruswarned", false);

    uint32_t limit = 0;
    registryReadDword(RegistryHive::CurrentUser, kSettingsKey, "decode_limit", limit);
    settings.decodeLimit = limit == 0 ? kDefaultDecodeLimit : limit;

    if (settings.savedir.empty()) settings.savedir = defaultArchiveFolder();

    settleLibrary(settings);
    EnsureStores(settings.mapilib);
    settleStore(settings);

    settings.mapifolders = decodeList(readText("mapifolders"));
    settings.dbxfolders = decodeList(readText("dbxfolders"));
    settings.storefolders = decodeList(readText("storefolders"));
}

void saveSettings(Settings& settings) {
    const std::vector<std::pair<std::string, RegistryValue>> values = {
        {"source", makeStringValue(settings.source)},
        // Written too, so that the chosen library persists.
        {"mapilib", makeStringValue(settings.mapilib)},
        {"mapiprofile", makeStringValue(settings.mapiprofile)},
        {"mapistore", makeStringValue(settings.mapistore)},
        {"mapifn", makeStringValue(settings.mapifn)},
        {"dbxname", makeStringValue(settings.dbxname)},
        {"dbxver", makeStringValue(settings.dbxver)},
        {"dbxdir", makeStringValue(settings.dbxdir)},
        {"bmfdir", makeStringValue(settings.bmfdir)},
        {"emldir", makeStringValue(settings.emldir)},
        {"bmfext", makeDwordValue(settings.bmfext ? 1 : 0)},
        {"storekind", makeStringValue(settings.storekind)},
        {"storeroot", makeStringValue(settings.storeroot)},
        {"savedir", makeStringValue(settings.savedir)},
        {"saveformat", makeStringValue(settings.saveformat)},
        {"usesubfolders", makeDwordValue(settings.usesubfolders ? 1 : 0)},
        {"decode_limit", makeDwordValue(settings.decodeLimit)},
        {"viruswarned", makeDwordValue(settings.viruswarned ? 1 : 0)},
        {"mapifolders", makeStringValue(encodeList(settings.mapifolders))},
        {"dbxfolders", makeStringValue(encodeList(settings.dbxfolders))},
        {"storefolders", makeStringValue(encodeList(settings.storefolders))},
    };
    // A hive that cannot be written is skipped silently.
    registryWriteValues(RegistryHive::CurrentUser, kSettingsKey, values);
}

const std::vector<TDbxFolderInfo>& currentDbxFolders(const Settings& settings) {
    if (!settings.dbxdir.empty()) return loadDbxFoldersFromRoot(settings.dbxdir);
    return loadDbxFolders(settings.dbxname, settings.dbxver);
}

void readFormFields(Settings& settings, const FormFields& fields) {
    if (const std::string* v = findField(fields, "mailsource")) settings.source = *v;
    if (const std::string* v = findField(fields, "mapilib")) {
        settings.mapilib = *v;
        EnsureStores(settings.mapilib);
        settings.mapiprofile.clear();
        settings.mapistore.clear();
    }
    if (const std::string* v = findField(fields, "mapiprofile")) {
        settings.mapiprofile = *v;
        settings.mapifn.clear();
    }
    if (const std::string* v = findField(fields, "mapistore")) {
        settings.mapistore = *v;
        settings.mapifn.clear();
    }
    if (const std::string* v = findField(fields, "mapifn")) {
        settings.mapifn = *v;
        settings.mapiprofile.clear();
        settings.mapistore.clear();
    }
    if (const std::string* v = findField(fields, "savedir")) settings.savedir = pathFromDisplay(*v);
    if (const std::string* v = findField(fields, "saveformat")) settings.saveformat = *v;
    if (const std::string* v = findField(fields, "dbxid")) {
        settings.dbxdir.clear();
        // The index refers to the list the page showed, built for the
        // identity chosen so far.
        const std::vector<TDbxStore>& stores = loadDbxStores(settings.dbxname);
        size_t index = 0;
        if (parseIndex(*v, index) && index < stores.size()) {
            const TDbxStore store = stores[index];
            settings.dbxname = store.userName;
            settings.dbxver = store.versionKey;
        }
    }
    if (const std::string* v = findField(fields, "dbxdir")) {
        settings.dbxname.clear();
        settings.dbxver.clear();
        settings.dbxdir = *v;
    }
    if (const std::string* v = findField(fields, "bmfdir")) settings.bmfdir = *v;
    if (const std::string* v = findField(fields, "emldir")) settings.emldir = pathFromDisplay(trimWhite(*v));
    if (const std::string* v = findField(fields, "storekind")) settings.storekind = *v;
    if (const std::string* v = findField(fields, "storeroot")) settings.storeroot = *v;
    if (const std::string* v = findField(fields, "usesubfolders")) {
        if (*v == "yes") settings.usesubfolders = true;
        if (*v == "no") settings.usesubfolders = false;
    }
    // Marker fields: the folder page was submitted, even with nothing ticked.
    if (findField(fields, "mapifolders")) {
        settings.mapifolders = tickedNames(mapiFolders(), fields);
        settings.mapiFolderIds.clear();
        for (size_t i = 0; i < mapiFolders().size(); ++i) {
            if (findField(fields, "eid" + std::to_string(i))) settings.mapiFolderIds.push_back(mapiFolders()[i].entryId.bytes);
        }
    }
    if (findField(fields, "dbxfolders")) {
        settings.dbxfolders = tickedNames(currentDbxFolders(settings), fields);
        settings.dbxFilesToArchive.clear();
    }
    if (findField(fields, "storefolders")) settings.storefolders = tickedStoreFolders(settings, fields);
}

}  // namespace tessaly
