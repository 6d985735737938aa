// pst_cli_test.cpp - tessaly-cli on a personal-store file from the tests'
// writer: its folders listed, every message archived with its attachment.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/pst_writer.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

TEST(PstCli, ListsAndArchivesAWrittenStore) {
    test::TempDir dir;
    test::PstFolder inbox{"Inbox", {}, {{"Reports", {}, {}}}};
    for (int i = 0; i < 3; ++i) {
        test::PstMessage m;
        m.subject = "Report " + std::to_string(i);
        m.senderName = "Ann Sender";
        m.senderEmail = "ann@example.org";
        m.deliveryTimeUnix = 1600000000 + i * 3600;
        m.body = "Figures " + std::to_string(i) + "\r\n";
        m.html = "<html><body><p>Figures " + std::to_string(i) + "</p></body></html>";
        inbox.subfolders[0].messages.push_back(m);
    }
    inbox.subfolders[0].messages[1].attachments.push_back(
        {"figures.bin", "application/octet-stream", std::string(20000, '\x7F'), ""});
    const std::string pst = dir.file("store.pst");
    ASSERT_TRUE(test::writePstFile(pst, {inbox}));

    const Outcome list = runCli({"list-pst", pst}, dir);
    if (list.err.find("cannot read .pst") != std::string::npos) GTEST_SKIP() << "built without libpff";
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "Inbox\n  Reports\n");

    const Outcome archive = runCli({"archive", "--to", dir.file("archive"), pst}, dir);
    EXPECT_EQ(archive.status, 0) << archive.err;
    EXPECT_EQ(archive.err, "");
    EXPECT_NE(archive.out.find("2 folders\n3 messages total\n"), std::string::npos) << archive.out;
    std::vector<std::string> saved;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("archive/Inbox/Reports/attachments"))) {
        if (entry.path().extension() == ".bin") saved.push_back(entry.path().string());
    }
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(test::readFile(saved[0]), std::string(20000, '\x7F'));
}

}  // namespace
}  // namespace tessaly
