// help_loader_test.cpp - cutting help topics, their links, the one-time
// note, and the topic files the program links to.
#include "app/help_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "app/dispatch.h"
#include "platform/folders.h"
#include "support/temp_dir.h"
#include "tests/app/fake_shell.h"

namespace tessaly {
namespace {

TEST(CutHelpBody, FindsHeadingAndBodyEnd) {
    struct Case {
        const char* file;
        const char* expected;  // null: no body
    };
    const Case cases[] = {
        {"<html><body><h2>Title</h2><p>Text</p></body></html>", "<h2>Title</h2><p>Text</p>"},
        // Tags in upper or mixed case.
        {"<HTML><BODY><H2>Title</H2>Text</BODY></HTML>", "<H2>Title</H2>Text"},
        {"<h2>A</h2>B</Body>\n</html>\n", "<h2>A</h2>B"},
        // Only the first heading starts the part; the last "</body>" ends it.
        {"<p>x</p><h2>one</h2><h2>two</h2></body></body>", "<h2>one</h2><h2>two</h2></body>"},
        // No heading, no body end, or the end before the heading.
        {"<html><body><h1>Title</h1></body></html>", nullptr},
        {"<html><body><h2>Title</h2></html>", nullptr},
        {"</body><h2>late heading</h2>and more", nullptr},
        // Too short to hold anything.
        {"</body>", nullptr},
        {"", nullptr},
        // "</body>" must start at least 7 bytes before the end; exactly there is fine.
        {"<h2>x</body>", "<h2>x"},
        // The heading may end right where "</body>" begins...
        {"abc<h2></body>", "<h2>"},
        // ...but one within the last seven bytes is not searched.
        {"</body><h2>", nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> body = cutHelpBody(c.file);
        if (c.expected) {
            ASSERT_TRUE(body.has_value()) << c.file;
            EXPECT_EQ(*body, c.expected) << c.file;
        } else {
            EXPECT_FALSE(body.has_value()) << c.file;
        }
    }
}

TEST(CutHelpBody, TurnsTopicFileLinksIntoHelpLinks) {
    const std::optional<std::string> body = cutHelpBody(
        "<h2>T</h2><a href=\"help_cd.html\">cd</a> <a HREF=\"help_x.html\">x</a> "
        "<a href=\"Help_y.html\">y</a> <a href=\"help_\">z</a></body>");
    ASSERT_TRUE(body);
    EXPECT_EQ(*body,
              "<h2>T</h2><a href=\"help:cd.html\">cd</a> <a HREF=\"help_x.html\">x</a> "
              "<a href=\"Help_y.html\">y</a> <a href=\"help:\">z</a>");
}

TEST(CutHelpBody, SurvivesEveryTruncation) {
    const std::string file = "<html><body><h2>Title</h2><a href=\"help_cd.html\">x</a></body></html>";
    for (size_t n = 0; n <= file.size(); ++n) {
        const std::optional<std::string> body = cutHelpBody(std::string_view(file).substr(0, n));
        if (body) {
            EXPECT_EQ(body->rfind("<h2>", 0), 0u);
        }
    }
}

TEST(HelpPage, ErrorLineAndTheNoteShownOnce) {
    test::FakeShell shell;
    ArchiveRun run;
    Wizard wizard(shell, run);
    dispatch(wizard, "webf:save");
    dispatch(wizard, "help:no_such_topic.html");
    const std::string note = "<p>(Within the help system, at any time, click the return button ";
    EXPECT_NE(shell.lastPage().find("<p>Error loading help... " + dataFolder() + "/help_no_such_topic.html</p>\r\n"),
              std::string::npos);
    EXPECT_NE(shell.lastPage().find(note + "<a href=\"webf:save\"><img style=\"border: 0;\" "
                                           "src=\"return_transp.gif\" srcset=\"return_transp@2x.gif 2x\" width=15 height=15></a> at the top"),
              std::string::npos);
    dispatch(wizard, "help:index.html");
    EXPECT_EQ(shell.lastPage().find(note), std::string::npos);
    EXPECT_TRUE(wizard.helpNoteShown);

    // A topic is a file name, never a path.
    EXPECT_EQ(helpFilePath("help:../../etc/passwd"), "");
    dispatch(wizard, "help:../x.html");
    EXPECT_NE(shell.lastPage().find("<p>Error loading help... help:../x.html</p>"), std::string::npos);
}

TEST(HelpPage, NoteWithoutReturnTarget) {
    test::FakeShell shell;
    ArchiveRun run;
    Wizard wizard(shell, run);
    dispatch(wizard, "help:index.html");
    EXPECT_NE(shell.lastPage().find("click the return button <img src=\"return_transp.gif\" srcset=\"return_transp@2x.gif 2x\" width=15 height=15> "
                                    "at the top to get back to the program proper, or the index button "
                                    "<a href=\"help:index.html\"><img style=\"border: 0;\" src=\"index_transp.gif\" srcset=\"index_transp@2x.gif 2x\" "
                                    "width=15 height=15></a> for a list of all help topics.)</p>\r\n\r\n"),
              std::string::npos);
}

// Every "help:" link in the program's sources and in the help topics has a
// topic file with a body, and every image and stylesheet the pages name is
// in the data folder.
TEST(HelpFiles, EveryLinkedTopicExists) {
    namespace fs = std::filesystem;
    const fs::path top = fs::path(TESSALY_TEST_DATA_DIR).parent_path().parent_path();
    std::set<std::string> topics;
    const std::regex link("help:([A-Za-z0-9_]+(\\.html)?)");
    const std::regex fileLink("href=\"help_([A-Za-z0-9_]+\\.html)\"");
    auto collect = [&](const fs::path& file, const std::regex& pattern) {
        std::ifstream in(file, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
            topics.insert((*it)[1]);
        }
    };
    for (const char* folder : {"app", "archive", "message", "sources", "mapi"}) {
        if (!fs::exists(top / folder)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(top / folder)) {
            if (entry.path().extension() == ".cpp" || entry.path().extension() == ".h") collect(entry.path(), link);
        }
    }
    for (const auto& entry : fs::directory_iterator(top / "data")) {
        if (entry.path().filename().string().rfind("help_", 0) == 0) collect(entry.path(), fileLink);
    }
    ASSERT_GT(topics.size(), 30u);
    for (const std::string& topic : topics) {
        std::string name = "help_" + topic;
        // The mailbox packer links to a topic without ".html"; the loader adds it.
        if (name.find('.') == std::string::npos) name += ".html";
        const std::string text = test::readFile((top / "data" / name).string());
        EXPECT_TRUE(cutHelpBody(text).has_value()) << name;
    }
    for (const char* file : {"dialog.css", "back.gif", "back_dis.gif", "for.gif", "for_dis.gif", "help.gif",
                             "help_dis.gif", "index.gif", "return.gif", "return_dis.gif", "return_transp.gif",
                             "index_transp.gif", "help_transp.gif"}) {
        EXPECT_TRUE(fs::exists(top / "data" / file)) << file;
        // Each image also drawn for screens of device scale 2.
        const std::string name = file;
        if (name.ends_with(".gif")) {
            const std::string twice = name.substr(0, name.size() - 4) + "@2x.gif";
            EXPECT_TRUE(fs::exists(top / "data" / twice)) << twice;
        }
    }
}

}  // namespace
}  // namespace tessaly
