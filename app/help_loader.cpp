// help_loader.cpp - cutting help topics out of their files.
#include "app/help_loader.h"


#include "app/page_frame.h"
#include "message/text.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace tessaly {

namespace {

// Topic files are small; a larger one is read only this far.
constexpr size_t kMaxHelpFile = 4 * 1024 * 1024;

std::string readTopicFile(const std::string& path) {
    std::string bytes;
    uint64_t size = 0;
    if (path.empty() || !readFileStart(path, kMaxHelpFile, bytes, size)) return {};
    return bytes;
}

}  // namespace

std::string helpFilePath(const std::string& url) {
    const std::string topic = url.size() > 5 ? url.substr(5) : std::string();
    // Links come from pages and topic files, but a topic is never a path.
    if (topic.find('/') != std::string::npos || topic.find('\\') != std::string::npos) return {};
    return dataFolder() + "/help_" + topic;
}

std::optional<std::string> cutHelpBody(std::string_view file) {
    if (file.size() <= 7) return std::nullopt;
    const size_t endPos = file.size() - 7;
    size_t start = std::string_view::npos;
    for (size_t i = 0; i + 4 <= endPos; ++i) {
        if (startsWithIgnoringCase(file.substr(i), "<h2>")) {
            start = i;
            break;
        }
    }
    size_t stop = std::string_view::npos;
    for (size_t j = endPos + 1; j-- > 0;) {
        if (startsWithIgnoringCase(file.substr(j), "</body>")) {
            stop = j;
            break;
        }
    }
    // A "</body>" before the heading leaves nothing to show.
    if (start == std::string_view::npos || stop == std::string_view::npos || stop < start) return std::nullopt;

    const std::string_view part = file.substr(start, stop - start);
    static constexpr std::string_view kFileLink = "href=\"help_";
    std::string body;
    body.reserve(part.size());
    size_t pos = 0;
    while (true) {
        const size_t found = part.find(kFileLink, pos);
        if (found == std::string_view::npos) break;
        body += part.substr(pos, found - pos);
        body += "href=\"help:";
        pos = found + kFileLink.size();
    }
    body += part.substr(pos);
    return body;
}

void writeHelpPage(Wizard& wizard, std::string& page, const std::string& url) {
    writeToolbar(wizard, page, "", false);
    std::string path = helpFilePath(url);
    std::string file = readTopicFile(path);
    // Problem lines of the mailbox packer name a topic without ".html".
    if (file.empty() && !path.empty() && extensionOf(path).empty()) {
        const std::string withExtension = path + ".html";
        file = readTopicFile(withExtension);
        if (!file.empty()) path = withExtension;
    }
    if (const std::optional<std::string> body = cutHelpBody(file)) {
        page += *body;
    } else {
        page += "<p>Error loading help... " + htmlEscape(path.empty() ? url : path) + "</p>\r\n";
    }
    if (!wizard.helpNoteShown) {
        page += "<p>(Within the help system, at any time, click the return button ";
        if (!wizard.nav.returnTarget.empty()) {
            page += "<a href=\"";
            page += wizard.nav.returnTarget;
            page += "\"><img style=\"border: 0;\" src=\"return_transp.gif\" srcset=\"return_transp@2x.gif 2x\" width=15 height=15></a> ";
        } else {
            page += "<img src=\"return_transp.gif\" srcset=\"return_transp@2x.gif 2x\" width=15 height=15> ";
        }
        page += "at the top to get back to the program proper, or the index button "
                "<a href=\"help:index.html\"><img style=\"border: 0;\" src=\"index_transp.gif\" srcset=\"index_transp@2x.gif 2x\" width=15 height=15></a>"
                " for a list of all help topics.)</p>\r\n\r\n";
        wizard.helpNoteShown = true;
    }
}

}  // namespace tessaly
