// store_pages.cpp - the Linux mail stores on the start page, and the page
// that ticks a store's folders to archive.
#include <algorithm>

#include "app/page_frame.h"
#include "app/pages.h"
#include "app/store_choice.h"
#include "message/text.h"

namespace tessaly {

namespace {

constexpr StoreKind kKindOrder[] = {StoreKind::Thunderbird, StoreKind::Maildir, StoreKind::Evolution,
                                    StoreKind::KMail, StoreKind::MH};

// The label that tells `store` from the others of its kind; two profiles of
// one name (a Flatpak copy beside the usual one) add their folders.
std::string distinctLabel(const MailStore& store, const std::vector<MailStore>& ofKind) {
    const std::string label = storeLabel(store);
    const auto same = std::count_if(ofKind.begin(), ofKind.end(),
                                    [&](const MailStore& other) { return storeLabel(other) == label; });
    return same > 1 ? label + " (" + shownStoreRoot(store.root) + ")" : label;
}

// "1,234,567"
std::string groupedDigits(uint64_t number) {
    const std::string digits = std::to_string(number);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

void writeIndent(std::string& page, int level) {
    if (level > 0) page += "<span style=\"width: " + indentationText(level) + "em;\">&nbsp;</span>";
}

void writeCount(std::string& page, uint64_t messages) {
    page += " <span style=\"color: #6b7c89;\">(" + groupedDigits(messages) + ")</span>";
}

void writeHeadingLine(std::string& page, const StoreFolder& folder, bool first) {
    page += first || folder.entry.depth > 0 ? "<div class=\"cline1\" style=\"font-weight: bold;\">"
                                            : "<div class=\"cline1\" style=\"margin-top: 1ex; font-weight: bold;\">";
    writeIndent(page, folder.entry.depth);
    page += htmlEscape(folder.entry.name) + "</div>\r\n";
}

// A folder without messages keeps its place in the tree, with a box that
// cannot be ticked.
void writeFolderLine(std::string& page, const StoreFolder& folder, size_t position, bool ticked) {
    page += "<div class=\"cline1\">";
    writeIndent(page, folder.entry.depth);
    if (!isTickableStoreFolder(folder)) {
        page += "<input type=\"checkbox\" disabled> " + htmlEscape(folder.entry.name);
    } else {
        page += "<input type=\"checkbox\" ";
        if (ticked) page += "checked ";
        page += "name=\"eid" + std::to_string(position) + "\"> " + htmlEscape(folder.entry.name);
    }
    writeCount(page, folder.messages);
    page += "</div>\r\n";
}

// The store is gone, or holds no folders any more.
void writeLostStore(const Settings& s, const std::optional<MailStore>& store, std::string& page) {
    const std::optional<StoreKind> kind = storeKindNamed(s.storekind);
    if (store) {
        page += "<h2>" + htmlEscape(storeLabel(*store)) + ", " + storeKindText(store->kind) + "</h2>\r\n\r\n";
    } else {
        page += "<h2>" + (kind ? storeKindText(*kind) : std::string("Mail folders")) + "</h2>\r\n\r\n";
    }
    if (s.storeroot.empty()) {
        page += "<p>No mail store has been chosen.</p>\r\n";
    } else {
        page += "<p>There was a problem &mdash; no mail folders could be found in " +
                htmlEscape(shownStoreRoot(s.storeroot)) +
                ".\r\nThey may have been moved or deleted since the start page was shown.</p>\r\n";
    }
    page += "<p><a href=\"webf:store_folders\">";
    page += kBullet;
    page += "Try again</a></p>\r\n";
    writeBackToStart(page);
}

}  // namespace

void writeMailStoreChoices(Wizard&, std::string& page) {
    const std::vector<MailStore> stores = homeMailStores();
    for (const StoreKind kind : kKindOrder) {
        std::vector<MailStore> ofKind;
        std::copy_if(stores.begin(), stores.end(), std::back_inserter(ofKind),
                     [kind](const MailStore& store) { return store.kind == kind; });
        if (ofKind.empty()) continue;
        page += "<div class=\"option\">\r\n";
        for (const MailStore& store : ofKind) {
            page += "<p><a href=\"webf:store_folders?mailsource=store&storekind=" +
                    percentEncode(storeKindName(kind)) + "&storeroot=" + percentEncode(store.root) + "\">";
            page += kBullet;
            page += "In ";
            if (ofKind.size() > 1) page += htmlEscape(distinctLabel(store, ofKind)) + ", ";
            page += storeKindText(kind) + "</a></p>\r\n";
        }
        page += "</div>\r\n\r\n";
    }
}

void writeStoreFoldersPage(Wizard& wizard, std::string& page, const std::string&) {
    Settings& s = wizard.settings;
    writeToolbar(wizard, page, "help:store_folders.html", true);
    const std::optional<MailStore> store = chosenMailStore(s);
    // Read afresh: the folders may have changed since the page was last shown.
    const std::vector<StoreFolder>& folders = keepStoreFolders(s, store);
    if (folders.empty()) {
        writeLostStore(s, store, page);
        return;
    }

    page += "<h2>" + htmlEscape(storeLabel(*store)) + ", " + storeKindText(store->kind) + "</h2>\r\n\r\n";
    page += "<p>These are the message folders in " + htmlEscape(shownStoreRoot(store->root)) +
            ".\r\nCheck the folders to be copied into the archive now, and then click Ok.</p>\r\n\r\n";
    page += "<form action=\"webf:save\">\r\n<div class=\"hchecks\">\r\n";

    // Ticked as last time when any folder chosen then is still there.
    const bool chosenBefore = std::any_of(folders.begin(), folders.end(), [&](const StoreFolder& f) {
        return isTickableStoreFolder(f) && isRememberedStoreFolder(s, f);
    });
    for (size_t i = 0; i < folders.size(); ++i) {
        const StoreFolder& folder = folders[i];
        if (folder.entry.storage == FolderStorage::None) {
            writeHeadingLine(page, folder, i == 0);
            continue;
        }
        const bool ticked = chosenBefore ? isRememberedStoreFolder(s, folder) : isStoreFolderTickedByDefault(folder);
        writeFolderLine(page, folder, i, ticked);
    }
    page += "</div>\r\n\r\n<div style=\"text-align: right;\">\r\n"
            "<input type=\"submit\" value=\"Ok\" style=\"width: 6em; margin-right: 3ex;\">\r\n"
            "<input type=\"checkbox\" checked name=\"storefolders\" style=\"display: none;\">\r\n"
            "<input type=\"checkbox\" checked name=\"mailsource\" value=\"store\" style=\"display: none;\">\r\n"
            "</div>\r\n</form>\r\n\r\n";
    page += kFolderPageEnd;
}

}  // namespace tessaly
