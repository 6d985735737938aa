// webform.h - the web-form host: shows generated pages in a WebKitWebView
// and turns every clicked link and submitted form into a request for the
// main window instead of letting the browser follow it.
#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <string>
#include <vector>

#include "app/url_query.h"
#include "platform/files.h"

namespace tessaly {

class TWebf {
public:
    // Called for each intercepted navigation, after requestUrl and the
    // fields are recorded.
    using RequestHandler = std::function<void()>;

    TWebf();
    ~TWebf();
    TWebf(const TWebf&) = delete;
    TWebf& operator=(const TWebf&) = delete;

    GtkWidget* widget() const { return GTK_WIDGET(view_); }
    void onRequest(RequestHandler handler) { onRequest_ = std::move(handler); }

    // A fresh page file "wbf<n>.html" in the runtime folder; false when
    // one is ready already or it cannot be created.
    bool Ready();
    // Appends to the ready page; Go() writes it out.
    bool write(const std::string& bytes);
    // Shows the ready page, or navigates to `url` when one is given.
    bool Go(const std::string& url = "");

    const std::string& requestUrl() const { return requestUrl_; }
    const FormFields& requestFields() const { return requestFields_; }
    // The first field of the last request named exactly `name`.
    const std::string* field(const std::string& name) const;

    // Whether the page's focused element is a text field (kept up to date
    // by a small script in every page).
    bool focusIsTextInput() const { return focusInText_; }
    // Sets the inner HTML of the element with that id, if the page has one.
    void setInnerHtml(const std::string& id, const std::string& html);
    // Adds `piece` at the end of that element. The first piece a new page
    // gets sets `whole` instead; while a page loads, `whole` is set again
    // once it has loaded. A long log then costs one script per line, not a
    // rewrite of the whole log.
    void appendHtml(const std::string& id, const std::string& piece, std::string_view whole);
    // Runs a script in the page (tests drive the page with it).
    void runScript(const std::string& script);

    // The page file being shown (deleted once loaded) and the ready one.
    const std::string& shownFile() const { return shownFile_; }
    const std::string& readyPath() const { return readyPath_; }
    // Loads finished so far; tests wait on it.
    unsigned loadsFinished() const { return loadsFinished_; }

    // The name Ready() gives: "wbf%lu.html" of n mod 100000, from `ticks`
    // / 100 + 1 upwards until `taken` says no.
    static std::string pageFileName(uint32_t ticks, const std::function<bool(const std::string&)>& taken);

private:
    // True, once, for a navigation Go() started.
    bool takeOwnNavigation(const std::string& uri);
    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision*, WebKitPolicyDecisionType, gpointer);
    static void onLoadChanged(WebKitWebView*, WebKitLoadEvent, gpointer);
    static void onFocusMessage(WebKitUserContentManager*, WebKitJavascriptResult*, gpointer);

    WebKitWebView* view_ = nullptr;
    // The program's own navigations WebKit has not yet asked about, oldest
    // first. A second page shown before WebKit asks about the first must
    // still be let through, so one flag is not enough.
    std::vector<std::string> ownNavigations_;
    std::string shownFile_;
    // Whether WebKit has committed the load of the shown page's file: only
    // then is its file read, and a finished load its own.
    bool shownCommitted_ = false;
    unsigned appendedAtLoad_ = ~0u;  // loadsFinished_ at the last piece added
    std::string pendingId_;          // set once the loading page is there
    std::string pendingWhole_;
    OutputFile readyFile_;
    std::string readyPath_;
    std::string readyPage_;
    std::string requestUrl_;
    FormFields requestFields_;
    bool focusInText_ = false;
    unsigned loadsFinished_ = 0;
    guint pendingRequest_ = 0;
    RequestHandler onRequest_;
};

}  // namespace tessaly
