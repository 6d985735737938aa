// application.cpp - one instance per session, files from later starts
// brought to it.
#include "app/gtk/application.h"

#include "app/startup.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace tessaly {

namespace {

std::vector<std::string> paths(GFile** files, gint count) {
    std::vector<std::string> out;
    for (gint i = 0; i < count; ++i) {
        // A file that is not on a local disk keeps its URI, which then fails
        // validation with its own message.
        gchar* text = g_file_get_path(files[i]);
        if (!text) text = g_file_get_uri(files[i]);
        out.emplace_back(text);
        g_free(text);
    }
    return out;
}

}  // namespace

std::string settingsLockPath() { return hivePath(RegistryHive::CurrentUser) + ".lock"; }

TessalyApplication::TessalyApplication(const std::string& id) {
    app_ = gtk_application_new(id.c_str(),
                               GApplicationFlags(G_APPLICATION_HANDLES_OPEN | G_APPLICATION_CAN_OVERRIDE_APP_ID));
    g_signal_connect(app_, "activate", G_CALLBACK(onActivate), this);
    g_signal_connect(app_, "open", G_CALLBACK(onOpen), this);
}

TessalyApplication::~TessalyApplication() {
    shell_.reset();
    g_signal_handlers_disconnect_by_data(app_, this);
    g_object_unref(app_);
}

int TessalyApplication::run(int argc, char** argv) { return g_application_run(G_APPLICATION(app_), argc, argv); }

void TessalyApplication::onActivate(GApplication*, gpointer self) {
    auto* app = static_cast<TessalyApplication*>(self);
    if (!app->shell_) {
        app->begin({});
    } else if (!app->shell_->closed()) {
        gtk_window_present(GTK_WINDOW(app->shell_->window()));
    }
}

void TessalyApplication::onOpen(GApplication*, GFile** files, gint count, const gchar*, gpointer self) {
    auto* app = static_cast<TessalyApplication*>(self);
    if (!app->shell_) {
        app->begin(paths(files, count));
    } else {
        app->deliver(paths(files, count));
    }
}

void TessalyApplication::begin(const std::vector<std::string>& files) {
    const std::string lock = settingsLockPath();
    createFolderPath(lock.substr(0, lock.find_last_of('/')));
    if (settingsLock_.take(lock) == FileLock::Result::Busy) {
        GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK,
                                                "Tessaly is already running");
        gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(box),
                                                 "Another Tessaly, started elsewhere, is using your settings. "
                                                 "Close it, then start Tessaly again.");
        gtk_window_set_title(GTK_WINDOW(box), "Error");
        gtk_dialog_run(GTK_DIALOG(box));
        gtk_widget_destroy(box);
        return;  // no window: the application ends
    }
    shell_ = std::make_unique<GtkShell>();
    // The application lives as long as its main window.
    gtk_application_add_window(app_, GTK_WINDOW(shell_->window()));
    if (!shell_->start(files)) shell_->closeMainWindow();
}

void TessalyApplication::deliver(const std::vector<std::string>& files) {
    if (shell_->closed()) return;
    GtkWindow* window = GTK_WINDOW(shell_->window());
    // During a run the wizard takes no new files; the window is raised so
    // that its progress is seen.
    if (!shell_->wizard().run.running && !files.empty()) shell_->openFiles(files);
    if (!shell_->closed()) gtk_window_present(window);
}

}  // namespace tessaly
