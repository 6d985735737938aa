// mime_parameters.cpp - reading parameters (boundary=, charset=, name=,
// filename=) out of header values.
#include "message/text.h"

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

}  // namespace

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
