// folder_pages.cpp - the pages that tick the Outlook Express or Outlook
// folders to archive.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "app/display_path.h"
#include "app/page_frame.h"
#include "app/pages.h"
#include "mapi/outlook.h"
#include "message/text.h"
#include "platform/files.h"
#include "sources/oestore.h"

namespace tessaly {

namespace {

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The chosen store's folder: `dbxdir`, or the root of the identity's store.
std::string chosenStoreRoot(const Settings& s) {
    if (!s.dbxdir.empty()) return s.dbxdir;
    for (const TDbxStore& store : loadDbxStores(s.dbxname)) {
        if ((store.userName == s.dbxname && store.versionKey == s.dbxver) ||
            (s.dbxname.empty() && s.dbxver.empty())) {
            return store.storeRoot;
        }
    }
    return {};
}

// Outlook Express, run under Wine, locks the folder index while it runs;
// such a lock is visible here as a record lock held by another process.
bool folderIndexLocked(const std::string& storeRoot) {
    if (storeRoot.empty()) return false;
    const std::string path = findNameIgnoringCase(storeRoot, "Folders.dbx");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const bool locked = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

void writeCheckbox(std::string& page, size_t position, bool ticked, const std::string& name) {
    page += "<input type=\"checkbox\" ";
    if (ticked) page += "checked ";
    page += "name=\"eid" + std::to_string(position) + "\"> " + htmlEscape(name) + "</div>\r\n";
}

void writeIndent(std::string& page, int level) {
    page += "<span style=\"width: " + indentationText(level) + "em;\">&nbsp;</span>";
}

}  // namespace

void writeBackToStart(std::string& page) {
    page += "<p><a href=\"webf:intro\">";
    page += kBullet;
    page += "Back to the start</a></p>\r\n";
}

std::string indentationText(int level) {
    const long tenths = 14L * std::max(level, 0);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

void writeDbxFoldersPage(Wizard& wizard, std::string& page, const std::string&) {
    const Settings& s = wizard.settings;
    writeToolbar(wizard, page, "help:dbx_folders.html", true);
    const bool running = folderIndexLocked(chosenStoreRoot(s));
    const std::vector<TDbxFolderInfo>& folders = currentDbxFolders(s);
    if (folders.empty()) {
        page += "<h2>Outlook Express folders</h2>\r\n\r\n";
        if (running) {
            page += "<p>It is not possible to archive messages while Outlook Express is running.\r\n"
                    "You should quit it, and then try again.</p>\r\n";
        } else {
            page += "<p>There was a problem &mdash; no folders could be loaded.</p>\r\n";
        }
        page += "<p><a href=\"webf:dbx_folders\">";
        page += kBullet;
        page += "Try again</a></p>\r\n<p><a href=\"dlg:dbx_store\">";
        page += kBullet;
        page += "Browse for a store folder...</a></p>\r\n";
        writeBackToStart(page);
        return;
    }

    // A store picked by folder belongs to no identity: generic heading.
    if (loadDbxStores(s.dbxname).size() < 2 || s.dbxname.empty()) {
        page += "<h2>Outlook Express folders</h2>\r\n\r\n";
    } else {
        page += "<h2>" + htmlEscape(s.dbxname) + " folders</h2>\r\n\r\n";
    }
    page += "<p>These are the message folders in Outlook Express.\r\n"
            "Check the folders to be copied into the archive now, and then click Ok.</p>\r\n\r\n";
    page += "<form action=\"webf:save\">\r\n<div class=\"hchecks\">\r\n";

    // Ticked as last time when any folder chosen then is still there.
    const bool chosenBefore = std::any_of(folders.begin(), folders.end(),
                                          [&](const TDbxFolderInfo& f) { return contains(s.dbxfolders, f.name); });
    bool firstHeading = true;
    for (size_t i = 0; i < folders.size(); ++i) {
        const TDbxFolderInfo& folder = folders[i];
        if (folder.depth == 0) {
            page += firstHeading ? "<div class=\"cline1\" style=\"font-weight: bold;\">"
                                 : "<div class=\"cline1\" style=\"margin-top: 1ex; font-weight: bold;\">";
            page += htmlEscape(folder.name) + "</div>\r\n";
            firstHeading = false;
            continue;
        }
        const bool ticked = chosenBefore ? contains(s.dbxfolders, folder.name) : isTickedByDefault(folder);
        page += "<div class=\"cline1\">";
        writeIndent(page, folder.depth);
        writeCheckbox(page, i, ticked, folder.name);
    }
    page += "</div>\r\n\r\n<div style=\"text-align: right;\">\r\n"
            "<input type=\"submit\" value=\"Ok\" style=\"width: 6em; margin-right: 3ex;\">\r\n"
            "<input type=\"checkbox\" checked name=\"dbxfolders\" style=\"display: none;\">\r\n"
            "<input type=\"checkbox\" checked name=\"mailsource\" value=\"dbx\" style=\"display: none;\">\r\n"
            "</div>\r\n</form>\r\n\r\n";
    page += kFolderPageEnd;
}

void writeMapiFoldersPage(Wizard& wizard, std::string& page, const std::string&) {
    const Settings& s = wizard.settings;
    writeToolbar(wizard, page, "help:mapi_folders.html", true);
    if (!s.mapifn.empty()) {
        EnsureFoldersFn(wizard.shell.mainWindow(), s.mapifn);
    } else {
        EnsureFolders(wizard.shell.mainWindow(), s.mapiprofile, s.mapistore);
    }
    const std::vector<mapi_TFolderInfo>& folders = mapiFolders();
    const std::string storeName = htmlEscape(s.mapifn.empty() ? s.mapistore : baseName(s.mapifn));

    if (folders.empty()) {
        page += "<h2>" + storeName + "</h2>\r\n<p>Error. It was not possible to read the message-store.\r\n";
        if (!s.mapifn.empty() && !pathExists(s.mapifn)) {
            page += "The file " + htmlEscape(displayPath(s.mapifn)) + " could not be found.</p>\r\n\r\n";
        } else {
            page += "There was a problem ";
            if (!s.mapifn.empty()) {
                const std::string library = libraryDisplayName(s);
                page += "loading " + storeName + " into " + (library.empty() ? "the mail library" : htmlEscape(library));
            } else {
                page += "loading the folders of " + storeName + " (" + htmlEscape(s.mapiprofile) + ")";
            }
            page += ". <a href=\"help:err_nooutlook.html\">(read more)</a></p>\r\n\r\n";
        }
        writeBackToStart(page);
        return;
    }

    page += "<h2>" + storeName + "</h2>\r\n<p>These are the message folders in " + storeName +
            ".\r\nCheck the folders to be copied into the archive now, and then click Ok.</p>\r\n\r\n";
    page += "<form action=\"webf:save\">\r\n<div class=\"hchecks\">\r\n";
    const bool chosenBefore = std::any_of(folders.begin(), folders.end(),
                                          [&](const mapi_TFolderInfo& f) { return contains(s.mapifolders, f.name); });
    for (size_t i = 0; i < folders.size(); ++i) {
        const mapi_TFolderInfo& folder = folders[i];
        const bool ticked = chosenBefore ? contains(s.mapifolders, folder.name)
                                         : !folder.drafts && folder.folderClass != 1 && folder.folderClass != 3;
        page += "<div class=\"cline1\">";
        if (folder.depth > 0) writeIndent(page, folder.depth);
        writeCheckbox(page, i, ticked, folder.name);
    }
    page += "</div>\r\n\r\n<div style=\"text-align: right;\">\r\n"
            "<input type=\"submit\" value=\"Ok\" style=\"width: 6em; margin-right: 3ex;\">\r\n"
            "<input type=\"checkbox\" checked name=\"mapifolders\" style=\"display: none;\">\r\n"
            "<input type=\"checkbox\" checked name=\"mailsource\" value=\"mapi\" style=\"display: none;\">\r\n"
            "</div></form>\r\n\r\n";
    page += kFolderPageEnd;
}

}  // namespace tessaly
