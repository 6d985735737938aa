// startup.cpp - the beginning of the wizard: settings, command-line files
// and the first page.
#include "app/startup.h"

#include "app/dispatch.h"
#include "app/mail_files.h"
#include "app/validation.h"
#include "mapi/outlook.h"
#include "message/text.h"
#include "platform/files.h"

namespace tessaly {

namespace {

void addText(std::string& texts, const std::string& text) {
    if (text.empty()) return;
    if (!texts.empty()) texts += "\r\n\r\n";
    texts += text;
}

// Shows the page for one kind of the command line's files; false when none
// of them can be taken (`problems` then says why).
bool showPageFor(Wizard& wizard, MailFileKind kind, const std::vector<std::string>& files, std::string& problems) {
    Settings& s = wizard.settings;
    std::string message;
    switch (kind) {
        case MailFileKind::Pst:
            // A missing or damaged store is shown on its page, with the way back.
            s.source = "mapi";
            s.mapifn = files.front();
            s.saveformat = "html";
            dispatch(wizard, "webf:mapi_folders");
            return true;
        case MailFileKind::Dbx:
            for (const std::string& file : files) {
                // A store's folder-tree file stands for the store.
                if (isFolderTreeFile(file) && isDbxStoreFolder(directoryOf(file))) {
                    openDbxStore(wizard, directoryOf(file));
                    return true;
                }
            }
            s.source = "dbx";
            if (acceptDbxFiles(s, files, message) > 0) break;
            addText(problems, message);
            return false;
        case MailFileKind::Mailbox:
            s.source = "bmf";
            if (acceptMailboxFiles(s, files, message) > 0) break;
            addText(problems, message);
            return false;
    }
    addText(problems, message);
    dispatch(wizard, "webf:save");
    return true;
}

}  // namespace

void startWizard(Wizard& wizard, const std::vector<std::string>& arguments) {
    EnsureLibraries();
    loadSettings(wizard.settings);
    takeCommandLineFiles(wizard, arguments);
    wizard.nav.currentPage.clear();
}

void takeCommandLineFiles(Wizard& wizard, const std::vector<std::string>& arguments) {
    std::vector<std::string> files;
    for (const std::string& argument : arguments) files.push_back(absolutePath(argument));
    wizard.settings.commandLineFiles = std::move(files);
}

bool showFirstPage(Wizard& wizard) {
    Settings& s = wizard.settings;
    if (s.commandLineFiles.empty()) {
        dispatch(wizard, "webf:intro");
        return true;
    }
    EnsureStores(s.mapilib);
    // One kind of file is taken: the first kind, in the order .pst, .dbx,
    // mailboxes, of which a file can be taken.
    const std::vector<std::vector<std::string>> byKind = filesByKind(s.commandLineFiles);
    const MailFileKind kinds[] = {MailFileKind::Pst, MailFileKind::Dbx, MailFileKind::Mailbox};
    std::string problems;
    bool shown = false;
    for (const MailFileKind kind : kinds) {
        const std::vector<std::string>& files = byKind[static_cast<size_t>(kind)];
        if (!files.empty() && showPageFor(wizard, kind, files, problems)) {
            shown = true;
            break;
        }
    }
    // Nothing could be taken: the start page, never an empty window.
    if (!shown) dispatch(wizard, "webf:intro");
    // Told once the page is there, so the box has a window to belong to.
    if (!problems.empty()) wizard.shell.messageBox(problems, "Invalid files", MessageIcon::Warning);
    return true;
}

}  // namespace tessaly
