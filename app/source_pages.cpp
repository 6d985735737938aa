// source_pages.cpp - the start page and the pages that choose a mail
// source: Outlook, Outlook Express and mailbox files (the Linux mail stores
// are store_pages.cpp's).

#include "app/display_path.h"
#include "app/page_frame.h"
#include "app/pages.h"
#include "app/url_query.h"
#include "mapi/outlook.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "sources/oestore.h"

namespace tessaly {

namespace {

// Only Outlook offers picking its personal-store files.
bool libraryIsOutlook(const Settings& settings) {
    return asciiLower(libraryDisplayName(settings)).find("outlook") != std::string::npos;
}

void writeOutlookChoice(Wizard& wizard, std::string& page) {
    const Settings& s = wizard.settings;
    page += "<div class=\"option\">\r\n";
    if (s.mapilib.empty() || s.mapistore.empty()) {
        page += "<p>";
        page += kBullet;
        page += "(MS Outlook is <a href=\"help:err_nooutlook.html\">not available</a>)</p>\r\n";
    } else {
        if (!s.mapifn.empty()) {
            page += "<p><a href=\"webf:mapi_folders?mailsource=mapi&mapifn=" + percentEncode(s.mapifn) + "\">";
            page += kBullet;
            page += "In " + htmlEscape(baseName(s.mapifn)) + "</a></p>\r\n";
        } else {
            page += "<p><a href=\"webf:mapi_folders?mailsource=mapi&mapiprofile=" + percentEncode(s.mapiprofile) +
                    "&mapistore=" + percentEncode(s.mapistore) + "\">";
            page += kBullet;
            page += "In " + htmlEscape(s.mapistore) + ", " + htmlEscape(libraryDisplayName(s)) + "</a></p>\r\n";
        }
        page += "<p class=\"sub\"><a href=\"webf:mapi_choose?mailsource=mapi\">Elsewhere in " +
                htmlEscape(libraryDisplayName(s)) + "</a></p>\r\n";
    }
    page += "</div>\r\n\r\n";
}

void writeOutlookExpressChoice(Wizard& wizard, std::string& page) {
    const Settings& s = wizard.settings;
    const std::vector<TDbxStore>& identities = loadDbxStores(s.dbxname);
    page += "<div class=\"option\">\r\n";
    if (!s.dbxdir.empty()) {
        page += "<p><a href=\"dlg:dbx_dir?mailsource=dbx&dbxdir=" + percentEncode(s.dbxdir) + "\">";
        page += kBullet;
        page += "In " + htmlEscape(displayPath(s.dbxdir)) + ", Outlook Express files</a></p>\r\n";
    } else if (identities.empty()) {
        page += "<p><a href=\"webf:dbx_choose?mailsource=dbx\">";
        page += kBullet;
        page += "In Outlook Express files</a></p>\r\n";
    } else if (identities.size() == 1) {
        page += "<p><a href=\"webf:dbx_folders?mailsource=dbx&dbxid=0\">";
        page += kBullet;
        page += "In Outlook Express</a></p>\r\n";
    } else {
        page += "<p><a href=\"webf:dbx_folders?mailsource=dbx&dbxid=0\">";
        page += kBullet;
        page += "In " + htmlEscape(identities.front().userName) + ", Outlook Express" + "</a></p>\r\n";
    }
    if (!s.dbxdir.empty() || !identities.empty()) {
        page += "<p class=\"sub\"><a href=\"webf:dbx_choose?mailsource=dbx\">Elsewhere in Outlook Express</a></p>\r\n";
    }
    page += "</div>\r\n\r\n";
}

void writeMailboxChoice(Wizard& wizard, std::string& page) {
    const Settings& s = wizard.settings;
    page += "<div class=\"option\">\r\n";
    if (!s.bmfdir.empty()) {
        page += "<p><a href=\"dlg:bmf_dir?mailsource=bmf&bmfdir=" + percentEncode(s.bmfdir) + "\">";
        page += kBullet;
        page += "In " + htmlEscape(displayPath(s.bmfdir)) +
                ", BMF files</a></p>\r\n"
                "<p class=\"sub\"><a href=\"webf:bmf_choose?mailsource=bmf\">Elsewhere on an IMAP server</a></p>\r\n";
    } else {
        page += "<p><a href=\"webf:bmf_choose?mailsource=bmf\">";
        page += kBullet;
        page += "On an IMAP server</a></p>\r\n";
    }
    page += "</div>\r\n\r\n";
}

}  // namespace

std::string libraryDisplayName(const Settings& settings) {
    if (asciiLower(settings.mapilib) == "mapi32.dll") return "MS Outlook";
    for (const mapi_TLibraryInfo& library : mapiLibraries()) {
        if (library.dllPath == settings.mapilib) return library.name;
    }
    return {};
}

void writeIntroPage(Wizard& wizard, std::string& page, const std::string&) {
    writeToolbar(wizard, page, "help:intro.html", true);
    page += "<h1>Tessaly</h1>\r\n\r\n";
    page += "<p>This program makes an archive copy of all your emails. It\r\n"
            "stores this archive in HTML or EML formats &mdash; the same formats\r\n"
            "used by the Internet. That means the archive is readable\r\n"
            "on any computer you have now, and will still be readable when you\r\n"
            "buy your next computer, and will still be readable in fifty\r\n"
            "or five hundred years.</p>\r\n\r\n"
            "<p>Where are your emails stored?</p>\r\n\r\n";
    // The mail programs of this computer come first: the likeliest answer.
    writeMailStoreChoices(wizard, page);
    EnsureStores(wizard.settings.mapilib);
    writeOutlookChoice(wizard, page);
    writeOutlookExpressChoice(wizard, page);
    writeMailboxChoice(wizard, page);
    page += "<div class=\"option\">\r\n<p><a href=\"help:other.html\">";
    page += kBullet;
    page += "On some different system</a></p>\r\n"
            "<p class=\"sub\"><a href=\"webf:emlbmf\">In a folder of .eml files</a></p>\r\n</div>\r\n\r\n";
    page += "<p style=\"margin-top: 4ex;\">Alternatively, now or at any time, click the question mark at the top "
            "to find out more.\r\n";
    page += "</p>\r\n";
}

void writeMapiChoosePage(Wizard& wizard, std::string& page, const std::string&) {
    const Settings& s = wizard.settings;
    const std::string library = htmlEscape(libraryDisplayName(s));
    writeToolbar(wizard, page, "help:mapi_choose.html", true);
    page += "<h2>" + library + "</h2>\r\n\r\n";
    page += "<div class=\"option\">\r\n<p>" + library +
            " has the following message-stores on this computer.\r\nClick the one you wish to archive.</p>\r\n";
    bool anyStore = false;
    for (const mapi_TStoreInfo& entry : mapiStores()) {
        if (entry.kind != 2) continue;
        anyStore = true;
        page += "<p style=\"margin-left: 3ex;\"><a href=\"webf:mapi_folders?mailsource=mapi&mapiprofile=" +
                percentEncode(entry.profile) + "&mapistore=" + percentEncode(entry.store) + "\">" +
                htmlEscape(entry.store) + " (" + htmlEscape(entry.profile) + ")</a></p>\r\n";
    }
    if (!anyStore) {
        page += "<p style=\"margin-left: 3ex;\"><a href=\"help:err_nooutlook.html\">No message-stores were found</a></p>\r\n";
    }
    page += "</div>\r\n\r\n";
    const std::vector<mapi_TLibraryInfo>& libraries = mapiLibraries();
    if (libraries.size() > 1) {
        page += "<div class=\"option\">\r\n<p>This list of message-stores comes from " + library +
                ".You can also view the message-stores belonging to these applications.</p>\r\n";
        for (const mapi_TLibraryInfo& entry : libraries) {
            page += "<p style=\"margin-left: 3ex;\"><a href=\"webf:mapi_choose?mapilib=" + percentEncode(entry.dllPath) +
                    "\">" + htmlEscape(entry.name) + "</a></p>\r\n";
        }
        page += "</div>\r\n\r\n";
    }
    if (libraryIsOutlook(s)) {
        page += "<div class=\"option\">\r\n<p><em>Advanced:</em> Microsoft Outlook keeps its message-stores in files "
                "that end in '.pst'.\r\n As long as it's installed, you can manually pick pst files to archive.</p>\r\n"
                "<p style=\"margin-left: 3ex;\"><a href=\"dlg:mapi_dir\">Browse for pst files...</a></p>\r\n"
                "</div>\r\n\r\n";
    }
}

void writeDbxChoosePage(Wizard& wizard, std::string& page, const std::string&) {
    const Settings& s = wizard.settings;
    writeToolbar(wizard, page, "help:dbx_choose.html", true);
    page += "<h2>Outlook Express</h2>\r\n\r\n";
    const std::vector<TDbxStore>& identities = loadDbxStores(s.dbxname);
    if (identities.empty()) {
        page += "<div class=\"option\">\r\n<p>Outlook Express is not set up on this computer.</p>\r\n</div>\r\n\r\n";
    } else {
        page += "<div class=\"option\">\r\n<p>Outlook Express stores its messages under the following identities. "
                "Click\r\nthe one you wish to archive.</p>\r\n";
        for (size_t i = 0; i < identities.size(); ++i) {
            page += "<p style=\"margin-left: 3ex;\"><a href=\"webf:dbx_folders?dbxid=" + std::to_string(i) + "\">" +
                    htmlEscape(identities[i].userName) + ", Outlook Express " +
                    htmlEscape(identities[i].versionKey) + "</a></p>\r\n";
        }
        page += "</div>\r\n\r\n";
    }
    page += "<div class=\"option\">\r\n<p><em>Advanced:</em> The files used by Outlook Express end in '.dbx'.\r\n"
            "Each dbx file contains one mail-folder. You can manually pick dbx files to archive.</p>\r\n"
            "<p style=\"margin-left: 3ex;\"><a href=\"dlg:dbx_dir?dbxdir=" +
            percentEncode(s.dbxdir) +
            "\">Browse for dbx files...</a></p>\r\n"
            "<p>A store folder holds all of them with their folder tree, in its Folders.dbx file.\r\n"
            "You can pick a whole store folder to archive.</p>\r\n"
            "<p style=\"margin-left: 3ex;\"><a href=\"dlg:dbx_store\">Browse for a store folder...</a></p>\r\n"
            "</div>\r\n\r\n";
}

void writeBmfChoosePage(Wizard& wizard, std::string& page, const std::string&) {
    writeToolbar(wizard, page, "help:bmf_choose.html", true);
    page += "<h2>BMF / IMAP Server</h2>\r\n";
    page += "<div class=\"option\">\r\n<p>Many IMAP servers store mailfolders in <em>Berkeley Mail Format</em> (BMF).\r\n"
            "If these terms are unfamiliar to you, then click the\r\n"
            "help button <a href=\"help:bmf_choose.html\"><img width=15 height=15 style=\"border: 0;\" "
            "src=\"help_transp.gif\"></a>\r\nto find out more.</p>\r\n</div>\r\n\r\n"
            "<div class=\"option\">\r\n<p>You should download your Berkeley Mail Format mailfolders using FTP,\r\n"
            "and then this program will make archive copies of their messages.</p>\r\n"
            "<p style=\"margin-left: 3ex;\"><a href=\"dlg:bmf_dir?mailsource=bmf&bmfdir=" +
            percentEncode(wizard.settings.bmfdir) +
            "\">Browse for bmf files...</a></p>\r\n</div>\r\n\r\n"
            "<div class=\"option\" style=\"margin-top: 4ex;\">\r\n<p><em>Tip:</em> Normally, Windows cannot recognise "
            "the type of bmf files.\r\nTo fix this, I prefer to rename my downloaded bmf files by appending\r\n"
            "the letters '.bmf' to their names. This will make Windows recognise them.</p>\r\n</div>\r\n\r\n";
}

}  // namespace tessaly
