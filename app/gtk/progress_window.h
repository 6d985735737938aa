// progress_window.h - the small "Progress" window with two labelled bars
// that a run shows over the main window.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "app/progress_counts.h"
#include "app/run.h"

namespace tessaly {

// Under the bars: the run's counts and a Stop button, which does what the
// close box and Escape do.
class ProgressWindow {
public:
    // `onClose` runs when the user closes the window or presses Stop (a
    // stop request); the window is hidden, not destroyed, so later runs
    // show it again.
    ProgressWindow(GtkWindow* owner, std::function<void()> onClose);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // The progress sink of a run: fraction1 of -1 hides the window.
    void update(const std::string& text1, double fraction1, const std::string& text2, double fraction2);
    // The counts line and the rate line under the bars.
    void showCounts(const ProgressLines& lines);

    GtkWidget* stopButton() const { return stop_; }
    std::string countsText() const;
    std::string rateText() const;

    GtkWidget* window() const { return window_; }
    bool shown() const { return shown_; }
    std::string text(int line) const;
    int barPosition(int bar) const;

private:
    void layout(int width, int height);
    static void onSizeAllocate(GtkWidget*, GdkRectangle*, gpointer);
    static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer);
    static gboolean onKeyPress(GtkWidget*, GdkEventKey*, gpointer);
    static void onStop(GtkButton*, gpointer);

    GtkWindow* owner_;
    std::function<void()> onClose_;
    GtkWidget* window_ = nullptr;
    GtkWidget* fixed_ = nullptr;
    GtkWidget* labels_[2] = {};
    GtkWidget* bars_[2] = {};
    GtkWidget* counts_ = nullptr;
    GtkWidget* rate_ = nullptr;
    GtkWidget* stop_ = nullptr;
    int positions_[2] = {};
    bool shown_ = false;
    int laidOutWidth_ = -1;
    int laidOutHeight_ = -1;
};

}  // namespace tessaly
