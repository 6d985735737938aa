// fuzz_pst.cpp - a personal-store file read through the program's MAPI
// provider: mounted, its folders listed, every message converted and
// archived as a page.
#include <cstdlib>
#include <string>
#include <vector>

#include "app/run.h"
#include "fuzz/scratch_folder.h"
#include "fuzz/targets.h"
#include "mapi/outlook.h"
#include "platform/files.h"

namespace tessaly::fuzz {

void fuzzPst(const uint8_t* data, size_t size) {
    // The provider keeps its temporary profile in the registry: a hive of
    // the fuzzer's own, never the user's.
    static const bool isolated = setenv("XDG_CONFIG_HOME", keptFolder().c_str(), 1) == 0;
    (void)isolated;

    emptyScratchFolder();
    const std::string store = scratchFolder() + "/store.pst";
    {
        OutputFile file;
        if (!file.create(store, CreateMode::Always) || !file.write(data, size) || !file.close()) {
            propertyFailed("cannot write the scratch store");
        }
    }
    EnsureStores("mapi32.dll");
    EnsureFoldersFn(nullptr, store);
    if (mapiStoreOpen()) {
        std::vector<std::string> names;
        for (const mapi_TFolderInfo& folder : mapiFolders()) names.push_back(folder.name);
        const std::string archive = scratchFolder() + "/archive";
        ArchiveRun run;
        run.beginRun(nullptr, nullptr, nullptr);
        {
            ArchiveWriter writer(run, run.decoder, {archive, OutputFormat::Html, true});
            RunMapiJob(writer, names);
        }
        run.endRun();
    }
    CloseMapi();
}

}  // namespace tessaly::fuzz
