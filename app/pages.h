// pages.h - the generators of the wizard's pages. Each appends its toolbar
// and body to `page`; the framing (head and end) is writePage's.
#pragma once

#include <string>

#include "app/wizard.h"

namespace tessaly {

// Source choice.
void writeIntroPage(Wizard& wizard, std::string& page, const std::string& url);
void writeMapiChoosePage(Wizard& wizard, std::string& page, const std::string& url);
void writeDbxChoosePage(Wizard& wizard, std::string& page, const std::string& url);
void writeBmfChoosePage(Wizard& wizard, std::string& page, const std::string& url);

// Folder selection and archive location.
void writeDbxFoldersPage(Wizard& wizard, std::string& page, const std::string& url);
void writeMapiFoldersPage(Wizard& wizard, std::string& page, const std::string& url);
void writeStoreFoldersPage(Wizard& wizard, std::string& page, const std::string& url);
void writeSavePage(Wizard& wizard, std::string& page, const std::string& url);
void writeEmlBmfPage(Wizard& wizard, std::string& page, const std::string& url);

// The run: the archiving page (empties the problem log) and the finish page.
void writeArchivingPage(Wizard& wizard, std::string& page, const std::string& url);
void writeFinishPage(Wizard& wizard, std::string& page, const std::string& url);

// Shared pieces.
// The start page's choices of the Linux mail stores found in the home
// folder, one block per kind; nothing when none is found.
void writeMailStoreChoices(Wizard& wizard, std::string& page);
// The paragraph that ends every folder page.
inline constexpr const char* kFolderPageEnd =
    "<p>(It is okay to check folders even if they have already been archived before:\r\n"
    "the archive's existing messages will be left as they are, while any new messages\r\n"
    "will be added.)</p>\r\n";
// The chosen mail client's name: the listed library whose dllPath is
// `mapilib`, "MS Outlook" for "mapi32.dll" in any case, else empty.
std::string libraryDisplayName(const Settings& settings);
// The indentation of a folder line at `level`: 1.4 em per level, "2.8".
std::string indentationText(int level);
// The bullet that begins the start page's choices.
inline constexpr const char* kBullet = "<span style=\"text-decoration: none;\">&bull; </span>";
// Text for a double-quoted attribute value: htmlEscape, and a double quote
// as "&quot;" so that a path holding one cannot end the attribute.
std::string attributeValue(const std::string& text);
// The text input "savedir" with the folder's shown form, and the link that
// chooses another folder.
void writeSaveDirInput(Wizard& wizard, std::string& page);
// A folder's text input named `field`, with the folder's shown form, and
// the link to the dialog action `chooser` that picks another folder.
void writeFolderInput(std::string& page, const std::string& field, const std::string& folder,
                      const std::string& chooser);
// The link of an error page back to the start page.
void writeBackToStart(std::string& page);

}  // namespace tessaly
