// part_tree.h - building the MIME part tree of a raw message from the
// boundary lines its source scanner found.
#pragma once

#include <cstddef>
#include <vector>

#include "message/charsets.h"
#include "message/marker.h"
#include "message/model.h"
#include "message/problems.h"

namespace tessaly {

// Parses the message headers into `info` and its root part (which must hold
// no tree yet), then links a part for every
// boundary line that belongs to the innermost open multipart. `markers` are
// this message's boundary lines in text order; lines whose boundary matches
// no open multipart are ignored, and so are lines that lie outside
// [text, text + length) or before the previous line used. Parts are numbered
// 1, 2, ... in text order and kept in info.parts. Every part keeps
// headerStart <= bodyStart <= bodyEnd. Problems with the headers go to
// `problems`.
void buildPartTree(ProblemReporter& problems, Charsets& charsets, TMessageInfo& info, const char* text,
                   size_t length, const std::vector<TMarker>& markers);

}  // namespace tessaly
