// fuzz_folders_dbx.cpp - the folder list of a store whose Folders.dbx holds
// the input.
#include "fuzz/scratch_folder.h"
#include "fuzz/targets.h"
#include "platform/files.h"
#include "sources/oestore.h"

namespace tessaly::fuzz {

void fuzzFoldersDbx(const uint8_t* data, size_t size) {
    const std::string store = scratchFolder() + "/store";
    createFolder(store);
    {
        OutputFile file;
        if (!file.create(store + "/Folders.dbx", CreateMode::Always) || !file.write(data, size) ||
            !file.close()) {
            propertyFailed("cannot write the scratch Folders.dbx");
        }
    }
    forgetDbxStores();
    const std::vector<TDbxFolderInfo>& folders = loadDbxFoldersFromRoot(store);
    for (const TDbxFolderInfo& f : folders) {
        if (f.depth < 0) propertyFailed("negative folder depth");
        (void)isTickedByDefault(f);
    }
}

}  // namespace tessaly::fuzz
