// save_page.cpp - the archive-location page: where the archive goes, in
// which format, with or without the folder structure.
#include "app/archive_folder.h"
#include "app/display_path.h"
#include "app/page_frame.h"
#include "app/pages.h"
#include "message/text.h"

namespace tessaly {

namespace {

// The first chosen file's name, and "..." when there are more.
std::string filesTitle(const std::vector<TDbxFolderInfo>& files) {
    return htmlEscape(files.front().fileName) + (files.size() > 1 ? "..." : "");
}

std::string saveTitle(const Settings& s) {
    if (s.source == "mapi" && !s.mapifn.empty()) return htmlEscape(baseName(s.mapifn));
    if (s.source == "bmf" && !s.mailboxFiles.empty()) return filesTitle(s.mailboxFiles);
    if (s.source == "dbx" && !s.dbxFilesToArchive.empty()) return filesTitle(s.dbxFilesToArchive);
    return "Archive location";
}

}  // namespace

std::string attributeValue(const std::string& text) {
    std::string out;
    for (const char c : htmlEscape(text)) {
        if (c == '"') {
            out += "&quot;";
        } else {
            out += c;
        }
    }
    return out;
}

void writeFolderInput(std::string& page, const std::string& field, const std::string& folder,
                      const std::string& chooser) {
    page += "<p style=\"margin-top: 1ex; margin-bottom: 0;\">\r\n"
            "<input style=\"margin-right: 3ex; width: 100%;\r\n"
            "background-color: white; border-top: solid 2px rgb(150,190,210);\r\n"
            "border-bottom: solid 2px rgb(150,190,210); border-left: 0; border-right: 0;\" "
            "type=\"text\" name=\"" + field + "\" value=\"";
    page += attributeValue(displayPath(folder));
    page += "\"></p>\r\n\r\n<p style=\"margin-top: 0;\"><a href=\"" + chooser +
            "\">Choose a different location...</a></p>\r\n\r\n";
}

void writeSaveDirInput(Wizard& wizard, std::string& page) {
    writeFolderInput(page, "savedir", wizard.settings.savedir, "dlg:save");
}

void writeSavePage(Wizard& wizard, std::string& page, const std::string&) {
    const Settings& s = wizard.settings;
    writeToolbar(wizard, page, "help:save.html", true);
    page += "<h2>" + saveTitle(s) +
            "</h2>\r\n\r\n<form action=\"webf:go\">\r\n\r\n"
            "<p style=\"margin-bottom: 1ex;\">The archive copies of your emails \r\nwill be stored in this folder:\r\n";
    if (holdsArchive(s.savedir)) page += "(The existing emails in the folder will be left as they are.)\r\n";
    page += "</p>\r\n\r\n";
    writeSaveDirInput(wizard, page);
    // Outlook messages are written as HTML only.
    const bool htmlChosen = s.saveformat == "html" || s.source == "mapi";
    page += "<p>Save messages in what format?<br>\r\n<input type=\"radio\" name=\"saveformat\" ";
    if (htmlChosen) page += "checked ";
    page += "value=\"html\"> HTML (portable, readable by any web browser)<br>\r\n";
    if (s.source == "mapi") {
        page += "(Messages from Outlook are archived in HTML only.)\r\n</p>\r\n\r\n";
    } else {
        page += "<input type=\"radio\" name=\"saveformat\" ";
        if (!htmlChosen) page += "checked ";
        page += "value=\"eml\">  EML (convenient, readable by Outlook Express)\r\n</p>\r\n\r\n";
    }
    page += "<p>How should the archive use folders?<br>\r\n<input type=\"radio\" name=\"usesubfolders\" ";
    if (s.usesubfolders) page += "checked ";
    page += "value=\"yes\"> Archive preserves folder structure<br>\r\n"
            "<input type=\"radio\" name=\"usesubfolders\" ";
    if (!s.usesubfolders) page += "checked ";
    page += "value=\"no\"> Archive puts all messages in a single folder\r\n</p>\r\n\r\n"
            "<div style=\"text-align: right;\">\r\n"
            "<input type=\"submit\" value=\"Ok\" style=\"width: 6em; margin-right: 3ex;\">\r\n"
            "</div></form>\r\n";
}

}  // namespace tessaly
