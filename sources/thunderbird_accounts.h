// thunderbird_accounts.h - the mail accounts of a Thunderbird profile and
// where each keeps its folders.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tessaly {

struct ThunderbirdAccount {
    std::string name;       // as Thunderbird shows it, UTF-8
    std::string directory;  // absolute: Mail/Local Folders, ImapMail/<server> ...
    bool imapNames = false;     // an IMAP account: folder names in modified UTF-7
    bool maildirStore = false;  // folders kept as Maildir folders, not mailbox files
};

// The accounts the preferences of the profile folder `profile` name, in
// Thunderbird's order (mail.accountmanager.accounts, then the other
// servers by number); hidden servers are left out. Directories are
// resolved ("[ProfD]" is the profile folder) but not checked.
std::vector<ThunderbirdAccount> accountsFromPrefs(const std::map<std::string, std::string>& prefs,
                                                  const std::string& profile);

// The accounts of a profile whose folders exist: those of prefs.js, then
// the folders of Mail/ and ImapMail/ it does not name (without prefs.js,
// all of them), each named after its folder.
std::vector<ThunderbirdAccount> thunderbirdAccounts(const std::string& profile);

}  // namespace tessaly
