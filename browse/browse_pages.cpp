// browse_pages.cpp - writes one folder's browse pages and clears the ones it
// no longer has.
#include "browse/browse_pages.h"

#include <algorithm>

#include "browse/browse_paths.h"
#include "browse/folder_view.h"
#include "browse/page_conversations.h"
#include "browse/page_files.h"
#include "browse/page_messages.h"
#include "browse/page_people.h"
#include "browse/page_style.h"
#include "platform/files.h"

namespace tessaly {

bool writeFolderPages(const std::string& root, const FolderSummary& folder, const std::vector<CatalogueRow>& rows) {
    writeBrowseStylesheet(root);
    const FolderView view = makeFolderView(folder, rows);
    const std::string folderPath = root + "/" + view.pagesFolder;
    if (!createFolderPath(folderPath)) return false;

    PageFiles files;
    std::vector<std::string> written;
    bool ok = true;
    auto write = [&](const FolderPage& page) {
        written.push_back(page.name);
        ok = files.write(folderPath + page.name, page.content) && ok;
    };
    for (const FolderPage& page : messagesPages(view)) write(page);
    for (const FolderPage& page : conversationListPages(view)) write(page);
    write(peoplePage(view));
    // One at a time: the thread pages of a big folder add up.
    for (size_t t = 0; t < view.threads.size(); ++t) {
        if (!view.threadPages[t].empty()) write(conversationPage(view, t));
    }
    ok = files.commit() && ok;
    // Old pages go only once the new ones are in place, so a link never
    // points at nothing for longer than a run.
    std::sort(written.begin(), written.end());
    return removeOtherPages(folderPath, written) && ok;
}

bool writeLabelPages(const std::string& root, const LabelSummary& label, const std::vector<CatalogueRow>& rows) {
    if (label.pages.empty()) return false;
    return writeFolderPages(root, FolderSummary{"", label.label, label.messages, label.first, label.last, label.pages},
                            rows);
}

}  // namespace tessaly
