// libraries.cpp - the mail clients on the machine that offer a MAPI library.

#include "mapi/library_loader.h"
#include "mapi/mapi_state.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/folders.h"
#include "platform/registry.h"

namespace tessaly {

namespace {

constexpr RegistryHive kMachine = RegistryHive::LocalMachine;
const char kClientsKey[] = "SOFTWARE\\Clients\\Mail";
const char kOutlook[] = "Microsoft Outlook";

}  // namespace

void EnsureLibraries() {
    MapiState& state = mapiState();
    traceMapi("EnsureLibraries: ");
    if (state.librariesListed) return;
    state.librariesListed = true;
    registerMapiSubsystem();

    std::string defaultClient;
    std::vector<std::string> clients;
    const bool clientsOpen = registryKeyExists(kMachine, kClientsKey);
    if (clientsOpen) {
        registryReadString(kMachine, kClientsKey, "", defaultClient);
        registrySubkeys(kMachine, kClientsKey, clients);
    }

    bool outlookListed = false;
    bool outlookHasLibrary = false;
    for (const std::string& name : clients) {
        const bool isOutlook = equalsIgnoringCase(name, kOutlook);
        outlookListed = outlookListed || isOutlook;
        std::string dllPath;
        registryReadString(kMachine, std::string(kClientsKey) + "\\" + name, "DLLPathEx", dllPath);
        if (dllPath.empty()) continue;
        outlookHasLibrary = outlookHasLibrary || isOutlook;
        mapi_TLibraryInfo library{name, dllPath, true};
        if (name == defaultClient) {
            state.libraries.insert(state.libraries.begin(), library);
        } else {
            state.libraries.push_back(library);
        }
    }
    if (outlookHasLibrary) return;

    if (clientsOpen && outlookListed) {
        // Tells the system's MAPI stub to route this program to Outlook's
        // library.
        const std::string program = baseName(executablePath());
        if (!registryWriteString(kMachine, "SOFTWARE\\Microsoft\\Windows Messaging Subsystem\\MSMapiApps",
                                 program, kOutlook)) {
            return;
        }
        state.libraries.insert(state.libraries.begin(), mapi_TLibraryInfo{kOutlook, "mapi32.dll", false});
        return;
    }

    if (!clientsOpen) {
        std::string mapix;
        registryReadString(kMachine, "SOFTWARE\\Microsoft\\Windows Messaging Subsystem", "MAPIX", mapix);
        // The value is read into ten bytes, terminator included.
        if (mapix.size() < 10 && mapix == "1") {
            state.libraries.push_back(mapi_TLibraryInfo{"Default", "mapi32.dll", false});
        }
    }
}

}  // namespace tessaly
