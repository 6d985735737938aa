// fake_mapi.h - an in-memory MAPI library for tests: profiles with stores,
// folder trees, messages with recipients, bodies and attachments, and knobs
// that make single operations fail.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mapi/provider.h"

namespace tessaly::test {

struct FakeMessage;

struct FakeAttachment {
    PropRow props;     // PR_ATTACH_LONG_FILENAME, PR_ATTACH_MIME_TAG, ...
    std::string data;  // PR_ATTACH_DATA_BIN
    // An attached Outlook item instead of bytes (PR_ATTACH_DATA_OBJ).
    std::shared_ptr<FakeMessage> item;
    bool openFails = false;
    bool dataFails = false;
};

struct FakeMessage {
    PropRow props;  // answered by GetProps; absent tags come back as errors
    MapiResult getPropsResult = SUCCESS_SUCCESS;  // a failure replaces the values
    RowSet recipients;
    std::vector<FakeAttachment> attachments;
    std::map<uint32_t, std::string> streams;  // PR_BODY, PR_BODY_HTML, PR_RTF_COMPRESSED
    bool openFails = false;
    bool isFolder = false;  // opens as a folder instead
};

struct FakeFolder {
    std::string name;
    std::string containerClass;  // empty: the folder has none
    EntryId id;                  // given by FakeMapi::finish when empty
    PropRow props;               // more properties (special folder ids)
    std::vector<FakeFolder> children;
    std::vector<FakeMessage> messages;
    bool openFails = false;
    bool contentsFail = false;
    bool hidesId = false;  // its own PR_ENTRYID is empty (rows still name it)
};

struct FakeStore {
    std::string name;
    bool isDefault = false;
    FakeFolder top;
    PropRow props;  // PR_IPM_OUTBOX_ENTRYID, ...
    EntryId receiveFolder;
    bool openFails = false;
};

// A message service created through service administration.
struct FakeService {
    EntryId uid;
    std::string displayName;
    std::string pstPath;  // a key of FakeMapi::pstFiles once configured
};

struct FakeProfile {
    explicit FakeProfile(std::string profileName = "", bool standard = false)
        : name(std::move(profileName)), isDefault(standard) {}

    std::string name;
    bool isDefault = false;
    bool logonFails = false;
    bool storeTableFails = false;
    std::vector<FakeStore> stores;
    std::vector<FakeService> services;
};

// The world the fake library serves; tests change it between calls.
class FakeMapi {
public:
    std::vector<FakeProfile> profiles;
    // .pst files a service can be configured with, by path.
    std::map<std::string, FakeStore> pstFiles;
    // What was called, in order: "MAPILogonEx(name)", "CreateProfile(name)",
    // "DeleteProfile(name)", "CreateMsgService(flags)", "RTFSync",
    // "SaveChanges", "MAPIUninitialize", ...
    std::vector<std::string> calls;
    bool refuseServiceFlags = false;  // CreateMsgService with flags fails
    bool initializeFails = false;
    std::vector<std::string> missingEntryPoints;

    // Gives every folder and message an entry identifier.
    void finish();
    size_t count(const std::string& call) const;
    FakeProfile* profile(const std::string& name);
};

std::unique_ptr<MapiLibrary> makeFakeLibrary(std::shared_ptr<FakeMapi> world);

// A message object over `message` (kept by reference), for conversion tests.
std::shared_ptr<IMessage> makeFakeMessage(std::shared_ptr<FakeMapi> world, FakeMessage& message);

// Tests over the Outlook source's process-wide state with the fake library
// installed as "fake.dll": the state starts and ends empty.
class FakeMapiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Loads the fake library and lists its stores.
    void load();

    std::shared_ptr<FakeMapi> world = std::make_shared<FakeMapi>();
};

}  // namespace tessaly::test
