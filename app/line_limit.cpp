// line_limit.cpp - problem lines of one kind per folder, counted.
#include "app/line_limit.h"

namespace tessaly {

std::string_view LineLimit::kindOf(std::string_view line) {
    const size_t link = line.find("<a href=");
    if (link == std::string_view::npos) return {};
    const size_t end = line.find("</a>", link);
    return end == std::string_view::npos ? std::string_view() : line.substr(0, end + 4);
}

LineLimit::Verdict LineLimit::count(std::string_view kind) {
    if (kind.empty()) return Verdict::Show;
    auto [at, added] = counts_.try_emplace(std::string(kind), 0);
    if (added) order_.push_back(at->first);
    const uint32_t n = ++at->second;
    if (n < kShown) return Verdict::Show;
    return n == kShown ? Verdict::ShowLast : Verdict::Hide;
}

std::vector<std::pair<std::string, uint32_t>> LineLimit::takeHidden() {
    std::vector<std::pair<std::string, uint32_t>> hidden;
    for (const std::string& kind : order_) {
        const uint32_t n = counts_[kind];
        if (n > kShown) hidden.emplace_back(kind, n - kShown);
    }
    counts_.clear();
    order_.clear();
    return hidden;
}

std::string_view furtherLinesTail(std::string_view kind) {
    if (kind.rfind("Warning", 0) == 0) return " Further warnings of this type won't be reported for this folder.";
    return " Further errors of this type won't be reported for this folder.";
}

}  // namespace tessaly
