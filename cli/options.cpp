// options.cpp - parsing and checking the command line of tessaly-cli.
#include "cli/options.h"

#include <algorithm>
#include <set>

#include "cli/page_command.h"
#include "platform/ascii.h"

namespace tessaly::cli {

namespace {

bool isPstFile(const std::string& file) {
    return file.size() >= 4 && equalsIgnoringCase(std::string_view(file).substr(file.size() - 4), ".pst");
}

}  // namespace

const char* usageText() {
    return "Usage:\n"
           "  tessaly-cli archive [--format html|eml] [--flat] [--no-labels] --to DIR FILE...\n"
           "      Archive mailbox files, Maildir or MH folders, or Outlook Express .dbx files\n"
           "      (one kind per run). A mailbox whose messages carry Gmail labels (a Takeout\n"
           "      file) is archived into one folder per label, unless --no-labels.\n"
           "  tessaly-cli archive --to DIR [--flat] [--folder NAME]... FILE.pst\n"
           "      Archive the mail folders of an Outlook .pst file as HTML pages (without\n"
           "      --folder: every folder except the store's Drafts folder; --folder NAME\n"
           "      takes every folder of that name).\n"
           "  tessaly-cli archive-oe [--format html|eml] [--flat] --to DIR\n"
           "                         [--identity NAME | --store-dir DIR] [--folder NAME]...\n"
           "      Archive an Outlook Express store.\n"
           "  tessaly-cli list-oe [--identity NAME | --store-dir DIR]\n"
           "      List the folders of an Outlook Express store.\n"
           "  tessaly-cli stores\n"
           "      List the mail stores of this user's mail programs (Thunderbird, Maildir,\n"
           "      Evolution, KMail, MH), one a line: kind, name and path, tab-separated.\n"
           "  tessaly-cli list-store STORE\n"
           "      List the folders of a store (a name from 'stores', or a path to a\n"
           "      Thunderbird profile or a Maildir, KMail or MH root).\n"
           "  tessaly-cli archive-store [--format html|eml] [--flat] [--no-labels] --to DIR\n"
           "                            STORE [--folder NAME]...\n"
           "      Archive a store's folders (NAME: a folder's name or its path in the tree,\n"
           "      as \"Local Folders/Inbox\"; without --folder: every folder but trash,\n"
           "      drafts, junk, templates and outbox).\n"
           "  tessaly-cli list-pst FILE.pst\n"
           "      List the mail folders of an Outlook .pst file.\n"
           "  tessaly-cli eml2mbox DIR\n"
           "      Pack each folder of .eml files below DIR into one mailbox file.\n"
           "  tessaly-cli index DIR\n"
           "      Make the catalogue, the browse pages (DIR/index.html) and the search files\n"
           "      of an archive folder anew from its page and EML files.\n"
           "  tessaly-cli search --in DIR WORDS...\n"
           "      Print the archive files (relative to DIR) of the messages that match, one\n"
           "      a line, newest first: words (the last also as a prefix), \"a phrase\",\n"
           "      from:WORD, subject:WORD, after:YYYY-MM-DD, before:YYYY-MM-DD. Exit status\n"
           "      0 when something matched, 1 when nothing did.\n"
           "  tessaly-cli page [--open FILE...] URL...\n"
           "      Drive the wizard without a window: start as the program does (with FILE...\n"
           "      as its command line), follow each URL as a click would (a form as its URL\n"
           "      with the query), answer dialogs with cancel, perform runs, and print the\n"
           "      page shown last. Exit status 1 when no page is shown.\n"
           "\n"
           "Exit status: 0 when the run finished (with or without problems), 1 when it was\n"
           "stopped, 2 for a usage error.\n";
}

std::optional<Options> parseOptions(int argc, char** argv, std::string& error) {
    if (argc < 2) {
        error = "no command given";
        return std::nullopt;
    }
    Options options;
    options.command = argv[1];
    static const std::set<std::string> kCommands = {"archive",  "archive-oe", "list-oe", "list-pst", "eml2mbox",
                                                      "page",     "index",      "search",  "stores",   "list-store",
                                                      "archive-store"};
    if (!kCommands.count(options.command)) {
        error = "unknown command '" + options.command + "'";
        return std::nullopt;
    }

    bool formatGiven = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (arg == "--format") {
            if (!value(options.format)) return std::nullopt;
            formatGiven = true;
            if (options.format != "html" && options.format != "eml") {
                error = "--format must be html or eml";
                return std::nullopt;
            }
        } else if (arg == "--flat") {
            options.flat = true;
        } else if (arg == "--no-labels") {
            options.noLabels = true;
        } else if (arg == "--to") {
            if (!value(options.to)) return std::nullopt;
        } else if (arg == "--identity") {
            if (!value(options.identity)) return std::nullopt;
        } else if (arg == "--store-dir") {
            if (!value(options.storeDir)) return std::nullopt;
        } else if (arg == "--in" && options.command == "search") {
            if (!value(options.in)) return std::nullopt;
        } else if (arg == "--folder") {
            std::string folder;
            if (!value(folder)) return std::nullopt;
            options.folders.push_back(folder);
        } else if (arg == "--open" && options.command == "page") {
            // Files up to the first URL.
            options.openGiven = true;
            while (i + 1 < argc && !isWizardUrl(argv[i + 1])) options.openFiles.push_back(argv[++i]);
        } else if (arg == "--") {
            for (++i; i < argc; ++i) options.files.push_back(argv[i]);
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else {
            options.files.push_back(arg);
        }
    }

    const std::string& c = options.command;
    const bool archives = c == "archive" || c == "archive-oe" || c == "archive-store";
    if (archives && options.to.empty()) {
        error = c + " needs --to DIR";
    } else if (c == "archive" && options.files.empty()) {
        error = "archive needs at least one FILE";
    } else if ((c == "archive-store" || c == "list-store") && options.files.size() != 1) {
        error = c + " needs exactly one STORE";
    } else if (c == "stores" && !options.files.empty()) {
        error = "stores takes no arguments";
    } else if (options.noLabels && c != "archive" && c != "archive-store") {
        error = c + " takes no --no-labels";
    } else if (!archives && (formatGiven || options.flat || !options.to.empty())) {
        error = c + " takes no --format, --flat or --to";
    } else if ((c == "archive-oe" || c == "list-oe") && !options.identity.empty() &&
               !options.storeDir.empty()) {
        error = "give --identity or --store-dir, not both";
    } else if ((c == "archive-oe" || c == "list-oe") && !options.files.empty()) {
        error = c + " takes no FILE arguments";
    } else if ((c == "list-oe" || c == "list-pst" || c == "list-store" || c == "stores") &&
               !options.folders.empty()) {
        error = c + " takes no --folder";
    } else if (c == "list-pst" && options.files.size() != 1) {
        error = "list-pst needs exactly one FILE.pst";
    } else if (c == "index" && options.files.size() != 1) {
        error = "index needs exactly one DIR";
    } else if (c == "search" && options.in.empty()) {
        error = "search needs --in DIR";
    } else if (c == "search" && options.files.empty()) {
        error = "search needs at least one word";
    } else if ((c == "index" || c == "search") && !options.folders.empty()) {
        error = c + " takes no --folder";
    } else if (c == "eml2mbox" && options.files.size() != 1) {
        error = "eml2mbox needs exactly one DIR";
    } else if (c != "archive-oe" && c != "list-oe" && (!options.identity.empty() || !options.storeDir.empty())) {
        error = c + " takes no --identity or --store-dir";
    } else if (c == "page" && !options.folders.empty()) {
        error = "page takes no --folder";
    } else if (c == "page" && options.files.empty() && !options.openGiven) {
        error = "page needs --open FILE... or at least one URL";
    } else if (c == "archive" && !options.folders.empty() &&
               std::none_of(options.files.begin(), options.files.end(), isPstFile)) {
        error = "archive takes --folder only with a .pst file";
    }
    if (!error.empty()) return std::nullopt;
    return options;
}

}  // namespace tessaly::cli
