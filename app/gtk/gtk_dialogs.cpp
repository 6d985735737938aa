// gtk_dialogs.cpp - message boxes, file and folder pickers and the
// desktop's "open" for the main window.
#include <gtk/gtk.h>

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

std::vector<std::string> GtkShell::pickFiles(const FilePickRequest& request) {
    GtkWidget* dialog = gtk_file_chooser_dialog_new("Open", window_ ? GTK_WINDOW(window_) : nullptr,
                                                    GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
                                                    "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_file_chooser_set_select_multiple(chooser, request.multiple);
    int index = 1;
    for (const auto& [label, pattern] : request.filters) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, label.c_str());
        // Patterns such as "*.dbx;*.DBX" hold several globs.
        size_t start = 0;
        while (start <= pattern.size()) {
            size_t stop = pattern.find(';', start);
            if (stop == std::string::npos) stop = pattern.size();
            const std::string glob = pattern.substr(start, stop - start);
            if (!glob.empty()) gtk_file_filter_add_pattern(filter, glob.c_str());
            start = stop + 1;
        }
        gtk_file_chooser_add_filter(chooser, filter);
        if (index++ == request.initialFilter) gtk_file_chooser_set_filter(chooser, filter);
    }
    if (!request.initialFolder.empty()) {
        gtk_file_chooser_set_current_folder(chooser, request.initialFolder.c_str());
    }
    std::vector<std::string> paths;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        GSList* files = gtk_file_chooser_get_filenames(chooser);
        for (GSList* f = files; f; f = f->next) {
            paths.emplace_back(static_cast<char*>(f->data));
            g_free(f->data);
        }
        g_slist_free(files);
    }
    gtk_widget_destroy(dialog);
    return paths;
}

std::optional<std::string> GtkShell::pickFolder(const std::string& initialFolder) {
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        "Choose the archive folder", window_ ? GTK_WINDOW(window_) : nullptr, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER,
        "_Cancel", GTK_RESPONSE_CANCEL, "_Choose", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_file_chooser_set_create_folders(chooser, TRUE);
    if (!initialFolder.empty()) gtk_file_chooser_set_current_folder(chooser, initialFolder.c_str());
    std::optional<std::string> chosen;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        if (gchar* path = gtk_file_chooser_get_filename(chooser)) {
            chosen = path;
            g_free(path);
        }
    }
    gtk_widget_destroy(dialog);
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
