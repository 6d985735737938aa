// fuzz_store_layout.cpp - a folder tree made from the input, read as a mail
// store: Thunderbird profile, Maildir, KMail or MH tree.
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/scratch_folder.h"
#include "fuzz/targets.h"
#include "message/charsets.h"
#include "message/text.h"
#include "platform/files.h"
#include "sources/mail_stores.h"

namespace tessaly::fuzz {

namespace {

// A relative path made safe to create below the scratch folder: no empty,
// "." or ".." parts, at most eight levels.
std::string safeRelative(std::string_view path) {
    std::string out;
    size_t levels = 0;
    size_t start = 0;
    while (start <= path.size() && levels < 8) {
        size_t slash = path.find('/', start);
        if (slash == std::string_view::npos) slash = path.size();
        const std::string_view part = path.substr(start, slash - start);
        start = slash + 1;
        if (part.empty() || part == "." || part == ".." || part.size() > 64) continue;
        if (!out.empty()) out += '/';
        out += part;
        ++levels;
    }
    return out;
}

}  // namespace

// Input: lines "PATH" (a folder when it ends in "/") or "PATH=CONTENT"
// (a file; "\1" in CONTENT stands for a line end).
void fuzzStoreLayout(const uint8_t* data, size_t size) {
    emptyScratchFolder();
    const std::string root = scratchFolder() + "/store";
    createFolderPath(root);
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start < input.size()) {
        size_t lf = input.find('\n', start);
        if (lf == std::string_view::npos) lf = input.size();
        const std::string_view line = input.substr(start, lf - start);
        start = lf + 1;
        const size_t equals = line.find('=');
        const std::string relative = safeRelative(line.substr(0, equals));
        if (relative.empty() || relative.find('\0') != std::string::npos) continue;
        const std::string path = root + "/" + relative;
        if (equals == std::string_view::npos) {
            createFolderPath(path);
            continue;
        }
        createFolderPath(directoryOf(path));
        std::string content(line.substr(equals + 1));
        for (char& c : content) {
            if (c == '\1') c = '\n';
        }
        std::ofstream(path, std::ios::binary) << content;
    }
    std::vector<MailStore> stores;
    if (const std::optional<MailStore> found = storeAt(root)) stores.push_back(*found);
    // Each kind's reading over the same tree, whatever it looks like.
    for (const StoreKind kind :
         {StoreKind::Thunderbird, StoreKind::Maildir, StoreKind::Evolution, StoreKind::KMail, StoreKind::MH}) {
        stores.push_back({kind, "store", root});
    }
    for (const MailStore& store : stores) {
        for (const StoreFolder& folder : readStoreFolders(store)) {
            if (!isValidUtf8(folder.entry.name)) propertyFailed("a folder name is not UTF-8");
            isStoreFolderTickedByDefault(folder);
        }
    }
}

}  // namespace tessaly::fuzz
