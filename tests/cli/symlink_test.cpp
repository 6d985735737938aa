// symlink_test.cpp - links planted in an archive folder (a shared or synced
// one) are never followed, removed or replaced by a run: the write they
// meet is one problem line and the rest of the run is archived.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

const char kMessage[] =
    "From sender@example.org Thu Sep  5 14:30:07 2002\n"
    "From: Ann <ann@example.org>\n"
    "To: Bob <bob@example.org>\n"
    "Subject: SUBJECT\n"
    "Date: Thu, 5 Sep 2002 14:DD:07 +0200\n"
    "Message-ID: <ID@example.org>\n"
    "MIME-Version: 1.0\n"
    "Content-Type: multipart/mixed; boundary=\"b\"\n"
    "\n"
    "--b\n"
    "Content-Type: text/plain\n"
    "\n"
    "Body of SUBJECT.\n"
    "--b\n"
    "Content-Type: application/octet-stream; name=\"ID.bin\"\n"
    "Content-Disposition: attachment; filename=\"ID.bin\"\n"
    "\n"
    "Attachment of SUBJECT.\n"
    "--b--\n"
    "\n";

std::string message(const std::string& subject, const std::string& minute, const std::string& id) {
    std::string text = kMessage;
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"SUBJECT", subject}, {"DD", minute}, {"ID", id}}) {
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
            text.replace(at, from.size(), to);
        }
    }
    return text;
}

// Every regular file below `root` (not through links), relative to it.
std::set<std::string> filesBelow(const std::string& root) {
    std::set<std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it->is_symlink()) continue;
        if (it->is_regular_file()) files.insert(fs::relative(it->path(), root).string());
    }
    return files;
}

// The page or EML file of the first message of Inbox, by its subject.
std::string firstOf(const std::set<std::string>& files, const std::string& extension) {
    for (const std::string& f : files) {
        if (f.starts_with("Inbox/") && f.find("First") != std::string::npos && f.ends_with(extension)) return f;
    }
    return std::string();
}

class PlantedLinks : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeFile(dir.file("Inbox.bmf"), message("First one", "01", "first") + message("Second one", "02", "second"));
        test::writeFile(dir.file("Sent.bmf"), message("Third one", "03", "third"));
        fs::create_directories(dir.file("outside"));
    }

    Outcome archive(const std::string& to, const std::string& format = "html") {
        return runCli({"archive", "--format", format, "--to", to, dir.file("Inbox.bmf"), dir.file("Sent.bmf")}, dir);
    }

    // What a run without links writes.
    std::set<std::string> clean(const std::string& format) {
        const std::string to = dir.file("clean-" + format);
        const Outcome o = archive(to, format);
        EXPECT_EQ(o.status, 0) << o.err;
        return filesBelow(to);
    }

    test::TempDir dir;
};

TEST_F(PlantedLinks, NoWriteFollowsALinkAndEachIsOneProblem) {
    const std::set<std::string> html = clean("html");
    const std::set<std::string> eml = clean("eml");
    const std::string firstPage = firstOf(html, ".html");
    const std::string firstEml = firstOf(eml, ".eml");
    ASSERT_FALSE(firstPage.empty());
    ASSERT_FALSE(firstEml.empty());
    ASSERT_TRUE(std::any_of(html.begin(), html.end(),
                            [](const std::string& f) { return f.starts_with("Inbox/attachments/first"); }));
    ASSERT_TRUE(html.count("index.html"));

    struct Case {
        const char* reason;
        std::string format;
        std::string at;           // where the link is planted, below the archive root
        bool toFolder;            // a link to the outside folder, else to a missing file in it
        std::string problem;      // what stderr must say
        std::vector<std::string> lost;  // files (or folders) of the clean run this run cannot write
    };
    const std::vector<Case> cases = {
        {"a source folder's subfolder", "html", "Inbox", true, "Too many levels of symbolic links", {"Inbox/"}},
        // Every message there has an attachment: no page goes in place without it.
        {"the attachments folder", "html", "Inbox/attachments", true, "Too many levels of symbolic links", {"Inbox/"}},
        {"the exact name of a page", "html", firstPage, false, "Too many levels of symbolic links",
         {firstPage, "Inbox/attachments/first"}},
        {"the exact name of an EML file", "eml", firstEml, false, "Too many levels of symbolic links", {firstEml}},
        {"the archive's hidden folder", "html", ".tessaly", true, "catalogue cannot be kept", {}},
        {"the catalogue's database file", "html", ".tessaly/catalogue.sqlite", false, "catalogue cannot be kept", {}},
        {"the root's index page", "html", "index.html", false, "index.html could not be written", {}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const std::string root = dir.file("archive" + std::to_string(++n));
        const std::string outside = dir.file("outside/" + std::to_string(n));
        fs::create_directories(outside);
        const std::string target = c.toFolder ? outside : outside + "/planted";
        fs::create_directories(fs::path(root + "/" + c.at).parent_path());
        fs::create_symlink(target, root + "/" + c.at);

        const Outcome o = archive(root, c.format);
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_NE(o.err.find(c.problem), std::string::npos) << o.err;
        EXPECT_TRUE(fs::is_empty(outside)) << "written through the link";
        if (!fs::is_symlink(root + "/" + c.at)) {
            ADD_FAILURE() << "the link was removed or replaced";
            continue;
        }
        EXPECT_EQ(fs::read_symlink(root + "/" + c.at), target);
        // Every other message is archived, with its attachment.
        const std::set<std::string> written = filesBelow(root);
        for (const std::string& f : c.format == "html" ? html : eml) {
            const bool ofAMessage = f.find(" one") != std::string::npos || f.find("attachments/") != std::string::npos;
            const bool lost = std::any_of(c.lost.begin(), c.lost.end(), [&](const std::string& p) { return f.starts_with(p); });
            if (ofAMessage && !lost) {
                EXPECT_TRUE(written.count(f)) << f;
            }
        }
        const std::string sent = c.format == "html" ? ".html" : ".eml";
        EXPECT_TRUE(std::any_of(written.begin(), written.end(),
                                [&](const std::string& f) { return f.starts_with("Sent/") && f.ends_with(sent); }));
    }
}

TEST_F(PlantedLinks, LinksNamedLikeStagedFilesAreLeftAlone) {
    // A staged file's name holds a number that cannot be foretold; a link
    // named like one of an ended process is what the clearing of leftovers
    // would meet.
    const std::string root = dir.file("archive");
    fs::create_directories(root + "/Inbox/attachments");
    test::writeFile(dir.file("outside/kept"), "theirs");
    const std::vector<std::string> planted = {"Inbox/.tessaly-999999999-1.tmp",
                                              "Inbox/attachments/.tessaly-999999999-2.tmp",
                                              "Inbox/.tessaly-999999999-3.journal", ".tessaly-999999999-4.tmp"};
    for (const std::string& at : planted) fs::create_symlink(dir.file("outside/kept"), root + "/" + at);

    const Outcome o = archive(root);
    EXPECT_EQ(o.status, 0) << o.err;
    for (const std::string& at : planted) EXPECT_TRUE(fs::is_symlink(root + "/" + at)) << at;
    EXPECT_EQ(test::readFile(dir.file("outside/kept")), "theirs");
    EXPECT_EQ(filesBelow(dir.file("outside")), std::set<std::string>{"kept"});
    EXPECT_TRUE(fs::exists(root + "/index.html"));
}

}  // namespace
}  // namespace tessaly
