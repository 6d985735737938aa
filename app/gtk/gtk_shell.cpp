// gtk_shell.cpp - the main window and what the wizard asks of it.
#include "app/gtk/gtk_shell.h"

#include <gdk/gdkkeysyms.h>

#include "app/dispatch.h"
#include "app/startup.h"
#include "app/zoom_steps.h"
#include "platform/files.h"
#include "platform/time.h"

namespace tessaly {

namespace {

// Every byte as %XX, safe inside a script's string literal.
std::string uriEncoded(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    }
    return out;
}

}  // namespace

GtkShell::GtkShell() : wizard_(*this) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), "Tessaly");
    // Resizable down to the size the pages are laid out for, and as large
    // as the user left it.
    GdkGeometry smallest{};
    smallest.min_width = kMinWindowWidth;
    smallest.min_height = kMinWindowHeight;
    gtk_window_set_geometry_hints(GTK_WINDOW(window_), nullptr, &smallest, GDK_HINT_MIN_SIZE);
    size_ = loadWindowSize();
    gtk_window_set_default_size(GTK_WINDOW(window_), size_.width, size_.height);
    if (size_.maximized) gtk_window_maximize(GTK_WINDOW(window_));
    gtk_window_set_icon_name(GTK_WINDOW(window_), kApplicationId);
    webform_ = std::make_unique<TWebf>();
    gtk_container_add(GTK_CONTAINER(window_), webform_->widget());
    webform_->onRequest([this] { onRequest(); });
    g_signal_connect(window_, "key-press-event", G_CALLBACK(onKeyPress), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
    g_signal_connect(window_, "destroy", G_CALLBACK(onDestroy), this);
    g_signal_connect(window_, "size-allocate", G_CALLBACK(onSizeAllocate), this);
    g_signal_connect(window_, "window-state-event", G_CALLBACK(onWindowState), this);
    // Before the view's own handling, which would go back in a history the
    // view does not keep.
    g_signal_connect(webform_->widget(), "button-press-event", G_CALLBACK(onButtonPress), this);
    // Closing the progress window asks the run to stop after this message.
    progress_ = std::make_unique<ProgressWindow>(GTK_WINDOW(window_), [this] { wizard_.run.stopRequested = true; });
}

GtkShell::~GtkShell() {
    progress_.reset();
    if (window_) {
        g_signal_handlers_disconnect_by_data(window_, this);
        gtk_widget_destroy(window_);
        saveWindowSize(size_);
    }
}

bool GtkShell::start(const std::vector<std::string>& arguments) {
    startWizard(wizard_, arguments);
    gtk_widget_show_all(window_);
    return showFirstPage(wizard_);
}

void GtkShell::openFiles(const std::vector<std::string>& files) {
    takeCommandLineFiles(wizard_, files);
    showFirstPage(wizard_);
}

void GtkShell::onRequest() {
    // Links are dead while a run is in progress.
    followLink(wizard_, webform_->requestUrl(), webform_->requestFields());
}

bool GtkShell::handleKey(const GdkEventKey& event) {
    const bool alt = (event.state & GDK_MOD1_MASK) != 0;
    const bool ctrl = (event.state & GDK_CONTROL_MASK) != 0;
    const Navigation& nav = wizard_.nav;
    bool handled = false;
    switch (event.keyval) {
        case GDK_KEY_Back:
            if (!nav.history.empty()) dispatch(wizard_, "history:");
            handled = true;
            break;
        case GDK_KEY_Forward:
            if (!nav.future.empty()) dispatch(wizard_, "future:");
            handled = true;
            break;
        case GDK_KEY_BackSpace:
            // In a text field the key edits the field.
            if (!nav.history.empty() && !focusIsTextInput()) {
                dispatch(wizard_, "history:");
                handled = true;
            }
            break;
        case GDK_KEY_Left:
        case GDK_KEY_KP_Left:
            if (alt) {
                if (!nav.history.empty()) dispatch(wizard_, "history:");
                handled = true;  // the browser keeps no history of its own to go to
            }
            break;
        case GDK_KEY_Right:
        case GDK_KEY_KP_Right:
            if (alt) {
                if (!nav.future.empty()) dispatch(wizard_, "future:");
                handled = true;
            }
            break;
        case GDK_KEY_F1:
            // What the page's help button would show (a copy: the next
            // page sets its own).
            if (const std::string help = nav.pageHelp; !help.empty()) dispatch(wizard_, help);
            handled = true;
            break;
        default: break;
    }
    if (ctrl) {
        switch (event.keyval) {
            case GDK_KEY_plus:
            case GDK_KEY_equal:  // the plus key without Shift
            case GDK_KEY_KP_Add:
                zoom(zoomedIn(webkit_web_view_get_zoom_level(WEBKIT_WEB_VIEW(webform_->widget()))));
                return true;
            case GDK_KEY_minus:
            case GDK_KEY_KP_Subtract:
                zoom(zoomedOut(webkit_web_view_get_zoom_level(WEBKIT_WEB_VIEW(webform_->widget()))));
                return true;
            case GDK_KEY_0:
            case GDK_KEY_KP_0:
            case GDK_KEY_KP_Insert:  // keypad 0 without Num Lock
                zoom(kNormalZoom);
                return true;
            default: break;
        }
    }
    const guint lower = gdk_keyval_to_lower(event.keyval);
    if (ctrl && (lower == GDK_KEY_q || lower == GDK_KEY_w)) {
        // One window: closing it quits, as its close box does.
        requestClose();
        return true;
    }
    const bool modifierOnly = event.is_modifier != 0;
    if (ctrl && !modifierOnly) {
        const guint upper = gdk_keyval_to_upper(event.keyval);
        const int key = upper >= 'A' && upper <= 'Z' ? static_cast<int>(upper) : -1;
        if (words_.press(key)) dispatch(wizard_, "webf:emlbmf.html");
    }
    return handled;
}

void GtkShell::zoom(double level) { webkit_web_view_set_zoom_level(WEBKIT_WEB_VIEW(webform_->widget()), level); }

bool GtkShell::handleButton(const GdkEventButton& event) {
    if (event.type != GDK_BUTTON_PRESS) return false;
    const Navigation& nav = wizard_.nav;
    // Buttons 8 and 9 are the side buttons of a mouse, "back" and "forward".
    if (event.button == 8) {
        if (!nav.history.empty()) dispatch(wizard_, "history:");
        return true;
    }
    if (event.button == 9) {
        if (!nav.future.empty()) dispatch(wizard_, "future:");
        return true;
    }
    return false;
}

gboolean GtkShell::onButtonPress(GtkWidget*, GdkEventButton* event, gpointer self) {
    return static_cast<GtkShell*>(self)->handleButton(*event) ? TRUE : FALSE;
}

void GtkShell::onSizeAllocate(GtkWidget* widget, GdkRectangle*, gpointer self) {
    auto* shell = static_cast<GtkShell*>(self);
    if (gtk_window_is_maximized(GTK_WINDOW(widget))) return;
    // The window's own size, as gtk_window_set_default_size takes it back.
    gtk_window_get_size(GTK_WINDOW(widget), &shell->size_.width, &shell->size_.height);
}

gboolean GtkShell::onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self) {
    static_cast<GtkShell*>(self)->size_.maximized = (event->new_window_state & GDK_WINDOW_STATE_MAXIMIZED) != 0;
    return FALSE;
}

void GtkShell::requestClose() {
    if (wizard_.run.running) {
        // The run ends first, and then closes the window itself.
        wizard_.run.stopRequested = true;
        wizard_.run.quitRequested = true;
        return;
    }
    closeMainWindow();
}

gboolean GtkShell::onKeyPress(GtkWidget*, GdkEventKey* event, gpointer self) {
    auto* shell = static_cast<GtkShell*>(self);
    // The window sees each key before the page does. A key the page did not
    // use comes back from the browser view as a copy of the same event,
    // which must not count a second time.
    if (shell->echoes_.isEcho({event->time, event->keyval, event->hardware_keycode, event->state})) return FALSE;
    return shell->handleKey(*event) ? TRUE : FALSE;
}

gboolean GtkShell::onDelete(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<GtkShell*>(self)->requestClose();
    return TRUE;
}

void GtkShell::onDestroy(GtkWidget*, gpointer self) {
    auto* shell = static_cast<GtkShell*>(self);
    shell->window_ = nullptr;
    shell->quitSeen_ = true;
    saveWindowSize(shell->size_);
    // A GtkApplication ends by itself with its last window.
    if (gtk_main_level() > 0) gtk_main_quit();
}

bool GtkShell::showPage(const std::string& html) {
    if (!webform_->Ready()) return false;
    webform_->write(html);
    return webform_->Go();
}

std::optional<std::string> GtkShell::fieldValue(const std::string& name) {
    if (const std::string* value = webform_->field(name)) return *value;
    return std::nullopt;
}

void GtkShell::setFieldValue(const std::string& name, const std::string& value) {
    webform_->runScript("(function(){var e=document.getElementsByName(decodeURIComponent('" + uriEncoded(name) +
                        "'));if(e.length)e[0].value=decodeURIComponent('" + uriEncoded(value) + "');})();");
}

bool GtkShell::focusIsTextInput() { return webform_->focusIsTextInput(); }

bool GtkShell::setInnerHtml(const std::string& id, const std::string& html) {
    webform_->setInnerHtml(id, html);
    return true;
}

void GtkShell::appendHtml(const std::string& id, const std::string& piece, std::string_view whole) {
    webform_->appendHtml(id, piece, whole);
}

ArchiveRun::ProgressSink GtkShell::progressSink() {
    return [this](const std::string& t1, double f1, const std::string& t2, double f2) {
        progress_->update(t1, f1, t2, f2);
        if (f1 != -1) progress_->showCounts(describeProgress(progressCounts(wizard_.run, tickCount())));
        wizard_.run.pumpMessages();
    };
}

bool GtkShell::pumpEvents() {
    // Everything pending, but bounded: a source that is always ready (an
    // idle handler, an animation) must not keep the job from going on.
    for (int i = 0; i < 1000 && !quitSeen_ && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
    return !quitSeen_;
}

void GtkShell::closeMainWindow() {
    if (window_) gtk_widget_destroy(window_);
}

}  // namespace tessaly
