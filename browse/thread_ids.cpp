// thread_ids.cpp - splitting header texts into message ids.
#include "browse/thread_ids.h"

namespace tessaly {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::vector<std::string_view> messageIds(std::string_view text) {
    std::vector<std::string_view> ids;
    if (text.find('<') != std::string_view::npos) {
        for (size_t open = text.find('<'); open != std::string_view::npos; open = text.find('<', open + 1)) {
            const size_t close = text.find('>', open);
            if (close == std::string_view::npos) break;
            // "<>" names nothing; a "<" inside an id starts the next one.
            const size_t inner = text.find('<', open + 1);
            if (inner != std::string_view::npos && inner < close) continue;
            if (close > open + 1) ids.push_back(text.substr(open + 1, close - open - 1));
            open = close;
        }
        return ids;
    }
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && isBlank(text[at])) ++at;
        size_t end = at;
        while (end < text.size() && !isBlank(text[end])) ++end;
        if (end > at) ids.push_back(text.substr(at, end - at));
        at = end;
    }
    return ids;
}

std::string_view messageIdOf(std::string_view text) {
    const std::vector<std::string_view> ids = messageIds(text);
    return ids.empty() ? std::string_view() : ids.front();
}

}  // namespace tessaly
