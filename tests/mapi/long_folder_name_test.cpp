// long_folder_name_test.cpp - an Outlook folder whose name is longer than a
// file name may be still gets an archive folder, and its messages land there.
#include <gtest/gtest.h>

#include <filesystem>

#include "mapi/fake_mapi.h"
#include "mapi/mapi_state.h"
#include "mapi/outlook.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

std::string repeat(const std::string& piece, size_t times) {
    std::string text;
    for (size_t i = 0; i < times; ++i) text += piece;
    return text;
}

class LongFolderNameTest : public FakeMapiTest {};

TEST_F(LongFolderNameTest, MessagesLandInTheShortenedFolder) {
    // 100 three-byte characters: 300 bytes of UTF-8.
    const std::string longName = repeat("\xE2\x82\xAC", 100);
    FakeMessage m;
    m.props = {textValue(PR_MESSAGE_CLASS, "IPM.Note"), textValue(PR_SUBJECT, "one"),
               textValue(PR_SENDER_NAME, "Ann"), textValue(PR_DISPLAY_TO, "Bob")};
    m.streams[PR_BODY] = "one body";
    FakeFolder folder;
    folder.name = longName;
    folder.messages = {m};
    FakeStore store;
    store.name = "S";
    store.top.name = "Top";
    store.top.children = {folder};
    FakeProfile profile{"P"};
    profile.stores = {store};
    world->profiles = {profile};
    load();
    EnsureFolders(nullptr, "P", "S");

    TempDir dir;
    ArchiveRun run;
    std::string problems;
    RunSinks sinks;
    sinks.log = [&problems](const std::string& line) { problems += line + "\n"; };
    driveRun(run, outlookRequest({longName}, dir.path()), std::move(sinks));

    EXPECT_TRUE(problems.empty()) << problems;
    EXPECT_EQ(run.messageCount, 1u);
    const std::string archived = dir.file(repeat("\xE2\x82\xAC", 85));
    ASSERT_TRUE(fs::is_directory(archived));
    size_t pages = 0;
    for (const auto& e : fs::directory_iterator(archived)) pages += e.path().extension() == ".html";
    EXPECT_EQ(pages, 1u);
}

}  // namespace
}  // namespace tessaly::test
