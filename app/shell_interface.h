// shell_interface.h - what the wizard needs from the window it lives in:
// showing pages, reading and writing fields of the page shown, message
// boxes, file and folder pickers, the desktop's "open", progress display and
// event pumping. The GTK shell implements it; tests and tessaly-cli use
// their own headless versions.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/file_filters.h"
#include "app/run.h"

namespace tessaly {

enum class MessageIcon { Information, Warning, Error };

// An open-file dialog: file and folder must exist.
struct FilePickRequest {
    std::string title;  // says what is chosen
    std::vector<FileFilter> filters;
    int initialFilter = 1;  // counted from 1
    bool multiple = false;
    std::string initialFolder;  // empty: the dialog's own choice
};

// A folder dialog.
struct FolderPickRequest {
    std::string title;  // says what the folder is for
    std::string initialFolder;
    // Whether the dialog offers to make a new folder (not for sources).
    bool mayCreate = false;
};

class WizardShell {
public:
    virtual ~WizardShell() = default;

    // Shows a complete page: written to a fresh page file in the runtime
    // folder and loaded with relative links resolving against the data
    // folder (pageBaseUri). False when no page file could be made; the
    // current page then stays.
    virtual bool showPage(const std::string& html) = 0;

    // The value of the page's input field of that name; none when the page
    // has no such field.
    virtual std::optional<std::string> fieldValue(const std::string& name) = 0;
    virtual void setFieldValue(const std::string& name, const std::string& value) = 0;
    // Whether the focused element of the page is a text input.
    virtual bool focusIsTextInput() = 0;
    // Replaces the content of the element with that id; false when the page
    // (still loading, or already left) has no such element.
    virtual bool setInnerHtml(const std::string& id, const std::string& html) = 0;
    // Adds `piece` at the end of the element with that id. `whole` is what
    // the element should hold with it: the shell sets that instead when the
    // page is new since the last piece, or still loading.
    virtual void appendHtml(const std::string& id, const std::string& piece, std::string_view whole) = 0;

    // A modal message box with an OK button, owned by the main window.
    virtual void messageBox(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
    // Full paths of the chosen files; empty when cancelled.
    virtual std::vector<std::string> pickFiles(const FilePickRequest& request) = 0;
    // The chosen folder; none when cancelled.
    virtual std::optional<std::string> pickFolder(const FolderPickRequest& request) = 0;
    // Hands a URL (http:, mailto:) to the desktop's default program.
    virtual void openUrl(const std::string& url) = 0;
    // Opens a folder in the desktop's file manager.
    virtual void exploreFolder(const std::string& path) = 0;

    // The owner of dialogs the run or a provider shows (may be null).
    virtual void* mainWindow() = 0;
    // The progress window's updater for each run: shows the window (centred
    // over the main window when it appears) with its two texts and bars, or
    // hides it for a first fraction of -1. The run pumps events after it.
    virtual ArchiveRun::ProgressSink progressSink() = 0;
    // Handles pending events; false when the program was asked to quit.
    virtual bool pumpEvents() = 0;
    // Closes the main window, which ends the program.
    virtual void closeMainWindow() = 0;
};

}  // namespace tessaly
