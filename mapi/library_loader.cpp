// library_loader.cpp - which provider a library path loads.
#include "mapi/library_loader.h"

#include <map>

#include "mapi/pff_provider.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/registry.h"

namespace tessaly {

namespace {

std::map<std::string, MapiLibraryFactory>& installed() {
    static std::map<std::string, MapiLibraryFactory> libraries;
    return libraries;
}

}  // namespace

std::unique_ptr<MapiLibrary> loadMapiLibrary(const std::string& path) {
    const auto found = installed().find(path);
    if (found != installed().end()) return found->second();
    if (equalsIgnoringCase(baseName(path), "mapi32.dll")) return makePffLibrary();
    return nullptr;
}

void installMapiLibrary(const std::string& path, MapiLibraryFactory factory) {
    if (factory) {
        installed()[path] = std::move(factory);
    } else {
        installed().erase(path);
    }
}

void registerMapiSubsystem() {
    const char kKey[] = "SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
    RegistryValue value;
    if (registryReadValue(RegistryHive::LocalMachine, kKey, "MAPIX", value)) return;
    registryWriteString(RegistryHive::LocalMachine, kKey, "MAPIX", "1");
}

}  // namespace tessaly
