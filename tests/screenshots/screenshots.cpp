// screenshots.cpp - shows the start page, the save page for a sample
// mailbox and the finish page of its run in the real window, and saves a
// PNG of each, so that a person can look at them.
#include <gtk/gtk.h>

#include <chrono>
#include <cstdio>
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

bool showAndWait(tessaly::GtkShell& shell, const std::function<void()>& action) {
    const unsigned before = shell.webform()->loadsFinished();
    action();
    return spinUntil([&] { return shell.webform()->loadsFinished() > before; });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || !gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "usage (with a display): screenshots OUTPUT-FOLDER MAILBOX ARCHIVE-FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    bool ok = true;
    {
        tessaly::GtkShell start;
        ok &= showAndWait(start, [&] { start.start({}); }) && snapshot(start, out + "/start-page.png");
    }
    tessaly::GtkShell shell;
    ok &= showAndWait(shell, [&] { shell.start({argv[2]}); }) && snapshot(shell, out + "/save-page.png");
    shell.wizard().settings.viruswarned = true;  // no modal warning in the way
    ok &= showAndWait(shell, [&] {
              tessaly::followLink(shell.wizard(), "webf:go",
                                  {{"savedir", argv[3]}, {"saveformat", "html"}, {"usesubfolders", "yes"}});
          }) &&
          snapshot(shell, out + "/finish-page.png");
    return ok ? 0 : 1;
}
