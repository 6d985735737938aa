// dispatch.cpp - the URL dispatcher and the page history.
#include "app/dispatch.h"

#include <string_view>

#include "app/page_frame.h"
#include "app/run_sequence.h"

namespace tessaly {

namespace {

bool beginsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Shows a page from the history lists: no change to history or future.
void showFromList(Wizard& wizard, std::deque<std::string>& list) {
    if (list.empty()) return;
    const std::string url = list.front();
    list.pop_front();
    showPage(wizard, url);
    wizard.nav.currentPage = url;
}

void startRunAction(Wizard& wizard, const std::string&) { runArchiving(wizard); }

void openExternal(Wizard& wizard, const std::string& url) { wizard.shell.openUrl(url); }

void dialogAction(Wizard& wizard, const std::string& url) {
    runDialogAction(wizard, url.substr(4));
}

void goBack(Wizard& wizard, const std::string&) {
    Navigation& nav = wizard.nav;
    if (nav.history.empty()) return;
    nav.future.push_front(nav.currentPage);
    showFromList(wizard, nav.history);
}

void goForward(Wizard& wizard, const std::string&) {
    Navigation& nav = wizard.nav;
    if (nav.future.empty()) return;
    nav.history.push_front(nav.currentPage);
    showFromList(wizard, nav.future);
}

// Back to the wizard page where help was first asked for; the help pages
// passed on the way become the future.
void returnFromHelp(Wizard& wizard, const std::string&) {
    Navigation& nav = wizard.nav;
    // The button is disabled until help was opened from a wizard page.
    if (nav.returnTarget.empty()) return;
    nav.future.clear();
    nav.future.push_front(nav.currentPage);
    if (nav.history.empty()) nav.history.push_front(nav.returnTarget);
    while (nav.history.front() != nav.returnTarget) {
        nav.future.push_front(nav.history.front());
        nav.history.pop_front();
        if (nav.history.empty()) nav.history.push_front(nav.returnTarget);
    }
    showFromList(wizard, nav.history);
}

void ignore(Wizard&, const std::string&) {}

void newPage(Wizard& wizard, const std::string& url) {
    Navigation& nav = wizard.nav;
    if (!nav.currentPage.empty()) nav.history.push_front(nav.currentPage);
    nav.future.clear();
    if (beginsWith(nav.currentPage, "webf:") && beginsWith(url, "help:")) nav.returnTarget = nav.currentPage;
    // A page that cannot be shown leaves the history as changed above.
    showPage(wizard, url);
    nav.currentPage = withoutQuery(url);
}

using Action = void (*)(Wizard&, const std::string&);

struct Route {
    std::string_view prefix;
    Action action;
};

// In the order the wizard tests them; anything else is a page.
constexpr Route kRoutes[] = {
    {"webf:go", startRunAction},
    {"http:", openExternal},
    {"mailto:", openExternal},
    {"dlg:", dialogAction},
    {"history:", goBack},
    {"future:", goForward},
    {"return:", returnFromHelp},
    {"res:", ignore},
};

}  // namespace

void dispatch(Wizard& wizard, const std::string& url) {
    for (const Route& route : kRoutes) {
        if (beginsWith(url, route.prefix)) {
            route.action(wizard, url);
            return;
        }
    }
    newPage(wizard, url);
}

void followLink(Wizard& wizard, const std::string& url, const FormFields& fields) {
    if (wizard.run.running) return;
    readFormFields(wizard.settings, fields);
    dispatch(wizard, url);
}

}  // namespace tessaly
