// application.h - the program as a GtkApplication: one instance per
// session. A second start hands its files to the first, which shows them as
// if they had been on its own command line, or is raised when there are
// none.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

#include "app/gtk/gtk_shell.h"
#include "platform/file_lock.h"

namespace tessaly {

class TessalyApplication {
public:
    // `id` names the instance on the session bus (tests use ids of their
    // own); `--gapplication-app-id` can override it on the command line.
    explicit TessalyApplication(const std::string& id = kApplicationId);
    ~TessalyApplication();
    TessalyApplication(const TessalyApplication&) = delete;
    TessalyApplication& operator=(const TessalyApplication&) = delete;

    // Runs the instance, or hands the command line to the one running.
    int run(int argc, char** argv);

    GApplication* application() const { return G_APPLICATION(app_); }
    // The main window of this instance, once it has one.
    GtkShell* shell() const { return shell_.get(); }

private:
    static void onActivate(GApplication*, gpointer);
    static void onOpen(GApplication*, GFile**, gint, const gchar*, gpointer);
    // The first showing: takes the settings and opens the window.
    void begin(const std::vector<std::string>& files);
    // Files from a later start.
    void deliver(const std::vector<std::string>& files);

    GtkApplication* app_ = nullptr;
    std::unique_ptr<GtkShell> shell_;
    // Held while this instance may write the settings: two instances that
    // do not see each other on the bus must still not both write them.
    FileLock settingsLock_;
};

// The lock file beside the user's settings.
std::string settingsLockPath();

}  // namespace tessaly
