// screenshots.cpp - shows the start page, the mailbox and EML pages, the
// save page for a sample mailbox, the finish page of its run, the EML
// route's finish page, an Outlook Express store folder, an error page, the
// finish page of a stopped run, the progress window of a long run and the
// file and folder dialogs in the real window, and saves a PNG of each, so
// that a person can look at them.
#include <gtk/gtk.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "app/dispatch.h"
#include "app/gtk/gtk_shell.h"

namespace {

bool spinUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(1000);
    }
    return true;
}

bool snapshot(tessaly::GtkShell& shell, const std::string& path) {
    // Let the page settle (images, style) before the picture is taken.
    for (int i = 0; i < 300; ++i) {
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(1000);
    }
    struct Shot {
        cairo_surface_t* surface = nullptr;
        bool done = false;
    } shot;
    webkit_web_view_get_snapshot(
        WEBKIT_WEB_VIEW(shell.webform()->widget()), WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE,
        nullptr,
        +[](GObject* view, GAsyncResult* result, gpointer data) {
            auto* s = static_cast<Shot*>(data);
            s->surface = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(view), result, nullptr);
            s->done = true;
        },
        &shot);
    if (!spinUntil([&] { return shot.done; }) || !shot.surface) return false;
    const bool ok = cairo_surface_write_to_png(shot.surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(shot.surface);
    if (ok) std::printf("%s\n", path.c_str());
    return ok;
}

GtkWidget* openFileChooser() {
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        if (GTK_IS_FILE_CHOOSER_DIALOG(w->data) && gtk_widget_get_mapped(GTK_WIDGET(w->data))) {
            found = GTK_WIDGET(w->data);
        }
    }
    g_list_free(windows);
    return found;
}

// Follows a "dlg:" link; once its chooser has listed the folder, saves a
// picture of the chooser and cancels it.
bool dialogSnapshot(tessaly::GtkShell& shell, const std::string& action, const std::string& path) {
    struct Shot {
        std::string path;
        int ticks = 0;
        bool done = false;
        bool ok = false;
    } shot{path};
    g_timeout_add(100,
                  +[](gpointer data) -> gboolean {
                      auto* s = static_cast<Shot*>(data);
                      GtkWidget* dialog = openFileChooser();
                      if (!dialog) return G_SOURCE_CONTINUE;
                      if (s->ticks++ == 0) {
                          // All of it on the screen, title bar included.
                          gtk_window_resize(GTK_WINDOW(dialog), 760, 520);
                          gtk_window_move(GTK_WINDOW(dialog), 0, 0);
                      }
                      if (s->ticks < 15) return G_SOURCE_CONTINUE;
                      GdkWindow* window = gtk_widget_get_window(dialog);
                      if (GdkPixbuf* picture = gdk_pixbuf_get_from_window(window, 0, 0, gdk_window_get_width(window),
                                                                          gdk_window_get_height(window))) {
                          s->ok = gdk_pixbuf_save(picture, s->path.c_str(), "png", nullptr, nullptr);
                          g_object_unref(picture);
                      }
                      gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
                      s->done = true;
                      return G_SOURCE_REMOVE;
                  },
                  &shot);
    tessaly::dispatch(shell.wizard(), action);
    spinUntil([&] { return shot.done; });
    if (shot.ok) std::printf("%s\n", path.c_str());
    return shot.ok;
}

// A mailbox long enough that a run shows its rate and time left.
std::string longMailbox(const std::string& folder) {
    std::string box;
    const std::string body(3000, 'x');
    for (int i = 0; i < 4000; ++i) {
        box += "From a@example.org Thu Sep  5 14:30:07 2002\nFrom: a@example.org\nSubject: Note " +
               std::to_string(i) + "\nDate: Thu, 5 Sep 2002 14:30:07 +0200\n\n" + body + "\n\n";
    }
    const std::string path = folder + "/long.bmf";
    return g_file_set_contents(path.c_str(), box.data(), static_cast<gssize>(box.size()), nullptr) ? path : "";
}

// Starts a run of `mailbox`; once it has gone on for three seconds, saves
// a picture of the progress window and presses its Stop button.
bool progressSnapshot(tessaly::GtkShell& shell, const std::string& mailbox, const std::string& archive,
                      const std::string& path) {
    struct Shot {
        tessaly::GtkShell* shell;
        std::string path;
        gint64 start = 0;
        bool ok = false;
    } shot{&shell, path};
    const guint timer = g_timeout_add(
        50,
        +[](gpointer data) -> gboolean {
            auto* s = static_cast<Shot*>(data);
            tessaly::ProgressWindow& progress = s->shell->progress();
            if (s->ok || !progress.shown()) return G_SOURCE_CONTINUE;
            if (s->start == 0) s->start = g_get_monotonic_time();
            if (g_get_monotonic_time() - s->start < 3 * G_USEC_PER_SEC) return G_SOURCE_CONTINUE;
            GdkWindow* window = gtk_widget_get_window(progress.window());
            if (GdkPixbuf* picture = gdk_pixbuf_get_from_window(window, 0, 0, gdk_window_get_width(window),
                                                                gdk_window_get_height(window))) {
                s->ok = gdk_pixbuf_save(picture, s->path.c_str(), "png", nullptr, nullptr);
                g_object_unref(picture);
            }
            gtk_button_clicked(GTK_BUTTON(progress.stopButton()));
            return G_SOURCE_CONTINUE;
        },
        &shot);
    shell.openFiles({mailbox});
    shell.wizard().settings.viruswarned = true;
    tessaly::followLink(shell.wizard(), "webf:go", {{"savedir", archive}, {"saveformat", "html"}, {"usesubfolders", "yes"}});
    g_source_remove(timer);
    if (shot.ok) std::printf("%s\n", path.c_str());
    return shot.ok;
}

bool showAndWait(tessaly::GtkShell& shell, const std::function<void()>& action) {
    const unsigned before = shell.webform()->loadsFinished();
    action();
    return spinUntil([&] { return shell.webform()->loadsFinished() > before; });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 8 || !gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "usage (with a display): screenshots OUTPUT-FOLDER MAILBOX ARCHIVE-FOLDER "
                             "MAIL-FOLDER STORE-FOLDER EML-FOLDER LARGE-MAILBOX\n");
        return 2;
    }
    const std::string out = argv[1];
    bool ok = true;
    {
        tessaly::GtkShell start;
        ok &= showAndWait(start, [&] { start.start({}); }) && snapshot(start, out + "/start-page.png");
    }
    {
        // The file dialogs over folders of a mail program's files.
        // Titles in a header bar, since no window manager draws them here.
        g_object_set(gtk_settings_get_default(), "gtk-dialogs-use-header", TRUE, nullptr);
        tessaly::GtkShell dialogs;
        ok &= showAndWait(dialogs, [&] { dialogs.start({}); });
        tessaly::Settings& s = dialogs.wizard().settings;
        s.bmfdir = argv[4];
        s.bmfext = true;  // opens on the mailbox filter
        ok &= dialogSnapshot(dialogs, "dlg:bmf_dir", out + "/mailbox-dialog.png");
        s.dbxdir = argv[5];
        ok &= dialogSnapshot(dialogs, "dlg:dbx_dir", out + "/dbx-dialog.png");
        ok &= showAndWait(dialogs, [&] { tessaly::dispatch(dialogs.wizard(), "webf:bmf_choose"); }) &&
              snapshot(dialogs, out + "/mailbox-source-page.png");
        ok &= showAndWait(dialogs, [&] { tessaly::dispatch(dialogs.wizard(), "webf:emlbmf.html"); }) &&
              snapshot(dialogs, out + "/eml-page.png");
        ok &= dialogSnapshot(dialogs, "dlg:emldir", out + "/eml-folder-dialog.png");
        // The Outlook Express pages: the source page, the store folder's
        // dialog and its folder tree.
        ok &= showAndWait(dialogs, [&] { tessaly::dispatch(dialogs.wizard(), "webf:dbx_choose"); }) &&
              snapshot(dialogs, out + "/dbx-source-page.png");
        ok &= dialogSnapshot(dialogs, "dlg:dbx_store", out + "/dbx-store-dialog.png");
        s.dbxname.clear();
        s.dbxver.clear();
        ok &= showAndWait(dialogs, [&] { tessaly::dispatch(dialogs.wizard(), "webf:dbx_folders"); }) &&
              snapshot(dialogs, out + "/dbx-store-folders-page.png");
        // An error page and its way back: a personal store that is gone.
        s.mapifn = std::string(argv[3]) + "/Old Mail.pst";
        ok &= showAndWait(dialogs, [&] { tessaly::dispatch(dialogs.wizard(), "webf:mapi_folders"); }) &&
              snapshot(dialogs, out + "/missing-pst-page.png");
    }
    {
        // The EML route: its page with a folder typed in, and its finish page.
        tessaly::GtkShell eml;
        ok &= showAndWait(eml, [&] { eml.start({}); });
        eml.wizard().settings.viruswarned = true;
        eml.wizard().settings.emldir = argv[6];
        ok &= showAndWait(eml, [&] { tessaly::dispatch(eml.wizard(), "webf:emlbmf"); }) &&
              snapshot(eml, out + "/eml-page-filled.png");
        ok &= showAndWait(eml, [&] {
                  tessaly::followLink(eml.wizard(), "webf:go", {{"emldir", argv[6]}, {"mailsource", "eml"}});
              }) &&
              snapshot(eml, out + "/eml-finish-page.png");
    }
    {
        // A run stopped after its first messages.
        tessaly::GtkShell stopped;
        ok &= showAndWait(stopped, [&] { stopped.start({argv[7]}); });
        stopped.wizard().settings.viruswarned = true;
        const guint stopper = g_timeout_add(
            5,
            +[](gpointer data) -> gboolean {
                auto* run = static_cast<tessaly::ArchiveRun*>(data);
                if (run->running && run->messageCount > 20) run->stopRequested = true;
                return G_SOURCE_CONTINUE;
            },
            &stopped.wizard().run);
        ok &= showAndWait(stopped, [&] {
                  tessaly::followLink(stopped.wizard(), "webf:go",
                                      {{"savedir", std::string(argv[3]) + "-stopped"}, {"saveformat", "eml"}});
              }) &&
              snapshot(stopped, out + "/stopped-finish-page.png");
        g_source_remove(stopper);
    }
    tessaly::GtkShell shell;
    ok &= showAndWait(shell, [&] { shell.start({argv[2]}); }) && snapshot(shell, out + "/save-page.png");
    ok &= dialogSnapshot(shell, "dlg:save", out + "/archive-folder-dialog.png");
    shell.wizard().settings.viruswarned = true;  // no modal warning in the way
    ok &= showAndWait(shell, [&] {
              tessaly::followLink(shell.wizard(), "webf:go",
                                  {{"savedir", argv[3]}, {"saveformat", "html"}, {"usesubfolders", "yes"}});
          }) &&
          snapshot(shell, out + "/finish-page.png");
    {
        // Last: its run leaves its archive folder in the settings.
        tessaly::GtkShell running;
        ok &= showAndWait(running, [&] { running.start({}); });
        gchar* scratch = g_dir_make_tmp("tessaly-screenshots-XXXXXX", nullptr);
        const std::string folder = scratch ? scratch : "/tmp";
        g_free(scratch);
        const std::string mailbox = longMailbox(folder);
        ok &= !mailbox.empty() &&
              progressSnapshot(running, mailbox, folder + "/archive", out + "/progress-window.png");
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    return ok ? 0 : 1;
}
