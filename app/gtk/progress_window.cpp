// progress_window.cpp - two labels and two bars, laid out by their area's
// size, the counts and the Stop button below them; centred over the main
// window and given the focus when first shown.
#include "app/gtk/progress_window.h"

#include <gdk/gdkkeysyms.h>

namespace tessaly {

ProgressWindow::ProgressWindow(GtkWindow* owner, std::function<void()> onClose)
    : owner_(owner), onClose_(std::move(onClose)) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_ref_sink(window_);
    gtk_window_set_title(GTK_WINDOW(window_), "Progress");
    gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_UTILITY);
    gtk_window_set_transient_for(GTK_WINDOW(window_), owner_);
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_), TRUE);
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(window_), column);
    // The bars keep their own area of 300 x 128.
    fixed_ = gtk_fixed_new();
    gtk_widget_set_size_request(fixed_, 300, 128);
    gtk_box_pack_start(GTK_BOX(column), fixed_, FALSE, FALSE, 0);
    for (int i = 0; i < 2; ++i) {
        labels_[i] = gtk_label_new(i == 0 ? "text1" : "text2");
        gtk_label_set_ellipsize(GTK_LABEL(labels_[i]), PANGO_ELLIPSIZE_END);
        gtk_label_set_justify(GTK_LABEL(labels_[i]), GTK_JUSTIFY_CENTER);
        bars_[i] = gtk_progress_bar_new();
        gtk_fixed_put(GTK_FIXED(fixed_), labels_[i], 5, 5);
        gtk_fixed_put(GTK_FIXED(fixed_), bars_[i], 5, 5);
    }
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_column_spacing(GTK_GRID(grid), 6);
    g_object_set(grid, "margin-start", 5, "margin-end", 5, "margin-bottom", 5, nullptr);
    gtk_box_pack_start(GTK_BOX(column), grid, FALSE, FALSE, 0);
    for (GtkWidget** label : {&counts_, &rate_}) {
        *label = gtk_label_new("");
        gtk_label_set_xalign(GTK_LABEL(*label), 0);
        gtk_label_set_ellipsize(GTK_LABEL(*label), PANGO_ELLIPSIZE_END);
        gtk_widget_set_hexpand(*label, TRUE);
        gtk_style_context_add_class(gtk_widget_get_style_context(*label), "dim-label");
    }
    stop_ = gtk_button_new_with_mnemonic("_Stop");
    gtk_widget_set_valign(stop_, GTK_ALIGN_CENTER);
    gtk_grid_attach(GTK_GRID(grid), counts_, 0, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), rate_, 0, 1, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), stop_, 1, 0, 1, 2);
    g_signal_connect(fixed_, "size-allocate", G_CALLBACK(onSizeAllocate), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(onKeyPress), this);
    g_signal_connect(stop_, "clicked", G_CALLBACK(onStop), this);
    gtk_widget_show_all(column);
    layout(300, 128);
}

ProgressWindow::~ProgressWindow() {
    g_signal_handlers_disconnect_by_data(window_, this);
    gtk_widget_destroy(window_);
    g_object_unref(window_);
}

// With h = H - 10: text 1 on the first fifth, bar 1 on the second, an empty
// band, text 2 on the fourth fifth and bar 2 on the rest.
void ProgressWindow::layout(int W, int H) {
    if (W == laidOutWidth_ && H == laidOutHeight_) return;
    laidOutWidth_ = W;
    laidOutHeight_ = H;
    const int h = H - 10;
    const int width = W - 10 > 1 ? W - 10 : 1;
    auto place = [&](GtkWidget* w, int y, int height) {
        gtk_fixed_move(GTK_FIXED(fixed_), w, 5, y);
        gtk_widget_set_size_request(w, width, height > 1 ? height : 1);
    };
    place(labels_[0], 5, h / 5);
    place(bars_[0], h / 5 + 5, 2 * h / 5 - h / 5);
    place(labels_[1], 3 * h / 5 + 5, (4 * h / 5 + 5) - (3 * h / 5 + 5));
    place(bars_[1], 4 * h / 5 + 5, H - (4 * h / 5 + 5) - 5);
}

void ProgressWindow::update(const std::string& text1, double fraction1, const std::string& text2,
                            double fraction2) {
    if (fraction1 == -1) {
        if (owner_) gtk_window_present(owner_);
        gtk_widget_hide(window_);
        shown_ = false;
        return;
    }
    if (!shown_) {
        int ox = 0, oy = 0, ow = 0, oh = 0;
        if (owner_) {
            gtk_window_get_position(owner_, &ox, &oy);
            gtk_window_get_size(owner_, &ow, &oh);
        }
        int w = 0, h = 0;
        gtk_window_get_size(GTK_WINDOW(window_), &w, &h);
        gtk_window_move(GTK_WINDOW(window_), ox + (ow - w) / 2, oy + (oh - h) / 2);
        gtk_widget_show(window_);
        // Escape and the Stop button answer at once, without a click first.
        gtk_window_present(GTK_WINDOW(window_));
        gtk_widget_grab_focus(stop_);
        shown_ = true;
    }
    gtk_label_set_text(GTK_LABEL(labels_[0]), text1.c_str());
    gtk_label_set_text(GTK_LABEL(labels_[1]), text2.c_str());
    const double fractions[2] = {fraction1, fraction2};
    for (int i = 0; i < 2; ++i) {
        positions_[i] = static_cast<int>(fractions[i] * 100 + 0.4);
        const int clamped = positions_[i] < 0 ? 0 : positions_[i] > 100 ? 100 : positions_[i];
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bars_[i]), clamped / 100.0);
    }
}

void ProgressWindow::showCounts(const ProgressLines& lines) {
    auto joined = [](const std::string& a, const std::string& b) {
        return a.empty() || b.empty() ? a + b : a + ", " + b;
    };
    gtk_label_set_text(GTK_LABEL(counts_), joined(lines.messages, lines.bytes).c_str());
    gtk_label_set_text(GTK_LABEL(rate_), joined(lines.rate, lines.timeLeft).c_str());
}

std::string ProgressWindow::countsText() const { return gtk_label_get_text(GTK_LABEL(counts_)); }

std::string ProgressWindow::rateText() const { return gtk_label_get_text(GTK_LABEL(rate_)); }

std::string ProgressWindow::text(int line) const {
    return gtk_label_get_text(GTK_LABEL(labels_[line == 1 ? 0 : 1]));
}

int ProgressWindow::barPosition(int bar) const { return positions_[bar == 1 ? 0 : 1]; }

void ProgressWindow::onSizeAllocate(GtkWidget* widget, GdkRectangle*, gpointer self) {
    static_cast<ProgressWindow*>(self)->layout(gtk_widget_get_allocated_width(widget),
                                               gtk_widget_get_allocated_height(widget));
}

// Escape asks to stop, as the close box does.
gboolean ProgressWindow::onKeyPress(GtkWidget*, GdkEventKey* event, gpointer self) {
    if (event->keyval != GDK_KEY_Escape) return FALSE;
    gtk_window_close(GTK_WINDOW(static_cast<ProgressWindow*>(self)->window_));
    return TRUE;
}

void ProgressWindow::onStop(GtkButton*, gpointer self) {
    gtk_window_close(GTK_WINDOW(static_cast<ProgressWindow*>(self)->window_));
}

gboolean ProgressWindow::onDelete(GtkWidget*, GdkEvent*, gpointer self) {
    auto* progress = static_cast<ProgressWindow*>(self);
    if (progress->onClose_) progress->onClose_();
    gtk_widget_hide(progress->window_);
    progress->shown_ = false;
    return TRUE;  // kept alive for the next run
}

}  // namespace tessaly
