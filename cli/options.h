// options.h - the command line of tessaly-cli.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessaly::cli {

struct Options {
    std::string command;
    std::string format = "html";  // --format html|eml
    bool flat = false;             // --flat: everything in the archive folder itself
    bool noLabels = false;         // --no-labels: a Gmail mailbox in one folder, not one per label
    std::string to;                // --to DIR
    std::string identity;          // --identity NAME
    std::string storeDir;          // --store-dir DIR
    std::string in;                // search: --in DIR
    std::vector<std::string> folders;  // --folder NAME (repeatable)
    std::vector<std::string> files;    // the rest
    bool openGiven = false;                // page: --open FILE... before the URLs
    std::vector<std::string> openFiles;
};

// Parses argv; on a usage error returns nothing and sets `error` to a
// one-line message.
std::optional<Options> parseOptions(int argc, char** argv, std::string& error);

// The usage text.
const char* usageText();

}  // namespace tessaly::cli
