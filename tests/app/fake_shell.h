// fake_shell.h - a shell for wizard tests: records what the wizard shows and
// asks, and answers pickers and fields from prepared values.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/shell_interface.h"

namespace tessaly::test {

class FakeShell : public WizardShell {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon;
    };

    // What the wizard did.
    std::vector<std::string> pages;
    std::vector<Message> messages;
    std::vector<FilePickRequest> fileRequests;
    std::vector<FolderPickRequest> folderRequests;
    std::vector<std::string> openedUrls;
    std::vector<std::string> exploredFolders;
    std::map<std::string, std::string> innerHtml;
    bool closed = false;
    int pumps = 0;
    int appends = 0;

    // How it answers.
    std::map<std::string, std::string> fields;
    std::deque<std::vector<std::string>> filePicks;
    std::optional<std::string> folderPick;
    bool pageHasMessages = true;
    bool refusePages = false;
    // Pumping reports a quit request from this pump on (0: never).
    int quitAtPump = 0;

    const std::string& lastPage() const {
        static const std::string none;
        return pages.empty() ? none : pages.back();
    }

    bool showPage(const std::string& html) override {
        if (refusePages) return false;
        pages.push_back(html);
        return true;
    }
    std::optional<std::string> fieldValue(const std::string& name) override {
        const auto found = fields.find(name);
        if (found == fields.end()) return std::nullopt;
        return found->second;
    }
    void setFieldValue(const std::string& name, const std::string& value) override { fields[name] = value; }
    bool focusIsTextInput() override { return false; }
    bool setInnerHtml(const std::string& id, const std::string& html) override {
        if (!pageHasMessages) return false;
        innerHtml[id] = html;
        return true;
    }
    void appendHtml(const std::string& id, const std::string& piece, std::string_view) override {
        ++appends;
        if (pageHasMessages) innerHtml[id] += piece;
    }
    void messageBox(const std::string& text, const std::string& caption, MessageIcon icon) override {
        messages.push_back({text, caption, icon});
    }
    std::vector<std::string> pickFiles(const FilePickRequest& request) override {
        fileRequests.push_back(request);
        if (filePicks.empty()) return {};
        std::vector<std::string> answer = filePicks.front();
        filePicks.pop_front();
        return answer;
    }
    std::optional<std::string> pickFolder(const FolderPickRequest& request) override {
        folderRequests.push_back(request);
        return folderPick;
    }
    void openUrl(const std::string& url) override { openedUrls.push_back(url); }
    void exploreFolder(const std::string& path) override { exploredFolders.push_back(path); }
    void* mainWindow() override { return nullptr; }
    ArchiveRun::ProgressSink progressSink() override { return {}; }
    bool pumpEvents() override {
        ++pumps;
        return quitAtPump == 0 || pumps < quitAtPump;
    }
    void closeMainWindow() override { closed = true; }
};

}  // namespace tessaly::test
