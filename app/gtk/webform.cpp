// webform.cpp - page files, navigation interception and page access over
// a WebKitWebView.
#include "app/gtk/webform.h"

#include <cstdio>
#include <cstring>

#include "app/page_frame.h"
#include "platform/ascii.h"
#include "platform/folders.h"
#include "platform/time.h"

namespace tessaly {

namespace {

// Tells the host whenever the focus enters or leaves a text field, so that
// Backspace can edit the field instead of going back.
const char kFocusScript[] =
    "(function() {"
    "  function report() {"
    "    var e = document.activeElement;"
    "    var text = !!e && (e.tagName == 'TEXTAREA' || (e.tagName == 'INPUT' &&"
    "        ['text', 'search', 'password', 'email', 'url', 'number', 'tel', '']"
    "            .indexOf((e.getAttribute('type') || '').toLowerCase()) >= 0));"
    "    window.webkit.messageHandlers.tessalyFocus.postMessage(text);"
    "  }"
    "  document.addEventListener('focusin', report, true);"
    "  document.addEventListener('focusout', function() { setTimeout(report, 0); }, true);"
    "  report();"
    "})();";

void debugMessage(const char* text) { std::fprintf(stderr, "%s\n", text); }

// JavaScript string literal of any text.
std::string scriptString(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '\'') {
            out += '\\';
            out += c;
        } else if (byte < 32 || c == '<') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "'";
}

// The page with a <base> that makes its relative links (dialog.css, the
// toolbar images, help pages) resolve in the data folder, although the
// file itself lies in the runtime folder.
std::string withDataFolderBase(const std::string& page) {
    const std::string base = "<base href=\"" + pageBaseUri() + "\">";
    size_t head = std::string::npos;
    for (size_t i = 0; i + 6 <= page.size() && i < 4096; ++i) {
        if (startsWithIgnoringCase(std::string_view(page).substr(i), "<head>")) {
            head = i + 6;
            break;
        }
    }
    if (head == std::string::npos) return base + page;
    return page.substr(0, head) + base + page.substr(head);
}

void removeStalePageFiles() {
    std::vector<FolderEntry> entries;
    const std::string folder = runtimeFolder();
    if (!listFolder(folder, entries)) return;
    for (const FolderEntry& e : entries) {
        if (e.name.size() > 8 && e.name.compare(0, 3, "wbf") == 0 &&
            e.name.compare(e.name.size() - 5, 5, ".html") == 0) {
            removeFile(folder + "/" + e.name);
        }
    }
}

}  // namespace

std::string TWebf::pageFileName(uint32_t ticks, const std::function<bool(const std::string&)>& taken) {
    unsigned long n = ticks / 100;
    for (unsigned long tries = 0; tries <= 100000; ++tries) {
        ++n;
        const std::string name = "wbf" + std::to_string(n % 100000) + ".html";
        if (!taken(name)) return name;
    }
    return "";
}

TWebf::TWebf() {
    static bool cleaned = false;
    if (!cleaned) {
        removeStalePageFiles();  // left over by a process that ended early
        cleaned = true;
    }
    WebKitUserContentManager* content = webkit_user_content_manager_new();
    webkit_user_content_manager_register_script_message_handler(content, "tessalyFocus");
    g_signal_connect(content, "script-message-received::tessalyFocus", G_CALLBACK(onFocusMessage), this);
    WebKitUserScript* script = webkit_user_script_new(
        kFocusScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME, WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_END,
        nullptr, nullptr);
    webkit_user_content_manager_add_script(content, script);
    webkit_user_script_unref(script);

    view_ = WEBKIT_WEB_VIEW(webkit_web_view_new_with_user_content_manager(content));
    g_object_unref(content);
    g_object_ref_sink(view_);
    WebKitSettings* settings = webkit_web_view_get_settings(view_);
    webkit_settings_set_enable_developer_extras(settings, FALSE);
    g_signal_connect(view_, "decide-policy", G_CALLBACK(onDecidePolicy), this);
    g_signal_connect(view_, "load-changed", G_CALLBACK(onLoadChanged), this);
    // The browser shows no context menu of its own.
    g_signal_connect(view_, "context-menu", G_CALLBACK(+[](WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                                           WebKitHitTestResult*, gpointer) { return TRUE; }),
                     nullptr);
}

TWebf::~TWebf() {
    if (pendingRequest_ != 0) g_source_remove(pendingRequest_);
    g_signal_handlers_disconnect_by_data(view_, this);
    WebKitUserContentManager* content = webkit_web_view_get_user_content_manager(view_);
    g_signal_handlers_disconnect_by_data(content, this);
    if (readyFile_.isOpen()) debugMessage("Webform error: destroyed, but something is Ready().");
    if (!shownFile_.empty()) removeFile(shownFile_);
    if (!readyPath_.empty()) {
        readyFile_.close();
        removeFile(readyPath_);
    }
    g_object_unref(view_);
}

bool TWebf::Ready() {
    if (readyFile_.isOpen()) {
        debugMessage("Webform error: asked for Ready(), but something already is.");
        return false;
    }
    const std::string folder = runtimeFolder();
    const std::string name = pageFileName(tickCount(), [&](const std::string& candidate) {
        return pathExists(folder + "/" + candidate);
    });
    if (name.empty()) return false;
    if (!readyFile_.create(folder + "/" + name, CreateMode::Always)) return false;
    readyPath_ = folder + "/" + name;
    readyPage_.clear();
    return true;
}

bool TWebf::write(const std::string& bytes) {
    if (!readyFile_.isOpen()) return false;
    readyPage_ += bytes;
    return true;
}

bool TWebf::Go(const std::string& url) {
    std::string target = url;
    if (!url.empty()) {
        if (readyFile_.isOpen()) {
            debugMessage("Webform error: tried to Go() to a url, but something was Ready().");
            return false;
        }
    } else {
        if (!readyFile_.isOpen()) {
            debugMessage("Webform error: tried to Go(), but nothing was Ready().");
            return false;
        }
        readyFile_.write(withDataFolderBase(readyPage_));
        readyFile_.close();
        readyPage_.clear();
        gchar* uri = g_filename_to_uri(readyPath_.c_str(), nullptr, nullptr);
        target = uri ? uri : "";
        g_free(uri);
    }
    ownNavigations_.push_back(target);
    webkit_web_view_load_uri(view_, target.c_str());
    if (!shownFile_.empty()) removeFile(shownFile_);
    shownFile_ = url.empty() ? readyPath_ : std::string();
    shownCommitted_ = false;
    readyPath_.clear();
    return true;
}

const std::string* TWebf::field(const std::string& name) const { return findField(requestFields_, name); }

void TWebf::setInnerHtml(const std::string& id, const std::string& html) {
    runScript("(function(){var e=document.getElementById(" + scriptString(id) + ");if(e)e.innerHTML=" +
              scriptString(html) + ";})();");
}

void TWebf::appendHtml(const std::string& id, const std::string& piece, std::string_view whole) {
    if (webkit_web_view_is_loading(view_)) {
        pendingId_ = id;
        pendingWhole_.assign(whole);
        return;
    }
    if (appendedAtLoad_ != loadsFinished_) {
        appendedAtLoad_ = loadsFinished_;
        setInnerHtml(id, std::string(whole));
        return;
    }
    runScript("(function(){var e=document.getElementById(" + scriptString(id) +
              ");if(e)e.insertAdjacentHTML('beforeend'," + scriptString(piece) + ");})();");
}

void TWebf::runScript(const std::string& script) {
    webkit_web_view_evaluate_javascript(view_, script.c_str(), static_cast<gssize>(script.size()), nullptr,
                                        nullptr, nullptr, nullptr, nullptr);
}

// WebKit may give a file URI back escaped otherwise than it was given: file
// URIs are compared by the path they name.
bool TWebf::takeOwnNavigation(const std::string& uri) {
    auto samePlace = [](const std::string& a, const std::string& b) {
        if (a == b) return true;
        gchar* pathA = g_filename_from_uri(a.c_str(), nullptr, nullptr);
        gchar* pathB = g_filename_from_uri(b.c_str(), nullptr, nullptr);
        const bool same = pathA && pathB && std::strcmp(pathA, pathB) == 0;
        g_free(pathA);
        g_free(pathB);
        return same;
    };
    for (auto own = ownNavigations_.begin(); own != ownNavigations_.end(); ++own) {
        if (!samePlace(*own, uri)) continue;
        // Those shown before it were replaced by it; WebKit will not ask
        // about them any more.
        ownNavigations_.erase(ownNavigations_.begin(), own + 1);
        return true;
    }
    return false;
}

gboolean TWebf::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                               gpointer self) {
    auto* host = static_cast<TWebf*>(self);
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
        type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
        return FALSE;
    }
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const char* uri = webkit_uri_request_get_uri(request);
    if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && host->takeOwnNavigation(uri ? uri : "")) {
        webkit_policy_decision_use(decision);  // the program's own page
        return TRUE;
    }
    webkit_policy_decision_ignore(decision);
    host->requestUrl_ = uri ? uri : "";
    host->requestFields_ = decodeQuery(host->requestUrl_);
    // Notify from the main loop, as a posted message would.
    if (host->pendingRequest_ == 0) {
        host->pendingRequest_ = g_idle_add(
            +[](gpointer data) -> gboolean {
                auto* h = static_cast<TWebf*>(data);
                h->pendingRequest_ = 0;
                if (h->onRequest_) h->onRequest_();
                return G_SOURCE_REMOVE;
            },
            host);
    }
    return TRUE;
}

void TWebf::onLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
    auto* host = static_cast<TWebf*>(self);
    if (event != WEBKIT_LOAD_FINISHED && event != WEBKIT_LOAD_COMMITTED) return;
    const char* uri = webkit_web_view_get_uri(view);
    gchar* loaded = uri ? g_filename_from_uri(uri, nullptr, nullptr) : nullptr;
    const bool namesShown = loaded && host->shownFile_ == loaded;
    g_free(loaded);
    if (event == WEBKIT_LOAD_COMMITTED) {
        host->shownCommitted_ = host->shownCommitted_ || namesShown;
        return;
    }
    // A load cut short by the next page also finishes, and the view may
    // already name the next page then; only the shown page's own load,
    // once committed, may delete its file.
    const bool isShown = namesShown && host->shownCommitted_ && !webkit_web_view_is_loading(view);
    if (isShown) {
        removeFile(host->shownFile_);
        host->shownFile_.clear();
    }
    ++host->loadsFinished_;
    if (!host->pendingId_.empty() && !webkit_web_view_is_loading(view)) {
        host->appendedAtLoad_ = host->loadsFinished_;
        host->setInnerHtml(host->pendingId_, host->pendingWhole_);
        host->pendingId_.clear();
        host->pendingWhole_.clear();
    }
}

void TWebf::onFocusMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self) {
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    static_cast<TWebf*>(self)->focusInText_ = jsc_value_is_boolean(value) && jsc_value_to_boolean(value);
}

}  // namespace tessaly
