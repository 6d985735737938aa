// mail_stores.cpp - placeholder until the store discovery lands.
#include "sources/mail_stores.h"

namespace tessaly {

const char* storeKindName(StoreKind kind) {
    switch (kind) {
        case StoreKind::Thunderbird: return "Thunderbird";
        case StoreKind::Maildir: return "Maildir";
        case StoreKind::Evolution: return "Evolution";
        case StoreKind::KMail: return "KMail";
        case StoreKind::MH: return "MH";
    }
    return "";
}

std::vector<MailStore> findMailStores(const std::string&) { return {}; }
std::optional<MailStore> storeAt(const std::string&) { return std::nullopt; }
std::vector<StoreFolder> readStoreFolders(const MailStore&) { return {}; }
bool isStoreFolderTickedByDefault(const StoreFolder& folder) { return folder.entry.storage != FolderStorage::None; }

}  // namespace tessaly
