// mime_parameters.cpp - reading parameters (boundary=, charset=, name=,
// filename=) out of header values.
#include "message/text.h"

#include <map>
#include <vector>

#include "platform/ascii.h"

namespace tessaly {

namespace {

// The pieces of `value` between ";" bytes outside double quotes, trimmed.
std::vector<std::string> splitParameters(std::string_view value) {
    std::vector<std::string> pieces;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i <= value.size(); ++i) {
        if (i == value.size() || (value[i] == ';' && !quoted)) {
            pieces.push_back(trimWhite(value.substr(start, i - start)));
            start = i + 1;
        } else if (value[i] == '"') {
            quoted = !quoted;
        }
    }
    return pieces;
}

bool isFolding(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// One parameter read at `at` (after a ";"): its name and value; `at` moves
// past it. False at the end of the value.
bool readParameter(std::string_view value, size_t& at, std::string& name, std::string& text, bool& quoted) {
    while (at < value.size() && (isFolding(value[at]) || value[at] == ';')) ++at;
    if (at >= value.size()) return false;
    const size_t nameStart = at;
    while (at < value.size() && value[at] != '=' && value[at] != ';' && !isFolding(value[at])) ++at;
    name = std::string(value.substr(nameStart, at - nameStart));
    while (at < value.size() && isFolding(value[at])) ++at;
    text.clear();
    quoted = false;
    if (at >= value.size() || value[at] != '=') return true;  // a name without value
    ++at;
    while (at < value.size() && isFolding(value[at])) ++at;
    if (at < value.size() && value[at] == '"') {
        quoted = true;
        for (++at; at < value.size() && value[at] != '"'; ++at) {
            if (value[at] == '\\' && at + 1 < value.size()) ++at;
            text += value[at];
        }
        if (at < value.size()) ++at;
    } else {
        const size_t start = at;
        while (at < value.size() && value[at] != ';' && !isFolding(value[at])) ++at;
        text = std::string(value.substr(start, at - start));
    }
    // Anything else up to the next ";" belongs to no parameter.
    while (at < value.size() && value[at] != ';') ++at;
    return true;
}

}  // namespace

namespace {

// What a header value says of one parameter, in each of its forms.
struct ParameterForms {
    std::optional<std::string> plain;     // name=value
    std::optional<std::string> extended;  // name*=, or name*0= name*1*= ... joined
    std::string charset;                  // what the extended form declares
};

// The text after charset'language' of an RFC 2231 value, and the charset;
// the whole text (no charset) when the two quotes are missing.
std::string_view withoutCharset(std::string_view text, std::string* charset) {
    const size_t first = text.find('\'');
    const size_t second = first == std::string_view::npos ? first : text.find('\'', first + 1);
    if (second == std::string_view::npos) return text;
    if (charset) *charset = std::string(text.substr(0, first));
    return text.substr(second + 1);
}

ParameterForms parameterForms(std::string_view value, std::string_view name) {
    ParameterForms forms;
    // The type itself comes first.
    size_t at = value.find(';');
    if (at == std::string_view::npos) return forms;
    std::optional<std::string> whole;
    std::string wholeCharset, sectionsCharset;
    std::map<int, std::string> sections;  // RFC 2231 continuations
    std::string key, text;
    bool quoted = false;
    while (readParameter(value, at, key, text, quoted)) {
        if (key.size() < name.size() || !startsWithIgnoringCase(key, name)) continue;
        const std::string_view suffix = std::string_view(key).substr(name.size());
        if (suffix.empty()) {
            if (!forms.plain) forms.plain = text;
        } else if (suffix == "*") {
            if (!whole) whole = percentDecoded(withoutCharset(text, &wholeCharset));
        } else if (suffix[0] == '*' && suffix.size() > 1) {
            std::string_view number = suffix.substr(1);
            const bool encoded = number.back() == '*';
            if (encoded) number.remove_suffix(1);
            if (number.empty() || number.size() > 3 ||
                number.find_first_not_of("0123456789") != std::string_view::npos) {
                continue;
            }
            const int index = std::stoi(std::string(number));
            if (sections.count(index)) continue;  // the first of a number counts
            std::string_view piece = text;
            if (encoded && index == 0) piece = withoutCharset(text, &sectionsCharset);
            sections.emplace(index, encoded ? percentDecoded(piece) : std::string(piece));
        }
    }
    if (whole) {
        forms.extended = std::move(whole);
        forms.charset = wholeCharset;
    } else if (!sections.empty()) {
        // Joined from 0 up to the first missing number.
        std::string joined;
        int expected = 0;
        for (const auto& [index, piece] : sections) {
            if (index != expected++) break;
            joined += piece;
        }
        forms.extended = std::move(joined);
        forms.charset = sectionsCharset;
    }
    return forms;
}

}  // namespace

std::optional<std::string> mimeParameter(std::string_view value, std::string_view name,
                                         std::string* charset) {
    ParameterForms forms = parameterForms(value, name);
    if (charset) *charset = forms.charset;
    if (forms.extended) return forms.extended;
    return forms.plain;
}

std::optional<std::string> extendedParameter(std::string_view value, std::string_view name, std::string& charset) {
    ParameterForms forms = parameterForms(value, name);
    charset.clear();
    if (!forms.extended || forms.extended->empty()) return std::nullopt;
    charset = forms.charset;
    return forms.extended;
}

std::string headerParameter(std::string_view value, std::string_view name) {
    std::string key(name);
    key += '=';
    size_t at = value.find(key);
    if (at == std::string_view::npos) return {};
    std::string_view rest = value.substr(at + key.size());
    if (!rest.empty() && rest.front() == '"') {
        rest.remove_prefix(1);
        return std::string(rest.substr(0, rest.find('"')));
    }
    return std::string(rest.substr(0, rest.find(' ')));
}

std::string namedParameter(std::string_view value) {
    for (const std::string& piece : splitParameters(value)) {
        std::string_view rest;
        if (startsWithIgnoringCase(piece, "filename="))
            rest = std::string_view(piece).substr(9);
        else if (startsWithIgnoringCase(piece, "name="))
            rest = std::string_view(piece).substr(5);
        else
            continue;
        // A lone quote is not a quoted value.
        if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"')
            rest = rest.substr(1, rest.size() - 2);
        return std::string(rest);
    }
    return {};
}

}  // namespace tessaly
