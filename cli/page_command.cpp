// page_command.cpp - the wizard without a window: dialogs answered with
// cancel, message boxes and external programs reported on stderr, runs
// performed for real, the last page printed byte for byte.
#include "cli/page_command.h"

#include <cstdio>
#include <string_view>

#include "app/dispatch.h"
#include "app/shell_interface.h"
#include "app/startup.h"
#include "app/url_query.h"
#include "cli/commands.h"
#include "cli/console.h"

namespace tessaly::cli {

namespace {

void printNote(const std::string& text) {
    std::string plain;
    for (const char c : text) {
        if (c != '\r') plain += c;
    }
    std::fprintf(stderr, "%s\n", plain.c_str());
}

// Keeps the page shown last in memory.
class HeadlessShell : public WizardShell {
public:
    explicit HeadlessShell(Console& console) : console_(console) {}

    const std::string& page() const { return page_; }
    bool anyPageShown() const { return shown_; }
    bool closed() const { return closed_; }

    bool showPage(const std::string& html) override {
        page_ = html;
        shown_ = true;
        return true;
    }
    std::optional<std::string> fieldValue(const std::string&) override { return std::nullopt; }
    void setFieldValue(const std::string&, const std::string&) override {}
    bool focusIsTextInput() override { return false; }
    // The live problem log of the archiving page.
    bool setInnerHtml(const std::string& id, const std::string& html) override {
        const std::string opening = "<div id=\"" + id + "\"";
        const size_t tag = page_.find(opening);
        if (tag == std::string::npos) return false;
        const size_t start = page_.find('>', tag);
        const size_t end = start == std::string::npos ? start : page_.find("</div>", start);
        if (end == std::string::npos) return false;
        page_.replace(start + 1, end - start - 1, html);
        return true;
    }
    void appendHtml(const std::string& id, const std::string& piece, std::string_view) override {
        const size_t tag = page_.find("<div id=\"" + id + "\"");
        const size_t start = tag == std::string::npos ? tag : page_.find('>', tag);
        const size_t end = start == std::string::npos ? start : page_.find("</div>", start);
        if (end != std::string::npos) page_.insert(end, piece);
    }
    void messageBox(const std::string& text, const std::string& caption, MessageIcon) override {
        printNote(caption + ": " + text);
    }
    std::vector<std::string> pickFiles(const FilePickRequest&) override { return {}; }
    std::optional<std::string> pickFolder(const FolderPickRequest&) override { return std::nullopt; }
    void openUrl(const std::string& url) override { printNote("not opened: " + url); }
    void exploreFolder(const std::string& path) override { printNote("not opened: " + path); }
    void* mainWindow() override { return nullptr; }
    ArchiveRun::ProgressSink progressSink() override { return console_.progressSink(); }
    // Ctrl+C stops the run after the current message, as the progress
    // window's close box does; the finish page is still shown.
    bool pumpEvents() override {
        if (!console_.messagePump()()) console_.run().stopRequested = true;
        return true;
    }
    void closeMainWindow() override { closed_ = true; }

private:
    Console& console_;
    std::string page_;
    bool shown_ = false;
    bool closed_ = false;
};

}  // namespace

bool isWizardUrl(const std::string& word) {
    static constexpr std::string_view kSchemes[] = {"webf:",   "help:", "dlg:", "history:", "future:",
                                                    "return:", "res:",  "http:", "mailto:"};
    for (const std::string_view scheme : kSchemes) {
        if (std::string_view(word).substr(0, scheme.size()) == scheme) return true;
    }
    return false;
}

int runPageCommand(const Options& options) {
    Console console(theRun());
    HeadlessShell shell(console);
    Wizard wizard(shell);
    startWizard(wizard, options.openFiles);
    bool open = true;
    if (options.openGiven) open = showFirstPage(wizard);
    for (size_t i = 0; open && i < options.files.size() && !shell.closed(); ++i) {
        const std::string& url = options.files[i];
        followLink(wizard, url, decodeQuery(url));
    }
    console.finishProgress();
    if (!open || shell.closed() || !shell.anyPageShown()) return kExitStopped;
    std::fwrite(shell.page().data(), 1, shell.page().size(), stdout);
    std::fflush(stdout);
    return kExitFinished;
}

}  // namespace tessaly::cli
