// size_limits.h - the largest bodies the writers convert, so that one
// message of any size is archived in bounded memory. A larger body is saved
// as its own file beside the page, as it came, and linked.
#pragma once

#include <cstddef>

#include "message/model.h"

namespace tessaly {

// HTML bodies up to this size get a safe copy: the parser needs about
// twenty times the size of its input (some 200 MB for 8 MB of markup).
constexpr size_t kLargestShownHtml = size_t{8} << 20;

// Text bodies up to this size are shown on the page and searched; turning
// text into a page takes a few times its size. No browser shows a page of
// hundreds of megabytes anyway.
constexpr size_t kLargestShownText = size_t{16} << 20;

// A text part too large to show or search: it is saved as a file instead.
inline bool isLargeText(const tagMessagePart& part) {
    return part.bodyStart && static_cast<size_t>(part.bodyEnd - part.bodyStart) > kLargestShownText;
}

}  // namespace tessaly
