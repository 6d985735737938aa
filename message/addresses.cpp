// addresses.cpp - tolerant reading of address lists and their HTML forms.
#include "message/addresses.h"

#include <algorithm>
#include <vector>

#include "message/attribute_text.h"
#include "message/text.h"

namespace tessaly {
namespace {

// The short form stops after the entry at which the plain form grows longer.
constexpr size_t kShortListLength = 24;

bool hasAt(std::string_view text) { return text.find('@') != std::string_view::npos; }

bool isLineWhite(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

// What one comma-separated item yielded.
struct Item {
    std::vector<std::string> names;
    std::vector<std::string> addresses;

    // Loose text is an address when it holds an "@", else a name.
    void file(std::string text) {
        if (text.empty()) return;
        (hasAt(text) ? addresses : names).push_back(std::move(text));
    }
};

// Items are separated by top-level commas. Inside an item, "..." is a name,
// <...> an address, (...) and [...] an address when they hold an "@" and
// a name otherwise; loose text between them is filed by the same "@" test.
// An unclosed opener runs to the end of the text. Brackets do not nest.
std::vector<TEmailAddr> readEntries(std::string_view text) {
    std::vector<TEmailAddr> entries;
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        Item item;
        std::string loose;
        auto flush = [&] {
            item.file(trimWhite(loose));
            loose.clear();
        };
        while (i < n && text[i] != ',') {
            const char c = text[i];
            char closer = 0;
            switch (c) {
                case '"': closer = '"'; break;
                case '<': closer = '>'; break;
                case '(': closer = ')'; break;
                case '[': closer = ']'; break;
                default: break;
            }
            if (closer) {
                flush();
                size_t stop = text.find(closer, i + 1);
                if (stop == std::string_view::npos) stop = n;
                std::string inner = trimWhite(text.substr(i + 1, stop - (i + 1)));
                if (!inner.empty()) {
                    if (closer == '"')
                        item.names.push_back(std::move(inner));
                    else if (closer == '>')
                        item.addresses.push_back(std::move(inner));
                    else
                        item.file(std::move(inner));
                }
                i = stop < n ? stop + 1 : n;
                continue;
            }
            if (c != '\r' && c != '\n' && c != '\t') loose += c;
            ++i;
        }
        flush();

        for (std::string& address : item.addresses) address = stripEnclosing(address);
        item.names.erase(std::unique(item.names.begin(), item.names.end()), item.names.end());
        item.addresses.erase(std::unique(item.addresses.begin(), item.addresses.end()),
                             item.addresses.end());

        if (!item.names.empty() || !item.addresses.empty()) {
            std::string name;
            for (const std::string& part : item.names) {
                if (!name.empty()) name += ' ';
                name += part;
            }
            if (item.addresses.empty()) {
                entries.push_back({name, std::string()});
            } else {
                for (std::string& address : item.addresses)
                    entries.push_back({name, std::move(address)});
            }
        }

        if (i < n) ++i;  // the comma
        while (i < n && isLineWhite(text[i])) ++i;
    }
    return entries;
}

}  // namespace

int formatAddressList(std::string_view text, std::string* fullHtml, std::string* shortHtml,
                      std::string* firstName, std::string* firstAddress) {
    // Header text ends at a NUL byte, as C text would.
    text = text.substr(0, text.find('\0'));
    const std::vector<TEmailAddr> entries = readEntries(text);

    std::string plain;  // only measured, never output
    std::string full;
    std::string brief;
    std::string name;
    std::string address;
    bool firstEntry = true;
    bool cut = false;
    bool ellipsisWritten = false;
    for (const TEmailAddr& entry : entries) {
        if (!firstEntry) {
            plain += ", ";
            full += ", ";
            if (!cut) brief += ", ";
        }
        // The target comes from the message: encoded so it cannot leave the
        // attribute.
        const std::string mailto =
            hasAt(entry.address) ? "<a href=\"mailto:" + attributeText(entry.address) + "\">"
                                 : std::string();
        if (!entry.name.empty()) {
            plain += '"';
            plain += entry.name;
            plain += '"';
            if (!entry.address.empty()) plain += ' ';
            std::string shown = mailto + htmlEscape(entry.name);
            if (!mailto.empty()) shown += "</a> ";
            full += shown;
            if (!cut) brief += shown;
            if (firstEntry) name = safeFileText(entry.name);
        }
        if (!entry.address.empty()) {
            plain += '<';
            plain += entry.address;
            plain += '>';
            std::string shown = mailto + "&lt;" + htmlEscape(entry.address) + "&gt;";
            if (!mailto.empty()) shown += "</a>";
            full += shown;
            if (!cut) brief += shown;
            if (firstEntry && entry.name.empty()) name = safeFileText(entry.address);
            if (!mailto.empty() && address.empty()) address = entry.address;
        }
        if (cut && !ellipsisWritten) {
            brief += ", ...";
            ellipsisWritten = true;
        }
        if (!cut && plain.size() > kShortListLength) cut = true;
        firstEntry = false;
    }

    if (fullHtml) *fullHtml = std::move(full);
    if (shortHtml) *shortHtml = std::move(brief);
    if (firstName) *firstName = std::move(name);
    if (firstAddress) *firstAddress = std::move(address);
    return static_cast<int>(entries.size());
}

}  // namespace tessaly
