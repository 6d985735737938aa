// search_query.cpp - reading search box queries; parseQuery() in search.js
// follows the same steps.
#include "browse/search_query.h"

#include <glib.h>

#include "browse/search_terms.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

// Blanks between parts: ASCII controls and space, no-break space, the
// ideographic space.
size_t blankLength(std::string_view text, size_t i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte <= 0x20) return 1;
    if (text.substr(i, 2) == "\xC2\xA0") return 2;
    if (text.substr(i, 3) == "\xE3\x80\x80") return 3;
    return 0;
}

size_t partEnd(std::string_view text, size_t i) {
    while (i < text.size() && blankLength(text, i) == 0) ++i;
    return i;
}

size_t charCount(std::string_view utf8) {
    return static_cast<size_t>(g_utf8_strlen(utf8.data(), static_cast<gssize>(utf8.size())));
}

// The conditions of one piece of text; `field` 0 for the words of the
// message, 'f' or 's' for a header. Returns the index of the condition of
// the text's last term when that is a word that is not CJK, npos when it is
// CJK, nothing when the text has no terms.
std::optional<size_t> addWords(std::string_view text, char field, SearchQuery& query) {
    const std::string folded = foldText(text);
    std::vector<QueryCondition> found;
    std::vector<bool> dropped;
    size_t lastSingle = std::string_view::npos, singleBefore = std::string_view::npos;
    size_t lastWord = std::string_view::npos;
    forEachTerm(folded, [&](const Term& term) {
        if (term.pair) {
            // The pair stands for both its characters.
            dropped[lastSingle] = true;
            dropped[singleBefore] = true;
        }
        if (term.cjk && !term.pair) {
            singleBefore = lastSingle;
            lastSingle = found.size();
        }
        std::string key = field == 0 ? std::string(term.text) : fieldTerm(field, term.text);
        const bool prefix = field != 0 && !term.cjk && charCount(term.text) >= 2;
        lastWord = term.cjk ? std::string_view::npos : found.size();
        found.push_back(QueryCondition{std::move(key), prefix});
        dropped.push_back(false);
    });
    if (found.empty()) return std::nullopt;
    size_t last = std::string_view::npos;
    for (size_t k = 0; k < found.size(); ++k) {
        if (dropped[k]) continue;
        if (k == lastWord) last = query.conditions.size();
        query.conditions.push_back(std::move(found[k]));
    }
    return last;
}

bool startsWithField(std::string_view part, std::string_view name) {
    return part.size() > name.size() && part[name.size()] == ':' && equalsIgnoringCase(part.substr(0, name.size()), name);
}

}  // namespace

std::string fieldTerm(char field, std::string_view word) {
    std::string key = ":";
    key += field;
    key += word;
    return key;
}

std::optional<int64_t> parseDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    int64_t parts[3] = {0, 0, 0};
    const size_t starts[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
    for (int k = 0; k < 3; ++k) {
        for (size_t i = starts[k]; i < starts[k] + lengths[k]; ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            parts[k] = parts[k] * 10 + (text[i] - '0');
        }
    }
    const int64_t year = parts[0], month = parts[1], day = parts[2];
    static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1] || (month == 2 && day == 29 && !leap)) {
        return std::nullopt;
    }
    // Days from the civil date (proleptic Gregorian).
    const int64_t y = month <= 2 ? year - 1 : year;
    const int64_t era = y / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return (era * 146097 + dayOfEra - 719468) * 86400;
}

bool parseQuery(std::string_view text, SearchQuery& query, std::string& error) {
    query = SearchQuery();
    size_t lastWord = std::string_view::npos;
    size_t i = 0;
    while (i < text.size()) {
        if (const size_t blank = blankLength(text, i); blank > 0) {
            i += blank;
            continue;
        }
        if (text[i] == '"') {
            const size_t close = text.find('"', i + 1);
            const size_t end = close == std::string_view::npos ? text.size() : close;
            addWords(text.substr(i + 1, end - i - 1), 0, query);
            i = end == text.size() ? end : end + 1;
            continue;
        }
        const size_t end = partEnd(text, i);
        const std::string_view part = text.substr(i, end - i);
        const bool from = startsWithField(part, "from"), subject = startsWithField(part, "subject");
        if (from || subject) {
            size_t start = i + (from ? 5 : 8);
            size_t stop = end;
            if (start < text.size() && text[start] == '"') {
                const size_t close = text.find('"', start + 1);
                stop = close == std::string_view::npos ? text.size() : close;
                ++start;
            }
            addWords(text.substr(start, stop - start), from ? 'f' : 's', query);
            i = stop < text.size() && text[stop] == '"' ? stop + 1 : stop;
            continue;
        }
        const bool before = startsWithField(part, "before"), after = startsWithField(part, "after");
        if (before || after) {
            const std::string_view value = part.substr(before ? 7 : 6);
            const std::optional<int64_t> day = parseDay(value);
            if (!day) {
                error = std::string(before ? "before:" : "after:") + " needs a date written YYYY-MM-DD";
                return false;
            }
            (before ? query.before : query.after) = day;
            i = end;
            continue;
        }
        if (const std::optional<size_t> last = addWords(part, 0, query)) lastWord = *last;
        i = end;
    }
    if (lastWord != std::string_view::npos && charCount(query.conditions[lastWord].term) >= 2) {
        query.conditions[lastWord].prefix = true;
    }
    return true;
}

}  // namespace tessaly
