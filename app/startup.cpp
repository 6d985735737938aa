// startup.cpp - the beginning of the wizard: settings, command-line files
// and the first page.
#include "app/startup.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/dispatch.h"
#include "app/validation.h"
#include "mapi/outlook.h"
#include "message/text.h"

namespace tessaly {

namespace {

std::string lowerExtension(const std::string& path) {
    std::string ext = extensionOf(baseName(path));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

std::string absolutePath(const std::string& path) {
    std::error_code ignored;
    const std::string full = std::filesystem::absolute(path, ignored).lexically_normal().string();
    return full.empty() ? path : full;
}

}  // namespace

void startWizard(Wizard& wizard, const std::vector<std::string>& arguments) {
    EnsureLibraries();
    loadSettings(wizard.settings);
    std::vector<std::string> pst, dbx, mailboxes;
    for (const std::string& argument : arguments) {
        const std::string ext = lowerExtension(argument);
        (ext == ".pst" ? pst : ext == ".dbx" ? dbx : mailboxes).push_back(absolutePath(argument));
    }
    // Only one kind of file is ever taken.
    wizard.settings.commandLineFiles = !pst.empty() ? pst : !dbx.empty() ? dbx : mailboxes;
    wizard.nav.currentPage.clear();
}

bool showFirstPage(Wizard& wizard) {
    Settings& s = wizard.settings;
    if (s.commandLineFiles.empty()) {
        dispatch(wizard, "webf:intro");
        return true;
    }
    EnsureStores(s.mapilib);
    const std::string ext = lowerExtension(s.commandLineFiles.front());
    if (ext == ".pst") {
        s.source = "mapi";
        s.mapifn = s.commandLineFiles.front();
        s.saveformat = "html";
        dispatch(wizard, "webf:mapi_folders");
        return true;
    }
    const std::vector<std::string> files = s.commandLineFiles;
    if (ext == ".dbx") {
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
