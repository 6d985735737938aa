// gtk_shell.h - the program's main window: a WebKitGTK view filling a GTK
// window, the progress window, the dialogs, keyboard navigation, and the
// wizard they serve.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

#include "app/gtk/progress_window.h"
#include "app/gtk/webform.h"
#include "app/key_echoes.h"
#include "app/shell_interface.h"
#include "app/typed_words.h"
#include "app/window_size.h"
#include "app/wizard.h"

namespace tessaly {

// Names the running program on the session bus, its desktop file, its
// metainfo and its icon.
inline constexpr const char* kApplicationId = "org.tessaly.Tessaly";

class GtkShell : public WizardShell {
public:
    GtkShell();
    ~GtkShell() override;

    // Lists the libraries, loads the settings, takes the command-line files
    // and shows the first page; false when the program is to close at once.
    bool start(const std::vector<std::string>& arguments);
    // Files handed over by a later start of the program: shown as those of
    // the command line are. When they fail validation (the user was told
    // why) the page shown stays.
    void openFiles(const std::vector<std::string>& files);

    Wizard& wizard() { return wizard_; }
    GtkWidget* window() const { return window_; }
    TWebf* webform() const { return webform_.get(); }
    ProgressWindow& progress() { return *progress_; }
    // True once the main window is gone.
    bool closed() const { return window_ == nullptr; }

    // A key pressed in the main window, once per press (tests feed keys
    // through it).
    bool handleKey(const GdkEventKey& event);
    // A mouse button pressed over the page: the back and forward buttons
    // do what the toolbar's back and forward links do.
    bool handleButton(const GdkEventButton& event);
    // The close box of the main window.
    void requestClose();

    // WizardShell
    bool showPage(const std::string& html) override;
    std::optional<std::string> fieldValue(const std::string& name) override;
    void setFieldValue(const std::string& name, const std::string& value) override;
    bool focusIsTextInput() override;
    bool setInnerHtml(const std::string& id, const std::string& html) override;
    void appendHtml(const std::string& id, const std::string& piece, std::string_view whole) override;
    void messageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    std::vector<std::string> pickFiles(const FilePickRequest& request) override;
    std::optional<std::string> pickFolder(const FolderPickRequest& request) override;
    void openUrl(const std::string& url) override;
    void exploreFolder(const std::string& path) override;
    void* mainWindow() override { return window_; }
    ArchiveRun::ProgressSink progressSink() override;
    bool pumpEvents() override;
    void closeMainWindow() override;

private:
    void onRequest();
    static gboolean onKeyPress(GtkWidget*, GdkEventKey*, gpointer);
    static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer);
    static gboolean onButtonPress(GtkWidget*, GdkEventButton*, gpointer);
    static void onSizeAllocate(GtkWidget*, GdkRectangle*, gpointer);
    static gboolean onWindowState(GtkWidget*, GdkEventWindowState*, gpointer);
    void zoom(double level);
    static void onDestroy(GtkWidget*, gpointer);

    GtkWidget* window_ = nullptr;
    std::unique_ptr<TWebf> webform_;
    std::unique_ptr<ProgressWindow> progress_;
    Wizard wizard_;
    TypedWords words_;
    KeyEchoes echoes_;
    bool quitSeen_ = false;
    // The size to keep: the last one while not maximized.
    WindowSize size_;
};

}  // namespace tessaly
