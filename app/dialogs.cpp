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

// Edits the "savedir" field of the page shown; the choice is stored when
// the form is submitted. On the EML-to-mailbox page the field names the
// folder of messages to read, not an archive.
void chooseArchiveFolder(Wizard& wizard) {
    WizardShell& shell = wizard.shell;
    const std::optional<std::string> field = shell.fieldValue("savedir");
    std::string start = pathFromDisplay(trimWhite(field ? *field : displayPath(wizard.settings.savedir)));
    if (!pathExists(start) && isFolder(directoryOf(start))) start = directoryOf(start);
    FolderPickRequest request;
    request.initialFolder = start;
    if (beginsWith(wizard.nav.currentPage, "webf:emlbmf")) {
        request.title = "Choose the folder of EML messages";
    } else {
        request.title = "Choose the archive folder";
        request.mayCreate = true;
    }
    const std::optional<std::string> picked = shell.pickFolder(request);
    if (!picked) return;
    std::string folder = withoutTrailingSlash(*picked);
    if (folder.empty()) folder.push_back('/');  // the root itself
    // A folder with other things in it gets its own archive folder inside.
    if (!holdsArchiveStylesheet(folder) && pathExists(folder + "/*")) {
        if (folder != "/") folder.push_back('/');
        folder.append("Email Archive");
    }
    shell.setFieldValue("savedir", displayPath(folder));
}

}  // namespace

void runDialogAction(Wizard& wizard, const std::string& action) {
    if (action == "save") {
        chooseArchiveFolder(wizard);
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
