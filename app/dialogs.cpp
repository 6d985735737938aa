// dialogs.cpp - the "dlg:" actions: file pickers for the sources, the
// archive-folder chooser and opening the archive folder.
#include <string_view>

#include "app/archive_folder.h"
#include "app/dispatch.h"
#include "app/page_frame.h"
#include "app/display_path.h"
#include "app/validation.h"
#include "message/text.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace tessaly {

namespace {

bool beginsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string folderOfPick(const std::vector<std::string>& files) {
    return files.empty() ? std::string() : directoryOf(files.front());
}

void pickMailboxFiles(Wizard& wizard) {
    Settings& s = wizard.settings;
    FilePickRequest request;
    request.title = "Choose mailbox files";
    FileFilter mailboxes = extensionFilter("Berkeley Mailfolders (*.bmf)", {"bmf"});
    // Mail programs name their mailboxes without an extension (Thunderbird's
    // "Inbox"); the desktop knows them by their first line.
    mailboxes.mimeTypes.push_back("application/mbox");
    request.filters = {mailboxes, allFilesFilter()};
    request.initialFilter = s.bmfext ? 1 : 2;
    request.multiple = true;
    if (isFolder(s.bmfdir)) request.initialFolder = s.bmfdir;
    const std::vector<std::string> files = wizard.shell.pickFiles(request);
    if (files.empty()) return;
    s.bmfdir = folderOfPick(files);
    if (validateMailboxFiles(wizard, files) > 0) dispatch(wizard, "webf:save");
}

void pickDbxFiles(Wizard& wizard) {
    Settings& s = wizard.settings;
    FilePickRequest request;
    request.title = "Choose Outlook Express mail folders";
    request.filters = {extensionFilter("OE Mailfolders (*.dbx)", {"dbx"})};
    request.multiple = true;
    if (isFolder(s.dbxdir)) request.initialFolder = s.dbxdir;
    const std::vector<std::string> files = wizard.shell.pickFiles(request);
    if (files.empty()) return;
    // The folder-tree file stands for its store folder, tree and all.
    for (const std::string& file : files) {
        if (isFolderTreeFile(file)) {
            openDbxStore(wizard, directoryOf(file));
            return;
        }
    }
    s.dbxdir = folderOfPick(files);
    if (validateDbxFiles(wizard, files) > 0) dispatch(wizard, "webf:save");
}

void pickPersonalStore(Wizard& wizard) {
    Settings& s = wizard.settings;
    FilePickRequest request;
    request.title = "Choose an Outlook personal store";
    request.filters = {extensionFilter("Outlook Personal Stores (*.pst)", {"pst"})};
    if (!s.mapifn.empty()) request.initialFolder = directoryOf(s.mapifn);
    const std::vector<std::string> files = wizard.shell.pickFiles(request);
    if (files.empty()) return;
    s.mapifn = files.front();
    dispatch(wizard, "webf:mapi_folders");
}

// The folder a folder field names, or its parent when it does not exist:
// where its dialog opens.
std::string dialogStart(const std::string& shown) {
    std::string start = pathFromDisplay(trimWhite(shown));
    if (!pathExists(start) && isFolder(directoryOf(start))) start = directoryOf(start);
    return start;
}

// A folder the dialog gave, without a trailing slash.
std::string pickedFolder(const std::string& picked) {
    std::string folder = withoutTrailingSlash(picked);
    if (folder.empty()) folder.push_back('/');  // the root itself
    return folder;
}

// Edits the "savedir" field of the page shown; the choice is stored when
// the form is submitted.
void chooseArchiveFolder(Wizard& wizard) {
    WizardShell& shell = wizard.shell;
    const std::optional<std::string> field = shell.fieldValue("savedir");
    FolderPickRequest request;
    request.initialFolder = dialogStart(field ? *field : displayPath(wizard.settings.savedir));
    request.title = "Choose the archive folder";
    request.mayCreate = true;
    const std::optional<std::string> picked = shell.pickFolder(request);
    if (!picked) return;
    std::string folder = pickedFolder(*picked);
    // A folder with other things in it gets its own archive folder inside.
    if (!holdsArchiveStylesheet(folder) && pathExists(folder + "/*")) {
        if (folder != "/") folder.push_back('/');
        folder.append("Email Archive");
    }
    shell.setFieldValue("savedir", displayPath(folder));
}

// Edits the "emldir" field of the mailbox packer's page: the folder is read
// as it is, so nothing is added to it.
void chooseEmlFolder(Wizard& wizard) {
    WizardShell& shell = wizard.shell;
    const std::optional<std::string> field = shell.fieldValue("emldir");
    FolderPickRequest request;
    request.initialFolder = dialogStart(field ? *field : displayPath(wizard.settings.emldir));
    // None chosen yet: mail programs keep their folders in the home folder.
    if (request.initialFolder.empty()) request.initialFolder = homeFolder();
    request.title = "Choose the folder of EML messages";
    const std::optional<std::string> picked = shell.pickFolder(request);
    if (picked) shell.setFieldValue("emldir", displayPath(pickedFolder(*picked)));
}

// A store folder of Outlook Express: its folder tree is listed on the folder
// page.
void chooseDbxStore(Wizard& wizard) {
    Settings& s = wizard.settings;
    FolderPickRequest request;
    request.title = "Choose an Outlook Express store folder";
    if (isFolder(s.dbxdir)) request.initialFolder = s.dbxdir;
    const std::optional<std::string> picked = wizard.shell.pickFolder(request);
    if (picked) openDbxStore(wizard, pickedFolder(*picked));
}

// The mailboxes the packer wrote, handed to the mailbox route.
void archiveWrittenMailboxes(Wizard& wizard) {
    Settings& s = wizard.settings;
    std::vector<std::string> files;
    for (const PackedMailbox& mailbox : wizard.run.packedMailboxes) files.push_back(mailbox.path);
    if (files.empty()) return;
    s.source = "bmf";
    s.bmfdir = directoryOf(files.front());
    if (validateMailboxFiles(wizard, files) > 0) dispatch(wizard, "webf:save");
}

}  // namespace

void runDialogAction(Wizard& wizard, const std::string& action) {
    if (action == "save") {
        chooseArchiveFolder(wizard);
    } else if (action == "emldir") {
        chooseEmlFolder(wizard);
    } else if (action == "dbx_store") {
        chooseDbxStore(wizard);
    } else if (action == "eml_mailboxes") {
        archiveWrittenMailboxes(wizard);
    } else if (beginsWith(action, "dbx_dir")) {
        pickDbxFiles(wizard);
    } else if (beginsWith(action, "bmf_dir")) {
        pickMailboxFiles(wizard);
    } else if (beginsWith(action, "mapi_dir")) {
        pickPersonalStore(wizard);
    } else if (beginsWith(action, "browse")) {
        wizard.shell.exploreFolder(wizard.settings.savedir);
    } else if (beginsWith(action, "index")) {
        // The archive's own index opens in the desktop's web browser.
        wizard.shell.openUrl(fileUri(wizard.settings.savedir + "/index.html"));
    }
}

}  // namespace tessaly
