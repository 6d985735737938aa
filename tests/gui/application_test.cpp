// application_test.cpp - one instance per session: a second start of the
// real program hands its files to the first and ends, and two instances
// never write the settings at once. Each test gives its instance an id of
// its own on a session bus of its own (dbus-run-session), and runs in a
// process of its own: GLib lets a process be one application on the bus.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/gtk/application.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

bool spinUntil(const std::function<bool()>& done, int seconds = 20) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(1000);
    }
    return true;
}

// Starts the program in `folder` and, while it runs, keeps answering
// this process's own events (the first instance is here); its exit status.
int startProgram(const std::vector<std::string>& arguments, const std::string& folder) {
    std::vector<gchar*> argv{const_cast<gchar*>(TESSALY_PROGRAM)};
    for (const std::string& a : arguments) argv.push_back(const_cast<gchar*>(a.c_str()));
    argv.push_back(nullptr);
    GPid pid = 0;
    GError* error = nullptr;
    if (!g_spawn_async(folder.c_str(), argv.data(), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &pid,
                       &error)) {
        ADD_FAILURE() << error->message;
        g_error_free(error);
        return -1;
    }
    struct Exit {
        bool done = false;
        int status = -1;
    } exit;
    g_child_watch_add(
        pid,
        +[](GPid child, gint status, gpointer data) {
            auto* e = static_cast<Exit*>(data);
            e->status = g_spawn_check_wait_status(status, nullptr) ? 0 : status;
            e->done = true;
            g_spawn_close_pid(child);
        },
        &exit);
    EXPECT_TRUE(spinUntil([&] { return exit.done; })) << "the second start did not end";
    return exit.status;
}

std::string uniqueId(const char* what) {
    return std::string("org.tessaly.Tessaly.Test.") + what + std::to_string(getpid());
}

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        if (!gdk_display_get_default()) GTEST_SKIP() << "no display (run under xvfb-run)";
        GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        if (!bus) GTEST_SKIP() << "no session bus (run under dbus-run-session)";
        g_object_unref(bus);
    }
    // Registers `app` as the first instance and lets it show its window.
    void startFirst(TessalyApplication& app) {
        ASSERT_TRUE(g_application_register(app.application(), nullptr, nullptr));
        ASSERT_FALSE(g_application_get_is_remote(app.application()));
        g_application_activate(app.application());
        ASSERT_TRUE(app.shell());
        ASSERT_TRUE(spinUntil([&] { return app.shell()->wizard().nav.currentPage == "webf:intro"; }));
    }
    test::TempDir dir;
};

TEST_F(SingleInstance, SecondStartBringsItsFilesToTheFirst) {
    const std::string id = uniqueId("Files");
    TessalyApplication first(id);
    startFirst(first);
    test::writeFile(dir.file("notes.bmf"),
                    "From a@example.org Thu Sep  5 14:30:07 2002\nFrom: a@example.org\nSubject: Note\n\nBody\n\n");

    // A relative name, as a file manager or a shell in that folder gives it.
    EXPECT_EQ(startProgram({"--gapplication-app-id=" + id, "notes.bmf"}, dir.path()), 0);
    ASSERT_TRUE(spinUntil([&] { return first.shell()->wizard().nav.currentPage == "webf:save"; }));
    const Settings& s = first.shell()->wizard().settings;
    ASSERT_EQ(s.mailboxFiles.size(), 1u);
    EXPECT_EQ(s.mailboxFiles[0].directory + "/" + s.mailboxFiles[0].fileName, dir.file("notes.bmf"));
    EXPECT_EQ(s.source, "bmf");
    // The page it came from is one step back, as after any link.
    EXPECT_EQ(first.shell()->wizard().nav.history.size(), 1u);

    // Without files the first window is raised and keeps its page; there is
    // still one window.
    EXPECT_EQ(startProgram({"--gapplication-app-id=" + id}, dir.path()), 0);
    for (int i = 0; i < 200; ++i) g_main_context_iteration(nullptr, FALSE);
    EXPECT_EQ(first.shell()->wizard().nav.currentPage, "webf:save");
    EXPECT_EQ(g_list_length(gtk_application_get_windows(GTK_APPLICATION(first.application()))), 1u);
}

TEST_F(SingleInstance, FilesDuringARunOnlyRaiseTheWindow) {
    const std::string id = uniqueId("Running");
    TessalyApplication first(id);
    startFirst(first);
    test::writeFile(dir.file("notes.bmf"), "From a@example.org Thu Sep  5 14:30:07 2002\nSubject: x\n\nBody\n");
    first.shell()->wizard().run.running = true;  // as inside a run's event pumping
    EXPECT_EQ(startProgram({"--gapplication-app-id=" + id, dir.file("notes.bmf")}, dir.path()), 0);
    for (int i = 0; i < 200; ++i) g_main_context_iteration(nullptr, FALSE);
    EXPECT_EQ(first.shell()->wizard().nav.currentPage, "webf:intro");
    first.shell()->wizard().run.running = false;
}

TEST_F(SingleInstance, SettingsTakenByAnotherInstanceAreLeftAlone) {
    // Another instance that this one cannot see on the bus (another
    // session) holds the settings.
    FileLock other;
    std::filesystem::create_directories(std::filesystem::path(settingsLockPath()).parent_path());
    ASSERT_EQ(other.take(settingsLockPath()), FileLock::Result::Taken);
    TessalyApplication app(uniqueId("Locked"));
    ASSERT_TRUE(g_application_register(app.application(), nullptr, nullptr));
    struct Seen {
        std::string text;
    } seen;
    const guint closer = g_timeout_add(
        20,
        +[](gpointer data) -> gboolean {
            GList* windows = gtk_window_list_toplevels();
            for (GList* w = windows; w; w = w->next) {
                if (GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_mapped(GTK_WIDGET(w->data))) {
                    gchar* text = nullptr;
                    g_object_get(w->data, "text", &text, nullptr);
                    static_cast<Seen*>(data)->text = text ? text : "";
                    g_free(text);
                    gtk_dialog_response(GTK_DIALOG(w->data), GTK_RESPONSE_OK);
                }
            }
            g_list_free(windows);
            return G_SOURCE_CONTINUE;
        },
        &seen);
    g_application_activate(app.application());
    EXPECT_EQ(seen.text, "Tessaly is already running");
    EXPECT_EQ(app.shell(), nullptr);  // no window, so the program ends

    // Once the other has gone, the next start opens its window.
    other.release();
    seen.text.clear();
    g_application_activate(app.application());
    g_source_remove(closer);
    EXPECT_EQ(seen.text, "");
    ASSERT_NE(app.shell(), nullptr);
    EXPECT_TRUE(spinUntil([&] { return app.shell()->wizard().nav.currentPage == "webf:intro"; }));
}

}  // namespace
}  // namespace tessaly
