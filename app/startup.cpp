// startup.cpp - the beginning of the wizard: settings, command-line files
// and the first page.
#include "app/startup.h"

#include "app/dispatch.h"
#include "app/mail_files.h"
#include "app/validation.h"
#include "mapi/outlook.h"
#include "platform/files.h"

namespace tessaly {

void startWizard(Wizard& wizard, const std::vector<std::string>& arguments) {
    EnsureLibraries();
    loadSettings(wizard.settings);
    takeCommandLineFiles(wizard, arguments);
    wizard.nav.currentPage.clear();
}

void takeCommandLineFiles(Wizard& wizard, const std::vector<std::string>& arguments) {
    std::vector<std::string> files;
    for (const std::string& argument : arguments) files.push_back(absolutePath(argument));
    // Only one kind of file is ever taken.
    wizard.settings.commandLineFiles = filesOfOneKind(files);
}

bool showFirstPage(Wizard& wizard) {
    Settings& s = wizard.settings;
    if (s.commandLineFiles.empty()) {
        dispatch(wizard, "webf:intro");
        return true;
    }
    EnsureStores(s.mapilib);
    const MailFileKind kind = mailFileKind(s.commandLineFiles.front());
    if (kind == MailFileKind::Pst) {
        s.source = "mapi";
        s.mapifn = s.commandLineFiles.front();
        s.saveformat = "html";
        dispatch(wizard, "webf:mapi_folders");
        return true;
    }
    const std::vector<std::string> files = s.commandLineFiles;
    if (kind == MailFileKind::Dbx) {
        s.source = "dbx";
        if (validateDbxFiles(wizard, files) == 0) return false;
    } else {
        s.source = "bmf";
        if (validateMailboxFiles(wizard, files) == 0) return false;
    }
    dispatch(wizard, "webf:save");
    return true;
}

}  // namespace tessaly
