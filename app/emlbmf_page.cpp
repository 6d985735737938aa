// emlbmf_page.cpp - the page of the side job that packs folders of .eml
// files into mailbox files, reached from the start page's "different
// system" choice (and by Ctrl with B M F or E M L). Its folder is a source
// of its own, never the archive folder.
#include "app/page_frame.h"
#include "app/pages.h"

namespace tessaly {

void writeEmlBmfPage(Wizard& wizard, std::string& page, const std::string&) {
    writeToolbar(wizard, page, "help:emlbmf.html", true);
    page += "<h2>EML / BMF</h2>\r\n\r\n<form action=\"webf:go\">\r\n\r\n"
            "<p style=\"margin-bottom: 1ex;\">For every folder of messages in EML format,\r\n"
            "you can create a single file in Berkeley Mail Format which contains all those messages.\r\n"
            "This file will be created in the same location as the message folder, and it\r\n"
            "will leave the original messages untouched.</p>\r\n"
            "<p>Where are the EML messages?</p>\r\n";
    writeFolderInput(page, "emldir", wizard.settings.emldir, "dlg:emldir");
    page += "<div style=\"text-align: right;\">\r\n"
            "<input type=\"checkbox\" checked name=\"mailsource\" value=\"eml\" style=\"display: none;\">\r\n"
            "<input type=\"submit\" value=\"Ok\" style=\"width: 6em; margin-right: 3ex;\">\r\n"
            "</div></form>\r\n";
}

}  // namespace tessaly
