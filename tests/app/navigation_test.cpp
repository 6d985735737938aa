// navigation_test.cpp - the dispatcher, the page history and the toolbar.
#include <gtest/gtest.h>

#include "app/dispatch.h"
#include "app/page_frame.h"
#include "tests/app/fake_shell.h"

namespace tessaly {
namespace {

using test::FakeShell;

constexpr const char* kHead =
    "<html><head>\r\n<meta charset=\"utf-8\">\r\n<meta http-equiv=\"MSThemeCompatible\" content=\"Yes\">\r\n"
    "<link rel=stylesheet type=\"text/css\" href=\"dialog.css\" title=\"webform dialog\">\r\n"
    "</head><body>\r\n\r\n";
constexpr const char* kEnd = "\r\n</body></html>\r\n";

class NavigationTest : public ::testing::Test {
protected:
    FakeShell shell;
    ArchiveRun run;
    Wizard wizard{shell, run};

    const Navigation& nav() const { return wizard.nav; }
    std::deque<std::string> list(std::initializer_list<const char*> items) {
        return std::deque<std::string>(items.begin(), items.end());
    }
    bool shownPageContains(const std::string& text) const {
        return shell.lastPage().find(text) != std::string::npos;
    }
};

TEST_F(NavigationTest, FirstPageHasNoHistory) {
    dispatch(wizard, "webf:bmf_choose");
    EXPECT_EQ(nav().currentPage, "webf:bmf_choose");
    EXPECT_TRUE(nav().history.empty());
    EXPECT_TRUE(shownPageContains("back_dis.gif"));
    EXPECT_TRUE(shownPageContains("for_dis.gif"));
}

TEST_F(NavigationTest, BackAndForwardMoveBetweenTheLists) {
    dispatch(wizard, "webf:bmf_choose?mailsource=bmf");
    dispatch(wizard, "webf:save");
    dispatch(wizard, "webf:emlbmf.html");
    EXPECT_EQ(nav().history, list({"webf:save", "webf:bmf_choose"}));  // queries are dropped

    dispatch(wizard, "history:");
    dispatch(wizard, "history:");
    EXPECT_EQ(nav().currentPage, "webf:bmf_choose");
    EXPECT_TRUE(nav().history.empty());
    EXPECT_EQ(nav().future, list({"webf:save", "webf:emlbmf.html"}));
    EXPECT_TRUE(shownPageContains("<a href=\"future:\"><img src=\"for.gif\" srcset=\"for@2x.gif 2x\""));
    // The page shown again is the one without its query.
    EXPECT_NE(shell.lastPage().find("<h2>BMF / IMAP Server</h2>"), std::string::npos);

    dispatch(wizard, "future:");
    EXPECT_EQ(nav().currentPage, "webf:save");
    EXPECT_EQ(nav().history, list({"webf:bmf_choose"}));
    EXPECT_EQ(nav().future, list({"webf:emlbmf.html"}));

    // A new page always empties the future.
    dispatch(wizard, "webf:bmf_choose");
    EXPECT_TRUE(nav().future.empty());
    EXPECT_EQ(nav().history, list({"webf:save", "webf:bmf_choose"}));
}

TEST_F(NavigationTest, EmptyListsLeaveEverythingAlone) {
    dispatch(wizard, "webf:save");
    const size_t shown = shell.pages.size();
    dispatch(wizard, "history:");
    dispatch(wizard, "future:");
    dispatch(wizard, "return:");  // help was never opened
    EXPECT_EQ(shell.pages.size(), shown);
    EXPECT_EQ(nav().currentPage, "webf:save");
    EXPECT_TRUE(nav().history.empty());
    EXPECT_TRUE(nav().future.empty());
}

TEST_F(NavigationTest, ReturnLeadsBackToWhereHelpWasFirstAsked) {
    dispatch(wizard, "webf:bmf_choose");
    dispatch(wizard, "help:bmf_choose.html");
    EXPECT_EQ(nav().returnTarget, "webf:bmf_choose");
    dispatch(wizard, "help:index.html");
    // A chain of help pages keeps the wizard page as the target.
    EXPECT_EQ(nav().returnTarget, "webf:bmf_choose");
    EXPECT_TRUE(shownPageContains("<a href=\"return:\"><img src=\"return.gif\" srcset=\"return@2x.gif 2x\""));

    dispatch(wizard, "return:");
    EXPECT_EQ(nav().currentPage, "webf:bmf_choose");
    EXPECT_TRUE(nav().history.empty());
    EXPECT_EQ(nav().future, list({"help:bmf_choose.html", "help:index.html"}));
    EXPECT_NE(shell.lastPage().find("<h2>BMF / IMAP Server</h2>"), std::string::npos);
}

TEST_F(NavigationTest, ReturnRefillsAHistoryThatRunsOut) {
    dispatch(wizard, "webf:save");
    dispatch(wizard, "help:save.html");
    // Back to the wizard page, then forward again to help: the target is no
    // longer in the history.
    dispatch(wizard, "history:");
    dispatch(wizard, "future:");
    wizard.nav.history.clear();
    dispatch(wizard, "return:");
    EXPECT_EQ(nav().currentPage, "webf:save");
    EXPECT_TRUE(nav().history.empty());
    EXPECT_EQ(nav().future, list({"help:save.html"}));
}

TEST_F(NavigationTest, HelpOpenedFromHelpKeepsTheTarget) {
    dispatch(wizard, "help:index.html");  // no wizard page before it
    EXPECT_EQ(nav().returnTarget, "");
    EXPECT_TRUE(shownPageContains("return_dis.gif"));
    dispatch(wizard, "webf:save");
    dispatch(wizard, "help:save.html");
    EXPECT_EQ(nav().returnTarget, "webf:save");
}

TEST_F(NavigationTest, DialogsAndOtherSchemesLeaveTheHistory) {
    dispatch(wizard, "webf:save");
    wizard.settings.savedir = "/srv/archive";
    dispatch(wizard, "dlg:saveas");  // "save" must be the whole action
    EXPECT_TRUE(shell.folderRequests.empty());
    dispatch(wizard, "dlg:save");
    EXPECT_EQ(shell.folderRequests.size(), 1u);
    dispatch(wizard, "dlg:browse.html");
    EXPECT_EQ(shell.exploredFolders, std::vector<std::string>{"/srv/archive"});
    dispatch(wizard, "dlg:unknown");
    dispatch(wizard, "http://example.org/");
    dispatch(wizard, "mailto:ann@example.org");
    EXPECT_EQ(shell.openedUrls, (std::vector<std::string>{"http://example.org/", "mailto:ann@example.org"}));
    dispatch(wizard, "res://ieframe.dll/navcancl.htm");
    EXPECT_EQ(shell.pages.size(), 1u);
    EXPECT_EQ(nav().currentPage, "webf:save");
    EXPECT_TRUE(nav().history.empty());
}

TEST_F(NavigationTest, UnknownPagesAreEmptyAndFailuresStillMove) {
    dispatch(wizard, "webf:nothing");
    EXPECT_EQ(shell.lastPage(), std::string(kHead) + kEnd);
    shell.refusePages = true;
    dispatch(wizard, "webf:save?x=1");
    EXPECT_EQ(nav().currentPage, "webf:save");
    EXPECT_EQ(nav().history, list({"webf:nothing"}));
}

TEST_F(NavigationTest, LinksAreDeadDuringARun) {
    run.running = true;
    followLink(wizard, "webf:save?mailsource=bmf", decodeQuery("webf:save?mailsource=bmf"));
    EXPECT_TRUE(shell.pages.empty());
    EXPECT_EQ(wizard.settings.source, "");
    run.running = false;
    followLink(wizard, "webf:save?mailsource=bmf", decodeQuery("webf:save?mailsource=bmf"));
    EXPECT_EQ(wizard.settings.source, "bmf");
    EXPECT_EQ(shell.pages.size(), 1u);
}

TEST_F(NavigationTest, ToolbarButtons) {
    const std::string start = "<table class=\"top\" style=\"width: 100%;\" cellspacing=0>\r\n<tr>\r\n";
    const std::string backOff = "<td style=\"width: 15px;\"><img src=\"back_dis.gif\" srcset=\"back_dis@2x.gif 2x\" width=15 height=15></td>\r\n";
    const std::string backOn =
        "<td style=\"width: 15px;\"><a href=\"history:\"><img src=\"back.gif\" srcset=\"back@2x.gif 2x\" width=15 height=15></td>\r\n";
    const std::string forOff = "<td style=\"width: 15px;\"><img src=\"for_dis.gif\" srcset=\"for_dis@2x.gif 2x\" width=15 height=15></td>\r\n";
    const std::string forOn =
        "<td style=\"width: 15px;\"><a href=\"future:\"><img src=\"for.gif\" srcset=\"for@2x.gif 2x\" width=15 height=15></td>\r\n";
    const std::string gap = "<td style=\"font-size: 13px;\"></td>\r\n";
    const std::string end = "</table>\r\n\r\n";

    std::string page;
    writeToolbar(wizard, page, "help:save.html", true);
    EXPECT_EQ(page, start + backOff + forOff + gap +
                        "<td style=\"width: 15px;\"><a href=\"help:save.html\"><img src=\"help.gif\" srcset=\"help@2x.gif 2x\" width=15 "
                        "height=15></a></td>\r\n" +
                        end);

    wizard.nav.history = list({"webf:intro"});
    wizard.nav.future = list({"webf:done"});
    page.clear();
    writeToolbar(wizard, page, "help:save.html", true);
    EXPECT_EQ(page.substr(start.size(), backOn.size() + forOn.size()), backOn + forOn);

    // The archiving page: nothing leads away from it.
    page.clear();
    writeToolbar(wizard, page, "", true);
    EXPECT_EQ(page, start + backOff + forOff + gap +
                        "<td style=\"width: 15px;\"><img src=\"help_dis.gif\" srcset=\"help_dis@2x.gif 2x\" width=15 height=15></td>\r\n" + end);

    // Help pages: index, and return once a wizard page asked for help.
    page.clear();
    writeToolbar(wizard, page, "", false);
    const std::string index =
        "<td style=\"width: 15px;\"><a href=\"help:index.html\"><img src=\"index.gif\" srcset=\"index@2x.gif 2x\" width=15 height=15></a>"
        "</td>\r\n<td style=\"width: 15px;\">";
    EXPECT_EQ(page, start + backOn + forOn + gap + index +
                        "<img src=\"return_dis.gif\" srcset=\"return_dis@2x.gif 2x\" width=15 height=15></td>\r\n" + end);
    wizard.nav.returnTarget = "webf:intro";
    page.clear();
    writeToolbar(wizard, page, "", false);
    EXPECT_EQ(page, start + backOn + forOn + gap + index +
                        "<a href=\"return:\"><img src=\"return.gif\" srcset=\"return@2x.gif 2x\" width=15 height=15></a></td>\r\n" + end);
}

}  // namespace
}  // namespace tessaly
