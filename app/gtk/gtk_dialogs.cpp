// gtk_dialogs.cpp - message boxes, file and folder pickers and the
// desktop's "open" for the main window.
#include <gtk/gtk.h>

#include "app/gtk/gtk_dialogs.h"
#include "app/gtk/gtk_shell.h"

namespace tessaly {

void GtkShell::messageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
    const GtkMessageType type = icon == MessageIcon::Warning ? GTK_MESSAGE_WARNING
                                : icon == MessageIcon::Error ? GTK_MESSAGE_ERROR
                                                             : GTK_MESSAGE_INFO;
    GtkWidget* dialog = gtk_message_dialog_new(window_ ? GTK_WINDOW(window_) : nullptr, GTK_DIALOG_MODAL, type,
                                               GTK_BUTTONS_OK, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}

GtkFileFilter* newGtkFileFilter(const FileFilter& filter) {
    GtkFileFilter* made = gtk_file_filter_new();
    gtk_file_filter_set_name(made, filter.label.c_str());
    for (const std::string& pattern : filter.patterns) gtk_file_filter_add_pattern(made, pattern.c_str());
    for (const std::string& type : filter.mimeTypes) gtk_file_filter_add_mime_type(made, type.c_str());
    return made;
}

namespace {

// A native chooser: the desktop's own (through its portal, also inside a
// sandbox) where there is one, else GTK's dialog.
GtkFileChooserNative* newChooser(GtkWidget* owner, const std::string& title, GtkFileChooserAction action,
                                 const char* acceptLabel) {
    return gtk_file_chooser_native_new(title.c_str(), owner ? GTK_WINDOW(owner) : nullptr, action, acceptLabel,
                                       "_Cancel");
}

bool runChooser(GtkFileChooserNative* chooser) {
    return gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT;
}

}  // namespace

std::vector<std::string> GtkShell::pickFiles(const FilePickRequest& request) {
    GtkFileChooserNative* native = newChooser(window_, request.title, GTK_FILE_CHOOSER_ACTION_OPEN, "_Open");
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(native);
    gtk_file_chooser_set_select_multiple(chooser, request.multiple);
    int index = 1;
    for (const FileFilter& filter : request.filters) {
        GtkFileFilter* made = newGtkFileFilter(filter);
        gtk_file_chooser_add_filter(chooser, made);
        if (index++ == request.initialFilter) gtk_file_chooser_set_filter(chooser, made);
    }
    if (!request.initialFolder.empty()) {
        gtk_file_chooser_set_current_folder(chooser, request.initialFolder.c_str());
    }
    std::vector<std::string> paths;
    if (runChooser(native)) {
        GSList* files = gtk_file_chooser_get_filenames(chooser);
        for (GSList* f = files; f; f = f->next) {
            paths.emplace_back(static_cast<char*>(f->data));
            g_free(f->data);
        }
        g_slist_free(files);
    }
    g_object_unref(native);
    return paths;
}

std::optional<std::string> GtkShell::pickFolder(const FolderPickRequest& request) {
    GtkFileChooserNative* native =
        newChooser(window_, request.title, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Choose");
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(native);
    gtk_file_chooser_set_create_folders(chooser, request.mayCreate);
    if (!request.initialFolder.empty()) gtk_file_chooser_set_current_folder(chooser, request.initialFolder.c_str());
    std::optional<std::string> chosen;
    if (runChooser(native)) {
        if (gchar* path = gtk_file_chooser_get_filename(chooser)) {
            chosen = path;
            g_free(path);
        }
    }
    g_object_unref(native);
    return chosen;
}

void GtkShell::openUrl(const std::string& url) {
    g_app_info_launch_default_for_uri(url.c_str(), nullptr, nullptr);
}

void GtkShell::exploreFolder(const std::string& path) {
    if (gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr)) {
        g_app_info_launch_default_for_uri(uri, nullptr, nullptr);
        g_free(uri);
    }
}

}  // namespace tessaly
