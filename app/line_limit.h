// line_limit.h - how many problem lines of one kind a folder shows: the
// first twenty, the last of them saying that no more will be; the rest are
// counted and told as one line when the folder ends. A folder whose every
// message fails the same way (an archive folder that cannot be written)
// then gives a screenful of lines, not one per message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tessaly {

class LineLimit {
public:
    static constexpr uint32_t kShown = 20;

    enum class Verdict {
        Show,
        ShowLast,  // the last one shown: it says so
        Hide,
    };

    // The kind of a problem line: its text up to the end of its help link
    // ("Error: <a href=...>unable to create file</a>"); empty for lines
    // without one, which are never limited.
    static std::string_view kindOf(std::string_view line);

    // Counts a line of `kind` in the current folder.
    Verdict count(std::string_view kind);
    // The kinds with lines left unshown and how many, in the order the
    // kinds first came; the counts start again.
    std::vector<std::pair<std::string, uint32_t>> takeHidden();

private:
    std::unordered_map<std::string, uint32_t> counts_;
    std::vector<std::string> order_;
};

// The tail the last shown line of `kind` gets: " Further errors of this
// type won't be reported for this folder." (warnings for a warning).
std::string_view furtherLinesTail(std::string_view kind);

}  // namespace tessaly
