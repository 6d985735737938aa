// search_page.cpp - the search page: a form, a status line and the result
// list, which search.js fills. Without scripts it says so and links to the
// browse pages.
#include "browse/search_page.h"

namespace tessaly {

std::string searchPage() {
    std::string page;
    page += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    page += "<title>Search the archive</title>\n";
    page += "<link rel=\"stylesheet\" href=\".tessaly/browse.css\">\n";
    // Enough style of its own to read well without the browse stylesheet.
    page += "<style>\n"
            "body.tessaly-search{font-family:sans-serif;line-height:1.4;max-width:60em;margin:1em auto;padding:0 1em;color:#222;background:#fff}\n"
            ".tessaly-search form{margin:0.5em 0 1em}\n"
            ".tessaly-search input[type=search]{width:70%;max-width:36em;font-size:1.1em;padding:0.25em}\n"
            ".tessaly-search button{font-size:1em;padding:0.25em 0.8em}\n"
            ".tessaly-search #results{list-style:none;padding:0;margin:0}\n"
            ".tessaly-search #results li{margin:0 0 1em;padding:0 0 0.6em;border-bottom:1px solid #ddd}\n"
            ".tessaly-search .result-head{display:flex;gap:1em;flex-wrap:wrap;color:#555;font-size:0.9em}\n"
            ".tessaly-search .result-subject{font-weight:bold;font-size:1.05em}\n"
            ".tessaly-search .result-snippet{margin:0.2em 0 0;color:#333;overflow-wrap:anywhere}\n"
            ".tessaly-search mark{background:#ffe58a;color:inherit}\n"
            ".tessaly-search .search-help{color:#555;font-size:0.9em}\n"
            ".tessaly-search .search-problem{color:#a00000}\n"
            "</style>\n</head>\n";
    page += "<body class=\"tessaly-search\">\n";
    page += "<p class=\"search-nav\"><a href=\"index.html\">Archive index</a></p>\n";
    page += "<h1>Search the archive</h1>\n";
    page += "<form id=\"search-form\" action=\"search.html\" method=\"get\" role=\"search\">\n"
            "<input type=\"search\" id=\"search-query\" name=\"q\" aria-label=\"Search words\" autofocus>\n"
            "<button type=\"submit\">Search</button>\n</form>\n";
    page += "<noscript><p class=\"search-problem\">Search needs scripts, which this browser has turned off. "
            "<a href=\"index.html\">Browse the archive</a> instead.</p></noscript>\n";
    page += "<p id=\"search-status\" role=\"status\"></p>\n";
    page += "<ol id=\"results\"></ol>\n";
    page += "<p><button type=\"button\" id=\"search-more\" hidden>More results</button></p>\n";
    page += "<p class=\"search-help\">All words must appear; the last one may be the start of a word. "
            "Case and accents do not matter. Also: \"words in quotes\", from:name, subject:word, "
            "after:2004-01-31, before:2005-01-01 (dates in UTC, after: includes the day, before: does not).</p>\n";
    page += "<script src=\".tessaly/search.js\"></script>\n";
    page += "</body>\n</html>\n";
    return page;
}

}  // namespace tessaly
