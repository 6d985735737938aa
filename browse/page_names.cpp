// page_names.cpp - names of the folder pages.
#include "browse/page_names.h"

namespace tessaly {

namespace {

bool isPlainKey(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || c == '-')) return false;
    }
    return true;
}

}  // namespace

std::string messagesPageName(size_t number) { return "messages-" + std::to_string(number) + ".html"; }

std::string threadsPageName(size_t number) {
    return number <= 1 ? std::string("threads.html") : "threads-" + std::to_string(number) + ".html";
}

std::string threadPageName(std::string_view key) { return "thread-" + std::string(key) + ".html"; }

bool isFolderPageName(std::string_view name) {
    constexpr std::string_view kHtml = ".html";
    if (name == kPeoplePage || name == "threads.html") return true;
    if (name.size() <= kHtml.size() || name.substr(name.size() - kHtml.size()) != kHtml) return false;
    const std::string_view stem = name.substr(0, name.size() - kHtml.size());
    for (const std::string_view prefix : {"messages-", "threads-", "thread-"}) {
        if (stem.substr(0, prefix.size()) == prefix && isPlainKey(stem.substr(prefix.size()))) return true;
    }
    return false;
}

}  // namespace tessaly
