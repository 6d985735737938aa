// thunderbird_accounts.cpp - a Thunderbird profile's accounts from prefs.js
// and from its Mail and ImapMail folders.
#include "sources/thunderbird_accounts.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "message/charsets.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "sources/store_tree.h"
#include "sources/thunderbird_prefs.h"

namespace tessaly {

namespace {

// prefs.js is rarely above a megabyte; what is beyond this is not read.
constexpr size_t kMaxPrefsBytes = size_t{16} << 20;

struct Server {
    std::map<std::string, std::string> fields;

    std::string field(const std::string& name) const {
        const auto found = fields.find(name);
        return found == fields.end() ? std::string() : found->second;
    }
};

// The number at the end of a server key ("server12" -> 12), for the order
// of servers no account names.
uint64_t keyNumber(const std::string& key) {
    uint64_t n = 0;
    size_t i = key.size();
    while (i > 0 && key[i - 1] >= '0' && key[i - 1] <= '9') --i;
    for (size_t j = i; j < key.size() && j < i + 18; ++j) n = n * 10 + static_cast<uint64_t>(key[j] - '0');
    return n;
}

std::vector<std::string> commaList(std::string_view text) {
    std::vector<std::string> items;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        if (!item.empty()) items.emplace_back(item);
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
    }
    return items;
}

// The folder of a server: directory-rel when it is relative to the profile
// and exists, else the absolute directory.
std::string serverDirectory(const Server& server, const std::string& profile) {
    constexpr std::string_view kProfile = "[ProfD]";
    const std::string relative = server.field("directory-rel");
    std::string fromRelative;
    if (relative.compare(0, kProfile.size(), kProfile) == 0) {
        fromRelative = absolutePath(childPath(profile, relative.substr(kProfile.size())));
        if (isFolder(fromRelative)) return fromRelative;
    }
    const std::string absolute = server.field("directory");
    if (!absolute.empty() && absolute.front() == '/') return absolutePath(absolute);
    return fromRelative;
}

ThunderbirdAccount accountOf(const Server& server, const std::string& profile) {
    ThunderbirdAccount account;
    account.directory = serverDirectory(server, profile);
    const std::string type = server.field("type");
    account.imapNames = equalsIgnoringCase(type, "imap") ||
                        (type.empty() && account.directory.find("/ImapMail/") != std::string::npos);
    account.maildirStore = server.field("storeContractID").find("maildirstore") != std::string::npos;
    account.name = ensureUtf8(server.field("name"));
    if (account.name.empty()) {
        const std::string user = server.field("userName");
        const std::string host = server.field("hostname");
        if (equalsIgnoringCase(type, "none")) {
            account.name = "Local Folders";
        } else if (!user.empty() && !host.empty()) {
            account.name = ensureUtf8(user + "@" + host);
        } else {
            account.name = folderDisplayName(lastPathPart(account.directory), false);
        }
    }
    return account;
}

// The mail.server.<key>.<field> preferences by server key.
std::map<std::string, Server> serversOf(const std::map<std::string, std::string>& prefs) {
    constexpr std::string_view kServer = "mail.server.";
    std::map<std::string, Server> servers;
    for (auto it = prefs.lower_bound(std::string(kServer)); it != prefs.end(); ++it) {
        const std::string& key = it->first;
        if (key.compare(0, kServer.size(), kServer) != 0) break;
        const size_t dot = key.find('.', kServer.size());
        if (dot == std::string::npos || dot == kServer.size()) continue;
        servers[key.substr(kServer.size(), dot - kServer.size())].fields[key.substr(dot + 1)] = it->second;
    }
    return servers;
}

std::map<std::string, std::string> readPrefs(const std::string& profile) {
    const std::string path = childPath(profile, "prefs.js");
    uint64_t size = 0;
    std::string text;
    if (!readableFileSize(path, size)) return {};
    if (!readFileStart(path, static_cast<size_t>(std::min<uint64_t>(size, kMaxPrefsBytes)), text, size)) return {};
    return parsePrefs(text);
}

}  // namespace

std::vector<ThunderbirdAccount> accountsFromPrefs(const std::map<std::string, std::string>& prefs,
                                                  const std::string& profile) {
    std::map<std::string, Server> servers = serversOf(prefs);
    std::vector<std::string> order;
    const auto accounts = prefs.find("mail.accountmanager.accounts");
    if (accounts != prefs.end()) {
        for (const std::string& id : commaList(accounts->second)) {
            const auto server = prefs.find("mail.account." + id + ".server");
            if (server == prefs.end() || !servers.count(server->second)) continue;
            if (std::find(order.begin(), order.end(), server->second) == order.end()) order.push_back(server->second);
        }
    }
    std::vector<std::string> rest;
    for (const auto& [key, server] : servers) {
        if (std::find(order.begin(), order.end(), key) == order.end()) rest.push_back(key);
    }
    std::stable_sort(rest.begin(), rest.end(),
                     [](const std::string& a, const std::string& b) { return keyNumber(a) < keyNumber(b); });
    order.insert(order.end(), rest.begin(), rest.end());

    std::vector<ThunderbirdAccount> out;
    for (const std::string& key : order) {
        const Server& server = servers[key];
        if (server.field("hidden") == "true") continue;
        ThunderbirdAccount account = accountOf(server, profile);
        if (account.directory.empty()) continue;
        out.push_back(std::move(account));
    }
    return out;
}

std::vector<ThunderbirdAccount> thunderbirdAccounts(const std::string& profile) {
    const std::map<std::string, std::string> prefs = readPrefs(profile);
    std::vector<ThunderbirdAccount> out;
    std::set<std::string> seen;
    for (ThunderbirdAccount& account : accountsFromPrefs(prefs, profile)) {
        if (!isFolder(account.directory) || !seen.insert(resolvedPath(account.directory)).second) continue;
        out.push_back(std::move(account));
    }
    // Hidden servers (Thunderbird's smart mailboxes) are no account either.
    for (const auto& [key, server] : serversOf(prefs)) {
        if (server.field("hidden") == "true") seen.insert(resolvedPath(serverDirectory(server, profile)));
    }
    for (const char* parent : {"Mail", "ImapMail"}) {
        const std::string folder = childPath(profile, parent);
        std::vector<FolderEntry> entries;
        if (!listFolder(folder, entries)) continue;
        std::sort(entries.begin(), entries.end(),
                  [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
        for (const FolderEntry& entry : entries) {
            if (!entry.isFolder || entry.isLink || entry.name.empty() || entry.name[0] == '.') continue;
            const std::string directory = absolutePath(childPath(folder, entry.name));
            if (!seen.insert(resolvedPath(directory)).second) continue;
            ThunderbirdAccount account;
            account.name = folderDisplayName(entry.name, false);
            account.directory = directory;
            account.imapNames = std::string_view(parent) == "ImapMail";
            out.push_back(std::move(account));
        }
    }
    return out;
}

}  // namespace tessaly
