// validation.cpp - accepting picked mailbox and DBX files.
#include "app/validation.h"

#include "message/text.h"
#include "sources/dbx.h"
#include "sources/mailbox.h"

namespace tessaly {

namespace {

// One message box for all rejected files of a pick.
void reportInvalid(Wizard& wizard, const std::vector<std::string>& invalid, const std::string& oneBefore,
                   const std::string& oneAfter, const std::string& several) {
    if (invalid.empty()) return;
    std::string text;
    if (invalid.size() == 1) {
        text = oneBefore + invalid.front() + oneAfter;
    } else {
        text = several;
        for (size_t i = 0; i < invalid.size(); ++i) text += (i ? ", " : "") + invalid[i];
    }
    wizard.shell.messageBox(text, "Invalid files", MessageIcon::Warning);
}

}  // namespace

size_t validateMailboxFiles(Wizard& wizard, const std::vector<std::string>& files) {
    Settings& s = wizard.settings;
    s.mailboxFiles.clear();
    std::vector<std::string> invalid;
    bool allBmf = true;
    for (const std::string& path : files) {
        if (isMailboxFile(path)) {
            s.mailboxFiles.push_back(pickedFileEntry(path));
            allBmf = allBmf && lowerExtension(path) == ".bmf";
        } else {
            invalid.push_back(baseName(path));
        }
    }
    // The next picker then opens with the "*.bmf" filter.
    if (!s.mailboxFiles.empty()) s.bmfext = allBmf;
    reportInvalid(wizard, invalid, "The file ", " is not a valid Berkeley Mail Folder.",
                  "These files are not valid Berkeley Mail Folders:\r\n");
    return s.mailboxFiles.size();
}

size_t validateDbxFiles(Wizard& wizard, const std::vector<std::string>& files) {
    Settings& s = wizard.settings;
    s.dbxFilesToArchive.clear();
    std::vector<std::string> invalid;
    for (const std::string& path : files) {
        if (const std::optional<std::string> name = dbxFolderName(path)) {
            TDbxFolderInfo entry = pickedFileEntry(path);
            entry.name = entry.folderPath = *name;
            s.dbxFilesToArchive.push_back(entry);
        } else {
            invalid.push_back(baseName(path));
        }
    }
    reportInvalid(wizard, invalid, "The file ", " is not a valid dbx message file.",
                  "These files are not valid dbx files:\r\n");
    return s.dbxFilesToArchive.size();
}

}  // namespace tessaly
