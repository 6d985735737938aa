// catalogue_row.h - what the archive's catalogue knows of one archived
// message: where its file lies, the headers people search and sort by, the
// ids that thread it, its Gmail labels, its attachments and its plain text.
//
// Every text is UTF-8 as the page shows it (display forms, entities
// resolved); paths are relative to the archive root and use "/".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly {

struct CatalogueAttachment {
    std::string name;  // as the page's link shows it ("report.pdf")
    std::string path;  // the saved file, relative to the archive root
    uint64_t size = 0;
};

struct CatalogueRow {
    int64_t id = 0;            // the catalogue's own number; 0 before it is stored
    std::string path;          // the page or EML file ("Inbox/Alice - Hi - 05092002'143007'abc.html")
    std::string dir;           // the folder the file lies in, "" for the root, else ending in "/"
    std::string folder;        // the source folder as the page's Folder row names it
    int64_t date = 0;          // the message's time, seconds since 1970 UTC (the file's time)
    std::string from;          // "Alice Example <alice@example.org>"
    std::string to;
    std::string cc;
    std::string subject;
    std::string messageId;     // "<id@host>", or empty
    std::string inReplyTo;     // the first id of In-Reply-To, or empty
    std::string references;    // the ids of References, blank-separated
    std::string threadId;      // Gmail's X-GM-THRID, or empty
    std::string contentKey;    // the content key kept with the file, or empty
    // Gmail's labels (X-Gmail-Labels) as UTF-8, in their order, each once.
    std::vector<std::string> labels;
    std::vector<CatalogueAttachment> attachments;
    std::string text;          // the message's texts as plain text, for search
};

}  // namespace tessaly
