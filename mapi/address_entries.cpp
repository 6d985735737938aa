// address_entries.cpp - rendering address entries for the message page.
#include "mapi/address_entries.h"

#include "message/attribute_text.h"
#include "message/text.h"

namespace tessaly {

namespace {

constexpr size_t kShortListLength = 24;

bool hasAt(const std::string& text) { return text.find('@') != std::string::npos; }

}  // namespace

AddressForms renderAddressEntries(const std::vector<TEmailAddr>& entries) {
    AddressForms forms;
    bool first = true;
    bool cut = false;
    bool ellipsisWritten = false;
    for (const TEmailAddr& entry : entries) {
        if (!first) {
            forms.plain += ", ";
            forms.fullHtml += ", ";
            if (!cut) forms.shortHtml += ", ";
        }
        // The target comes from the store: encoded so it cannot leave the
        // attribute.
        const std::string mailto =
            hasAt(entry.address) ? "<a href=\"mailto:" + attributeText(entry.address) + "\">" : std::string();
        if (!entry.name.empty()) {
            forms.plain += '"' + entry.name + '"';
            if (!entry.address.empty()) forms.plain += ' ';
            std::string shown = mailto + htmlEscape(entry.name);
            if (!mailto.empty()) shown += "</a> ";
            forms.fullHtml += shown;
            if (!cut) forms.shortHtml += shown;
            if (first) forms.firstName = safeFileText(entry.name);
        }
        if (!entry.address.empty()) {
            forms.plain += '<' + entry.address + '>';
            std::string shown = mailto + "&lt;" + htmlEscape(entry.address) + "&gt;";
            if (!mailto.empty()) shown += "</a>";
            forms.fullHtml += shown;
            if (!cut) forms.shortHtml += shown;
            if (first && entry.name.empty()) forms.firstName = safeFileText(entry.address);
            if (!mailto.empty() && forms.firstAddress.empty()) forms.firstAddress = entry.address;
        }
        if (cut && !ellipsisWritten) {
            forms.shortHtml += ", ...";
            ellipsisWritten = true;
        }
        if (!cut && forms.plain.size() > kShortListLength) cut = true;
        first = false;
    }
    forms.count = static_cast<int>(entries.size());
    return forms;
}

}  // namespace tessaly
