// gui_test.cpp - the wizard in its real window: links and forms reach the
// dispatcher, keys navigate, and a run shows progress and ends on the
// finish page. Runs under a virtual display (xvfb-run).
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "app/dispatch.h"
#include "app/gtk/gtk_shell.h"
#include "app/progress_counts.h"
#include "app/window_size.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

bool displayReady = false;

// Runs the main loop until `done` holds or about ten seconds pass.
bool spinUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(1000);
    }
    return true;
}

// The text of the page shown, read through a script.
std::string pageText(TWebf& webform) {
    struct Result {
        std::string text;
        bool done = false;
    } result;
    WebKitWebView* view = WEBKIT_WEB_VIEW(webform.widget());
    webkit_web_view_evaluate_javascript(
        view, "document.body ? document.body.innerText : ''", -1, nullptr, nullptr, nullptr,
        +[](GObject* source, GAsyncResult* res, gpointer data) {
            auto* r = static_cast<Result*>(data);
            if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), res, nullptr)) {
                gchar* text = jsc_value_to_string(value);
                r->text = text ? text : "";
                g_free(text);
                g_object_unref(value);
            }
            r->done = true;
        },
        &result);
    spinUntil([&] { return result.done; });
    return result.text;
}

GdkEventKey key(guint keyval, GdkModifierType state = GdkModifierType(0)) {
    GdkEventKey event{};
    event.type = GDK_KEY_PRESS;
    event.keyval = keyval;
    event.state = state;
    return event;
}

// A key event at the main window as the X server would deliver it: through
// GTK's event dispatch, so that the window and the page in it both see it,
// each with a time of its own.
void sendKey(GtkWidget* window, GdkEventType type, guint keyval, guint state) {
    static guint32 time = 1000;
    if (!gtk_widget_get_window(window)) return;  // closed by the key before
    GdkDisplay* display = gtk_widget_get_display(window);
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &count);
    GdkEvent* event = gdk_event_new(type);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    event->key.time = time += 40;
    event->key.state = state;
    event->key.keyval = keyval;
    event->key.hardware_keycode = count > 0 ? guint16(keys[0].keycode) : 0;
    event->key.is_modifier = keyval == GDK_KEY_Control_L;
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
    g_free(keys);
    gtk_main_do_event(event);
    gdk_event_free(event);
}

// Lets the page answer the keys so far, as the pause between a person's
// keys would.
void pause() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
    while (std::chrono::steady_clock::now() < until) {
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(1000);
    }
}

// Presses and releases one key, with the modifiers in `state` held.
void typeAtWindow(GtkWidget* window, guint keyval, guint state = 0) {
    g_object_ref(window);  // the key may close it
    sendKey(window, GDK_KEY_PRESS, keyval, state);
    sendKey(window, GDK_KEY_RELEASE, keyval, state);
    g_object_unref(window);
    pause();
}

// Holds Ctrl down, types the letters and lets Ctrl go.
void typeWithCtrl(GtkWidget* window, std::initializer_list<guint> letters) {
    sendKey(window, GDK_KEY_PRESS, GDK_KEY_Control_L, 0);
    for (const guint letter : letters) typeAtWindow(window, letter, GDK_CONTROL_MASK);
    sendKey(window, GDK_KEY_RELEASE, GDK_KEY_Control_L, GDK_CONTROL_MASK);
}

class Gui : public ::testing::Test {
protected:
    void SetUp() override {
        if (!displayReady) GTEST_SKIP() << "no display (run under xvfb-run)";
        shell = std::make_unique<GtkShell>();
    }
    void TearDown() override { shell.reset(); }

    // Shows a page of our own and waits until it has loaded.
    void show(const std::string& html) {
        const unsigned before = shell->webform()->loadsFinished();
        ASSERT_TRUE(shell->showPage(html));
        ASSERT_TRUE(spinUntil([&] { return shell->webform()->loadsFinished() > before; }));
    }
    void startOn(const std::vector<std::string>& files) {
        const unsigned before = shell->webform()->loadsFinished();
        ASSERT_TRUE(shell->start(files));
        ASSERT_TRUE(spinUntil([&] { return shell->webform()->loadsFinished() > before; }));
    }
    // Waits for the dispatcher to move to another page.
    bool waitForPage(const std::string& page) {
        return spinUntil([&] { return shell->wizard().nav.currentPage == page; });
    }

    test::TempDir dir;
    std::unique_ptr<GtkShell> shell;
};

TEST(PageFiles, NamesCountUpAndWrapAt100000) {
    std::set<std::string> taken;
    auto isTaken = [&](const std::string& n) { return taken.count(n) > 0; };
    EXPECT_EQ(TWebf::pageFileName(123456, isTaken), "wbf1235.html");
    taken.insert("wbf1235.html");
    EXPECT_EQ(TWebf::pageFileName(123456, isTaken), "wbf1236.html");  // same tenth of a second
    EXPECT_EQ(TWebf::pageFileName(9999999, isTaken), "wbf0.html");     // 100000 wraps to 0
}

TEST_F(Gui, APageShownBeforeThePreviousOneLoadedIsShown) {
    startOn({});
    // The second page follows the first after no, one or a few turns of the
    // main loop: before and after WebKit asks whether the first may load.
    for (const int turns : {0, 1, 2, 3, 5, 8, 13, 20}) {
        SCOPED_TRACE(turns);
        ASSERT_TRUE(shell->showPage("<html><head></head><body>first</body></html>"));
        for (int i = 0; i < turns; ++i) g_main_context_iteration(nullptr, FALSE);
        ASSERT_TRUE(shell->showPage("<html><head></head><body>second " + std::to_string(turns) + "</body></html>"));
        WebKitWebView* view = WEBKIT_WEB_VIEW(shell->webform()->widget());
        ASSERT_TRUE(spinUntil([&] { return !webkit_web_view_is_loading(view) && shell->webform()->shownFile().empty(); }))
            << "the second page never finished loading";
        EXPECT_EQ(pageText(*shell->webform()), "second " + std::to_string(turns));
        // The program's own page is never taken for a link the user followed.
        EXPECT_EQ(shell->webform()->requestUrl(), "");
    }
}

TEST_F(Gui, ClickedLinkArrivesWithItsFields) {
    startOn({});
    show("<html><head></head><body><a id=\"l\" href=\"webf:intro?x=1&amp;y=a+b%21\">go</a></body></html>");
    shell->webform()->runScript("document.getElementById('l').click();");
    ASSERT_TRUE(spinUntil([&] { return !shell->webform()->requestUrl().empty(); }));
    EXPECT_EQ(shell->webform()->requestUrl(), "webf:intro?x=1&y=a+b%21");
    const FormFields expected = {{"x", "1"}, {"y", "a b!"}};
    EXPECT_EQ(shell->webform()->requestFields(), expected);
    EXPECT_TRUE(waitForPage("webf:intro"));
}

TEST_F(Gui, SubmittedFormArrivesWithItsFields) {
    startOn({});
    show("<html><head></head><body><form id=\"f\" action=\"webf:save\">"
         "<input type=\"text\" name=\"savedir\" value=\"/tmp/a b\">"
         "<input type=\"checkbox\" checked name=\"eid3\">"
         "<input type=\"radio\" name=\"saveformat\" value=\"eml\" checked></form></body></html>");
    shell->webform()->runScript("document.getElementById('f').submit();");
    ASSERT_TRUE(spinUntil([&] { return !shell->webform()->requestUrl().empty(); }));
    EXPECT_EQ(shell->webform()->requestUrl().rfind("webf:save?", 0), 0u);
    const FormFields expected = {{"savedir", "/tmp/a b"}, {"eid3", "on"}, {"saveformat", "eml"}};
    EXPECT_EQ(shell->webform()->requestFields(), expected);
    EXPECT_TRUE(waitForPage("webf:save"));
    EXPECT_EQ(shell->wizard().settings.saveformat, "eml");
}

TEST_F(Gui, BackspaceEditsATextFieldAndGoesBackElsewhere) {
    startOn({});
    const unsigned before = shell->webform()->loadsFinished();
    followLink(shell->wizard(), "webf:save", {});
    ASSERT_TRUE(spinUntil([&] { return shell->webform()->loadsFinished() > before; }));
    ASSERT_EQ(shell->wizard().nav.currentPage, "webf:save");
    shell->webform()->runScript("var t = document.querySelector('input[type=text]'); if (t) t.focus();");
    ASSERT_TRUE(spinUntil([&] { return shell->focusIsTextInput(); }));
    EXPECT_FALSE(shell->handleKey(key(GDK_KEY_BackSpace)));  // left to the field
    EXPECT_EQ(shell->wizard().nav.currentPage, "webf:save");

    shell->webform()->runScript("document.activeElement.blur();");
    ASSERT_TRUE(spinUntil([&] { return !shell->focusIsTextInput(); }));
    EXPECT_TRUE(shell->handleKey(key(GDK_KEY_BackSpace)));
    EXPECT_TRUE(waitForPage("webf:intro"));
}

TEST_F(Gui, CtrlWordsOpenTheEmlPageOnlyWhenTypedWhole) {
    startOn({});
    for (guint k : {GDK_KEY_b, GDK_KEY_x, GDK_KEY_m, GDK_KEY_f}) shell->handleKey(key(k, GDK_CONTROL_MASK));
    for (int i = 0; i < 50; ++i) g_main_context_iteration(nullptr, FALSE);
    EXPECT_EQ(shell->wizard().nav.currentPage.find("emlbmf"), std::string::npos);
    for (guint k : {GDK_KEY_b, GDK_KEY_m, GDK_KEY_f}) shell->handleKey(key(k, GDK_CONTROL_MASK));
    EXPECT_TRUE(spinUntil([&] { return shell->wizard().nav.currentPage.find("emlbmf") != std::string::npos; }));
}

TEST_F(Gui, CtrlWordsTypedAtTheWindowOpenTheEmlPage) {
    startOn({});
    const auto onEmlPage = [&] { return shell->wizard().nav.currentPage.find("emlbmf") != std::string::npos; };
    typeWithCtrl(shell->window(), {GDK_KEY_e, GDK_KEY_m, GDK_KEY_l});
    EXPECT_TRUE(spinUntil(onEmlPage));
    // Ctrl let go and pressed again for each letter counts the same.
    followLink(shell->wizard(), "webf:intro", {});
    ASSERT_TRUE(waitForPage("webf:intro"));
    for (const guint letter : {GDK_KEY_b, GDK_KEY_m, GDK_KEY_f}) typeWithCtrl(shell->window(), {letter});
    EXPECT_TRUE(spinUntil(onEmlPage));
    // A wrong letter between still spoils the word.
    followLink(shell->wizard(), "webf:intro", {});
    ASSERT_TRUE(waitForPage("webf:intro"));
    typeWithCtrl(shell->window(), {GDK_KEY_b, GDK_KEY_x, GDK_KEY_m, GDK_KEY_f});
    EXPECT_EQ(shell->wizard().nav.currentPage, "webf:intro");
}

TEST_F(Gui, F1ShowsTheHelpOfThePageShown) {
    startOn({});
    // Each page loaded before the next key, as a person would see it first.
    const auto loaded = [&](const std::function<void()>& action) {
        const unsigned before = shell->webform()->loadsFinished();
        action();
        return spinUntil([&] { return shell->webform()->loadsFinished() > before; });
    };
    const auto pressF1 = [&] { typeAtWindow(shell->window(), GDK_KEY_F1); };
    ASSERT_TRUE(loaded([&] { followLink(shell->wizard(), "webf:save", {}); }));
    ASSERT_TRUE(loaded(pressF1));
    EXPECT_EQ(shell->wizard().nav.currentPage, "help:save.html");
    ASSERT_TRUE(loaded(pressF1));  // on a help page: the index
    EXPECT_EQ(shell->wizard().nav.currentPage, "help:index.html");
    ASSERT_TRUE(loaded([&] { followLink(shell->wizard(), "webf:dbx_choose", {}); }));
    ASSERT_TRUE(loaded(pressF1));
    EXPECT_EQ(shell->wizard().nav.currentPage, "help:dbx_choose.html");
}

TEST_F(Gui, CtrlQAndCtrlWCloseTheWindow) {
    startOn({});
    typeAtWindow(shell->window(), GDK_KEY_q, GDK_CONTROL_MASK);
    EXPECT_TRUE(shell->closed());
    shell = std::make_unique<GtkShell>();
    startOn({});
    typeAtWindow(shell->window(), GDK_KEY_a, GDK_CONTROL_MASK);  // other keys leave it open
    EXPECT_FALSE(shell->closed());
    typeAtWindow(shell->window(), GDK_KEY_W, GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
    EXPECT_TRUE(shell->closed());
}

// Answers every message box that opens with OK, keeping its text; stops
// when destroyed.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer() {
        source_ = g_timeout_add(20, +[](gpointer data) -> gboolean {
            auto* self = static_cast<MessageBoxAnswerer*>(data);
            GList* windows = gtk_window_list_toplevels();
            for (GList* w = windows; w; w = w->next) {
                if (!GTK_IS_MESSAGE_DIALOG(w->data) || !gtk_widget_get_visible(GTK_WIDGET(w->data))) continue;
                gchar* text = nullptr;
                g_object_get(w->data, "text", &text, nullptr);
                self->texts.push_back(text ? text : "");
                g_free(text);
                gtk_dialog_response(GTK_DIALOG(w->data), GTK_RESPONSE_OK);
            }
            g_list_free(windows);
            return G_SOURCE_CONTINUE;
        }, this);
    }
    ~MessageBoxAnswerer() { g_source_remove(source_); }
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    std::vector<std::string> texts;

private:
    guint source_ = 0;
};

TEST_F(Gui, CommandLineFilesThatCannotBeTakenShowTheStartPageAndSayWhy) {
    test::writeFile(dir.file("notes.txt"), "not a mailbox\n");
    MessageBoxAnswerer answerer;
    startOn({dir.file("missing.bmf"), dir.file("notes.txt")});
    EXPECT_FALSE(shell->closed());
    EXPECT_EQ(shell->wizard().nav.currentPage, "webf:intro");
    ASSERT_TRUE(spinUntil([&] { return !answerer.texts.empty(); }));
    EXPECT_NE(answerer.texts[0].find("The file " + dir.file("missing.bmf") + " was not found."), std::string::npos);
    EXPECT_NE(answerer.texts[0].find("The file notes.txt is not a valid Berkeley Mail Folder."), std::string::npos);
    EXPECT_NE(pageText(*shell->webform()).find("Where are your emails stored?"), std::string::npos);
}

// Clicks the link with that href in the page shown.
void clickLink(GtkShell& shell, const std::string& href) {
    shell.webform()->runScript("document.querySelector('a[href=\"" + href + "\"]').click();");
}

TEST_F(Gui, EmlFolderPackedFromTheStartPageAndArchived) {
    fs::create_directories(dir.file("mail/Inbox"));
    test::writeFile(dir.file("mail/Inbox/a.eml"), "From: a@example.org\nSubject: a\n\nFrom MAILER-DAEMON here\n");
    test::writeFile(dir.file("mail/Inbox/b.eml"), "From: b@example.org\nSubject: b\n\nbody b\n");
    startOn({});
    shell->wizard().settings.viruswarned = true;  // no modal warning after the run
    clickLink(*shell, "webf:emlbmf");
    ASSERT_TRUE(waitForPage("webf:emlbmf"));
    ASSERT_TRUE(spinUntil([&] { return pageText(*shell->webform()).find("Where are the EML messages?") != std::string::npos; }));
    shell->webform()->runScript("document.querySelector('input[name=emldir]').value = '" + dir.file("mail") +
                                "'; document.querySelector('input[type=submit]').click();");
    ASSERT_TRUE(waitForPage("webf:done"));
    EXPECT_EQ(shell->wizard().run.messageCount, 2u);
    const std::string mailbox = dir.file("mail/Inbox.bmf");
    ASSERT_TRUE(spinUntil([&] { return pageText(*shell->webform()).find(mailbox) != std::string::npos; }))
        << pageText(*shell->webform());
    EXPECT_NE(pageText(*shell->webform()).find("Archive this mailbox now"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.file("mail/folvane.css")));

    clickLink(*shell, "dlg:eml_mailboxes");
    ASSERT_TRUE(waitForPage("webf:save"));
    ASSERT_TRUE(spinUntil([&] { return pageText(*shell->webform()).find("Inbox.bmf") != std::string::npos; }));
    ASSERT_EQ(shell->wizard().settings.mailboxFiles.size(), 1u);
    EXPECT_EQ(shell->wizard().settings.mailboxFiles[0].fileName, "Inbox.bmf");
}

// A number the page computes, read through a script.
double pageNumber(TWebf& webform, const char* script) {
    struct Result {
        double number = -1;
        bool done = false;
    } result;
    webkit_web_view_evaluate_javascript(
        WEBKIT_WEB_VIEW(webform.widget()), script, -1, nullptr, nullptr, nullptr,
        +[](GObject* source, GAsyncResult* res, gpointer data) {
            auto* r = static_cast<Result*>(data);
            if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), res, nullptr)) {
                r->number = jsc_value_to_double(value);
                g_object_unref(value);
            }
            r->done = true;
        },
        &result);
    spinUntil([&] { return result.done; });
    return result.number;
}

TEST_F(Gui, CtrlPlusMinusAndZeroZoomThePage) {
    startOn({});
    GtkWidget* window = shell->window();
    WebKitWebView* view = WEBKIT_WEB_VIEW(shell->webform()->widget());
    const double normalWidth = pageNumber(*shell->webform(), "window.innerWidth");
    typeAtWindow(window, GDK_KEY_plus, GDK_CONTROL_MASK | GDK_SHIFT_MASK);
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(view), 1.1);
    typeAtWindow(window, GDK_KEY_equal, GDK_CONTROL_MASK);  // the same key without Shift
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(view), 1.2);
    typeAtWindow(window, GDK_KEY_KP_Add, GDK_CONTROL_MASK);
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(view), 1.33);
    // The page is laid out larger: fewer CSS pixels across the same window.
    EXPECT_LT(pageNumber(*shell->webform(), "window.innerWidth"), normalWidth * 0.8);
    // The next page keeps the zoom.
    const unsigned before = shell->webform()->loadsFinished();
    followLink(shell->wizard(), "webf:save", {});
    ASSERT_TRUE(spinUntil([&] { return shell->webform()->loadsFinished() > before; }));
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(view), 1.33);
    typeAtWindow(window, GDK_KEY_minus, GDK_CONTROL_MASK);
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(view), 1.2);
    typeAtWindow(window, GDK_KEY_KP_Subtract, GDK_CONTROL_MASK);
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(view), 1.1);
    typeAtWindow(window, GDK_KEY_0, GDK_CONTROL_MASK);
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(view), 1.0);
    typeAtWindow(window, GDK_KEY_minus, GDK_CONTROL_MASK);
    typeAtWindow(window, GDK_KEY_KP_0, GDK_CONTROL_MASK);
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(view), 1.0);
    EXPECT_DOUBLE_EQ(pageNumber(*shell->webform(), "window.innerWidth"), normalWidth);
    // Without Ctrl the keys are the page's.
    typeAtWindow(window, GDK_KEY_plus, GDK_SHIFT_MASK);
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(view), 1.0);
}

// A press and release of a mouse button over the page, as the X server
// delivers them.
void clickButton(GtkWidget* view, guint button) {
    static guint32 time = 5000;
    for (const GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(view)));
        event->button.time = time += 40;
        event->button.button = button;
        event->button.x = 50;
        event->button.y = 50;
        GdkDisplay* display = gtk_widget_get_display(view);
        gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(display)));
        gtk_main_do_event(event);
        gdk_event_free(event);
    }
    pause();
}

// Run once as it comes and once with GDK_SCALE=2 (CTest does both).
TEST_F(Gui, ToolbarImagesAreDrawnForTheScreensScale) {
    startOn({});
    const int scale = gtk_widget_get_scale_factor(shell->webform()->widget());
    ASSERT_TRUE(spinUntil([&] {
        return pageNumber(*shell->webform(),
                          "Array.from(document.images).every(function(i){return i.complete})?1:0") == 1;
    }));
    // Every image of the toolbar loaded, from the file drawn for this scale
    // (whose size in CSS pixels is then 15 either way), and laid out at 15.
    const double count = pageNumber(*shell->webform(), "document.querySelectorAll('table.top img').length");
    EXPECT_GE(count, 3);
    const std::string suffix = scale >= 2 ? "@2x.gif" : ".gif";
    const std::string check = "Array.from(document.querySelectorAll('table.top img')).filter(function(i){"
                              "return i.currentSrc.endsWith('" + suffix + "') && " +
                              (scale >= 2 ? "true" : "!i.currentSrc.endsWith('@2x.gif')") +
                              " && i.naturalWidth == 15 && i.width == 15}).length";
    EXPECT_EQ(pageNumber(*shell->webform(), check.c_str()), count) << "device scale " << scale;
}

TEST_F(Gui, MouseBackAndForwardButtonsGoBackAndForward) {
    startOn({});
    GtkWidget* view = shell->webform()->widget();
    clickButton(view, 8);  // nothing to go back to
    EXPECT_EQ(shell->wizard().nav.currentPage, "webf:intro");
    followLink(shell->wizard(), "webf:save", {});
    ASSERT_TRUE(waitForPage("webf:save"));
    clickButton(view, 8);
    EXPECT_TRUE(waitForPage("webf:intro"));
    clickButton(view, 9);
    EXPECT_TRUE(waitForPage("webf:save"));
    clickButton(view, 9);  // nothing ahead
    EXPECT_EQ(shell->wizard().nav.currentPage, "webf:save");
    EXPECT_TRUE(shell->wizard().nav.future.empty());
}

TEST_F(Gui, WindowIsResizableDownToItsFirstSizeAndKeepsItsSize) {
    startOn({});
    GtkWindow* window = GTK_WINDOW(shell->window());
    EXPECT_TRUE(gtk_window_get_resizable(window));
    int width = 0, height = 0;
    gtk_window_get_size(window, &width, &height);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 560);
    gtk_window_resize(window, 300, 300);  // below the smallest
    pause();
    gtk_window_get_size(window, &width, &height);
    EXPECT_GE(width, 400);
    EXPECT_GE(height, 560);
    gtk_window_resize(window, 700, 650);
    ASSERT_TRUE(spinUntil([&] {
        gtk_window_get_size(window, &width, &height);
        return width == 700 && height == 650;
    }));
    pause();
    shell->closeMainWindow();  // as its close box does, when no run is on
    ASSERT_TRUE(shell->closed());

    shell = std::make_unique<GtkShell>();
    startOn({});
    pause();
    gtk_window_get_size(GTK_WINDOW(shell->window()), &width, &height);
    EXPECT_EQ(width, 700);
    EXPECT_EQ(height, 650);
    saveWindowSize({});  // the other tests start at the first size
    gtk_window_resize(GTK_WINDOW(shell->window()), 400, 560);
    pause();
}

std::string sampleMailbox(const test::TempDir& dir, int messages) {
    std::string box;
    for (int i = 0; i < messages; ++i) {
        box += "From a@example.org Thu Sep  5 14:30:07 2002\nFrom: a@example.org\nSubject: Note " +
               std::to_string(i) + "\nDate: Thu, 5 Sep 2002 14:30:07 +0200\n\nBody " + std::to_string(i) + "\n\n";
    }
    test::writeFile(dir.file("notes.bmf"), box);
    return dir.file("notes.bmf");
}

TEST_F(Gui, RunShowsProgressAndEndsOnTheFinishPage) {
    startOn({sampleMailbox(dir, 12)});
    ASSERT_EQ(shell->wizard().nav.currentPage, "webf:save");
    shell->wizard().settings.viruswarned = true;  // no modal warning after the run
    struct Watch {
        GtkShell* shell;
        bool progressSeen = false;
    } watching{shell.get()};
    const guint watch = g_timeout_add(5, 
        +[](gpointer data) -> gboolean {
            auto* w = static_cast<Watch*>(data);
            if (w->shell->progress().shown()) w->progressSeen = true;
            return G_SOURCE_CONTINUE;
        },
        &watching);
    followLink(shell->wizard(), "webf:go", {{"savedir", dir.file("archive")}, {"saveformat", "html"}, {"usesubfolders", "yes"}});
    g_source_remove(watch);
    EXPECT_TRUE(watching.progressSeen);
    EXPECT_FALSE(shell->progress().shown());
    EXPECT_EQ(shell->wizard().run.messageCount, 12u);
    ASSERT_TRUE(waitForPage("webf:done"));
    ASSERT_TRUE(spinUntil([&] { return pageText(*shell->webform()).find("12 messages total") != std::string::npos; }))
        << pageText(*shell->webform());
    EXPECT_NE(pageText(*shell->webform()).find("Archiving is finished."), std::string::npos);
}

// Runs 300 messages and calls `stop` with the progress window once, as
// soon as the first message is in; returns when the run has ended.
void runStoppedBy(GtkShell& shell, const test::TempDir& dir, void (*stop)(ProgressWindow& progress)) {
    shell.wizard().settings.viruswarned = true;
    struct Stopper {
        GtkShell* shell;
        void (*stop)(ProgressWindow&);
        bool done = false;
    } stopping{&shell, stop};
    const guint stopper = g_timeout_add(5, 
        +[](gpointer data) -> gboolean {
            auto* s = static_cast<Stopper*>(data);
            if (!s->done && s->shell->progress().shown() && s->shell->wizard().run.messageCount > 0) {
                s->stop(s->shell->progress());
                s->done = true;
            }
            return G_SOURCE_CONTINUE;
        },
        &stopping);
    followLink(shell.wizard(), "webf:go", {{"savedir", dir.file("archive")}, {"saveformat", "eml"}});
    g_source_remove(stopper);
}

TEST_F(Gui, ClosingTheProgressWindowStopsAfterTheCurrentMessage) {
    startOn({sampleMailbox(dir, 300)});
    runStoppedBy(*shell, dir, [](ProgressWindow& progress) { gtk_window_close(GTK_WINDOW(progress.window())); });
    EXPECT_TRUE(shell->wizard().run.stopRequested);
    EXPECT_LT(shell->wizard().run.messageCount, 300u);
    ASSERT_TRUE(waitForPage("webf:done"));
    ASSERT_TRUE(spinUntil([&] { return pageText(*shell->webform()).find("Archiving was stopped.") != std::string::npos; }));
}

TEST_F(Gui, EscapeOnTheProgressWindowStopsLikeItsCloseBox) {
    startOn({sampleMailbox(dir, 300)});
    runStoppedBy(*shell, dir, [](ProgressWindow& progress) {
        sendKey(progress.window(), GDK_KEY_PRESS, GDK_KEY_Escape, 0);
        sendKey(progress.window(), GDK_KEY_RELEASE, GDK_KEY_Escape, 0);
    });
    EXPECT_TRUE(shell->wizard().run.stopRequested);
    EXPECT_LT(shell->wizard().run.messageCount, 300u);
    EXPECT_FALSE(shell->progress().shown());
    EXPECT_FALSE(shell->closed());
    ASSERT_TRUE(waitForPage("webf:done"));
}

TEST_F(Gui, StopButtonStopsLikeTheCloseBox) {
    startOn({sampleMailbox(dir, 300)});
    runStoppedBy(*shell, dir, [](ProgressWindow& progress) { gtk_button_clicked(GTK_BUTTON(progress.stopButton())); });
    EXPECT_TRUE(shell->wizard().run.stopRequested);
    EXPECT_LT(shell->wizard().run.messageCount, 300u);
    EXPECT_FALSE(shell->progress().shown());
    EXPECT_FALSE(shell->closed());
    ASSERT_TRUE(waitForPage("webf:done"));
    ASSERT_TRUE(spinUntil([&] { return pageText(*shell->webform()).find("Archiving was stopped.") != std::string::npos; }));
}

TEST_F(Gui, ProgressWindowShowsTheCountsAndTakesTheFocus) {
    const std::string box = sampleMailbox(dir, 300);
    const std::string boxSize = byteSizeText(fs::file_size(box));
    startOn({box});
    shell->wizard().settings.viruswarned = true;
    struct Watch {
        GtkShell* shell;
        std::string counts;
        bool focused = false;
    } watching{shell.get(), {}, false};
    const guint watch = g_timeout_add(5,
        +[](gpointer data) -> gboolean {
            auto* w = static_cast<Watch*>(data);
            ProgressWindow& progress = w->shell->progress();
            if (!progress.shown() || w->shell->wizard().run.messageCount < 2) return G_SOURCE_CONTINUE;
            w->counts = progress.countsText();
            w->focused = w->focused || gtk_window_is_active(GTK_WINDOW(progress.window()));
            if (w->focused) w->shell->wizard().run.stopRequested = true;
            return G_SOURCE_CONTINUE;
        },
        &watching);
    followLink(shell->wizard(), "webf:go", {{"savedir", dir.file("archive")}, {"saveformat", "eml"}});
    g_source_remove(watch);
    // The messages of a mailbox are not known before it is read; its bytes are.
    EXPECT_NE(watching.counts.find(" messages, "), std::string::npos) << watching.counts;
    EXPECT_NE(watching.counts.find(" of " + boxSize), std::string::npos) << watching.counts;
    EXPECT_TRUE(watching.focused);
}

}  // namespace
}  // namespace tessaly

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    tessaly::test::isolateUserEnvironment();
    tessaly::displayReady = gtk_init_check(&argc, &argv);
    return RUN_ALL_TESTS();
}
