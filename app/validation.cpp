// validation.cpp - accepting picked or command-line mailbox and DBX files,
// and store folders of Outlook Express.
#include "app/validation.h"

#include "app/dispatch.h"
#include "message/text.h"
#include "platform/files.h"
#include "sources/dbx.h"
#include "sources/mailbox.h"

namespace tessaly {

namespace {

// The files that were not taken, by why: missing ones by their path (a
// mistyped name is found by it), the others by their name.
struct Rejected {
    std::vector<std::string> missing;
    std::vector<std::string> invalid;

    // Sorts out a file that does not pass its test.
    void add(const std::string& path) {
        if (pathExists(path)) {
            invalid.push_back(baseName(path));
        } else {
            missing.push_back(path);
        }
    }
};

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) text += (i ? ", " : "") + names[i];
    return text;
}

// One text for all rejected files of a pick: the missing ones first.
std::string rejectionText(const Rejected& rejected, const std::string& oneAfter, const std::string& several) {
    std::string text;
    if (rejected.missing.size() == 1) {
        text = "The file " + rejected.missing.front() + " was not found.";
    } else if (!rejected.missing.empty()) {
        text = "These files were not found:\r\n" + joined(rejected.missing);
    }
    if (rejected.invalid.empty()) return text;
    if (!text.empty()) text += "\r\n\r\n";
    if (rejected.invalid.size() == 1) return text + "The file " + rejected.invalid.front() + oneAfter;
    return text + several + joined(rejected.invalid);
}

void report(Wizard& wizard, const std::string& text) {
    if (!text.empty()) wizard.shell.messageBox(text, "Invalid files", MessageIcon::Warning);
}

}  // namespace

size_t acceptMailboxFiles(Settings& s, const std::vector<std::string>& files, std::string& message) {
    s.mailboxFiles.clear();
    Rejected rejected;
    bool allBmf = true;
    for (const std::string& path : files) {
        if (isMailboxFile(path)) {
            s.mailboxFiles.push_back(pickedFileEntry(path));
            allBmf = allBmf && lowerExtension(path) == ".bmf";
        } else {
            rejected.add(path);
        }
    }
    // The next picker then opens with the "*.bmf" filter.
    if (!s.mailboxFiles.empty()) s.bmfext = allBmf;
    message = rejectionText(rejected, " is not a valid Berkeley Mail Folder.",
                            "These files are not valid Berkeley Mail Folders:\r\n");
    return s.mailboxFiles.size();
}

size_t acceptDbxFiles(Settings& s, const std::vector<std::string>& files, std::string& message) {
    s.dbxFilesToArchive.clear();
    Rejected rejected;
    for (const std::string& path : files) {
        if (const std::optional<std::string> name = dbxFolderName(path)) {
            TDbxFolderInfo entry = pickedFileEntry(path);
            entry.name = entry.folderPath = *name;
            s.dbxFilesToArchive.push_back(entry);
        } else {
            rejected.add(path);
        }
    }
    message = rejectionText(rejected, " is not a valid dbx message file.", "These files are not valid dbx files:\r\n");
    return s.dbxFilesToArchive.size();
}

size_t validateMailboxFiles(Wizard& wizard, const std::vector<std::string>& files) {
    std::string message;
    const size_t valid = acceptMailboxFiles(wizard.settings, files, message);
    report(wizard, message);
    return valid;
}

size_t validateDbxFiles(Wizard& wizard, const std::vector<std::string>& files) {
    std::string message;
    const size_t valid = acceptDbxFiles(wizard.settings, files, message);
    report(wizard, message);
    return valid;
}

bool isDbxStoreFolder(const std::string& folder) {
    return isFolder(folder) && pathExists(findNameIgnoringCase(folder, "Folders.dbx"));
}

void openDbxStore(Wizard& wizard, const std::string& folder) {
    if (!isDbxStoreFolder(folder)) {
        wizard.shell.messageBox("The folder " + folder +
                                    " is not an Outlook Express store folder: it holds no Folders.dbx file.",
                                "Invalid folder", MessageIcon::Warning);
        return;
    }
    Settings& s = wizard.settings;
    s.source = "dbx";
    s.dbxname.clear();
    s.dbxver.clear();
    s.dbxdir = folder;
    // The folders come from the store's tree, as ticked on its page.
    s.dbxFilesToArchive.clear();
    dispatch(wizard, "webf:dbx_folders");
}

}  // namespace tessaly
