// stylesheet.cpp - writes the archive's default stylesheet once.
#include "archive/stylesheet.h"

#include "platform/files.h"

namespace tessaly {

std::string_view defaultStylesheet() {
    static constexpr std::string_view kContent =
        "body {margin: 0; background-color: white; color: black;}\r\n"
        ".headers {font-size: larger; font-weight: bold; background-color: rgb(250,240,210); "
        "padding: 1ex;}\r\n"
        ".headers .title {font-size: small; font-weight: normal; width: 3.2em;}\r\n"
        ".headers a {color: black; text-decoration: none;}\r\n"
        ".headers a:hover {color: blue; text-decoration: underline;}\r\n"
        ".headers a:active {color: blue; text-decoration: underline;}\r\n"
        ".attachments {padding: 0.5ex; border-left: solid 1ex rgb(250,240,210); border-right: "
        "solid 1ex rgb(250,240,210); border-bottom: solid 1ex rgb(250,240,210);}\r\n"
        ".attachment {margin-left: 0.5em; margin-right: 0.5em;}\r\n"
        ".texts {padding-bottom: 1ex;}\r\n"
        ".flowed {padding: 1ex; padding-top: 2ex;}\r\n"
        ".flowed p {margin-top: 0; margin-bottom: 0;}\r\n"
        ".fixed {font-family: monospace; font-size: smaller; background-color: rgb(248,248,248); "
        "padding: 1ex;}\r\n"
        ".images img {margin: 1ex;}\r\n"
        ".footers {margin-top: 5ex; font-size: smaller; background-color: rgb(248,248,248); "
        "padding: 1ex;}\r\n"
        ".footers a {color: black; text-decoration: none;}\r\n"
        ".footers a:hover {color: blue; text-decoration: underline;}\r\n"
        ".footers a:active {color: blue; text-decoration: underline;}\r\n"
        "\r\n";
    return kContent;
}

void writeStylesheet(const std::string& archiveFolder) {
    // Written whole under a temporary name first: a run cut short must not
    // leave half a stylesheet that no later run would replace.
    removeStaleTemporaries(archiveFolder);
    const std::string path = archiveFolder + "/folvane.css";
    if (pathExists(path)) return;
    OutputFile file;
    if (!file.createStaged(path)) return;
    file.write(defaultStylesheet());
    file.commit(CreateMode::New);
}

}  // namespace tessaly
