// libraries_test.cpp - which MAPI libraries the registry offers.
#include <gtest/gtest.h>

#include "mapi/mapi_state.h"
#include "mapi/outlook.h"
#include "platform/folders.h"
#include "platform/registry.h"

namespace tessaly {
namespace {

constexpr RegistryHive kMachine = RegistryHive::LocalMachine;
const char kClients[] = "SOFTWARE\\Clients\\Mail";
const char kMessaging[] = "SOFTWARE\\Microsoft\\Windows Messaging Subsystem";

class LibrariesTest : public ::testing::Test {
protected:
    void SetUp() override {
        clean();
        resetMapiState();
    }
    void TearDown() override {
        clean();
        resetMapiState();
    }
    static void clean() {
        registryDeleteKey(kMachine, "SOFTWARE\\Clients");
        registryDeleteKey(kMachine, kMessaging);
    }
    static void client(const std::string& name, const std::string& dllPath) {
        const std::string key = std::string(kClients) + "\\" + name;
        registryCreateKey(kMachine, key);
        if (!dllPath.empty()) registryWriteString(kMachine, key, "DLLPathEx", dllPath);
    }
    static std::vector<std::string> listed() {
        EnsureLibraries();
        std::vector<std::string> lines;
        for (const mapi_TLibraryInfo& l : mapiLibraries()) {
            lines.push_back(l.name + "|" + l.dllPath + "|" + (l.listed ? "listed" : "-"));
        }
        return lines;
    }
};

TEST_F(LibrariesTest, AFreshMachineOffersTheDefaultLibrary) {
    EXPECT_EQ(listed(), std::vector<std::string>{"Default|mapi32.dll|-"});
    std::string mapix;
    EXPECT_TRUE(registryReadString(kMachine, kMessaging, "MAPIX", mapix));
    EXPECT_EQ(mapix, "1");
}

TEST_F(LibrariesTest, MapixOtherThanOneOffersNothing) {
    for (const char* value : {"0", "", "11", "1234567890"}) {
        resetMapiState();
        registryWriteString(kMachine, kMessaging, "MAPIX", value);
        EXPECT_TRUE(listed().empty()) << value;
    }
}

TEST_F(LibrariesTest, ListedClientsWithTheDefaultFirst) {
    registryCreateKey(kMachine, kClients);
    registryWriteString(kMachine, kClients, "", "Mozilla");
    client("Microsoft Outlook", "C:\\Office\\olmapi32.dll");
    client("Eudora", "");  // no library
    client("Mozilla", "mozMapi32.dll");
    EXPECT_EQ(listed(), (std::vector<std::string>{"Mozilla|mozMapi32.dll|listed",
                                                  "Microsoft Outlook|C:\\Office\\olmapi32.dll|listed"}));
}

TEST_F(LibrariesTest, OutlookWithoutLibraryIsRoutedThroughTheStub) {
    client("microsoft outlook", "");  // the name compares without letter case
    client("Mozilla", "mozMapi32.dll");
    EXPECT_EQ(listed(), (std::vector<std::string>{"Microsoft Outlook|mapi32.dll|-", "Mozilla|mozMapi32.dll|listed"}));
    std::string routed;
    const std::string program = executablePath().substr(executablePath().rfind('/') + 1);
    EXPECT_TRUE(registryReadString(kMachine, std::string(kMessaging) + "\\MSMapiApps", program, routed));
    EXPECT_EQ(routed, "Microsoft Outlook");
}

TEST_F(LibrariesTest, ClientsWithoutOutlookOfferOnlyThemselves) {
    registryWriteString(kMachine, kMessaging, "MAPIX", "1");
    client("Mozilla", "mozMapi32.dll");
    EXPECT_EQ(listed(), std::vector<std::string>{"Mozilla|mozMapi32.dll|listed"});
}

TEST_F(LibrariesTest, ListedOncePerProcess) {
    listed();
    EXPECT_EQ(listed().size(), 1u);
    EXPECT_EQ(mapiTrace(), "EnsureLibraries: EnsureLibraries: ");
}

}  // namespace
}  // namespace tessaly
