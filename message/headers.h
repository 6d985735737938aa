// headers.h - reading the header block of a message or of one MIME part into
// the message model.
#pragma once

#include <string_view>

#include "message/charsets.h"
#include "message/model.h"
#include "message/problems.h"

namespace tessaly {

// Reads the header block at the start of [text, end) and fills whichever
// records are given (either may be null):
//   info  Received (first one kept), To, Cc, Newsgroups, From, Subject, Date
//         and Message-id, then the decoded and rendered forms, the received
//         date and both message times. Every field but checksumKey,
//         folderName and rootPart is reset first.
//   part  Content-id, -type, -transfer-encoding and -disposition, then its
//         header and body range, kind, body format, boundary and file name.
//         Reset first, tree links included.
// A line that begins with CR not followed by LF makes the block malformed:
// one "incorrect headers" problem line, and parsing goes on with what was
// read. With `quiet` nothing is reported and the parser returns at once,
// leaving only the raw values read so far. Unparsable dates give a warning
// and fall-back times. Never reads at or beyond `end`.
// Text is made UTF-8 with `charsets` (the body's charset the fall-back
// for raw 8-bit header text).
void parseHeaders(ProblemReporter& problems, Charsets& charsets, TMessageInfo* info, tagMessagePart* part,
                  const char* text, const char* end, bool quiet);

// The steps after the scan, for records whose raw values are already in.
// Decodes, renders and reduces the message-level values, then sets the
// times; unparsable dates are reported to `problems`.
void finishMessageHeaders(ProblemReporter& problems, Charsets& charsets, TMessageInfo& info,
                          std::string_view fallback);
// Decodes the part's values and derives contentId, boundary, bodyFormat,
// kind, declaredName and fileName. Leaves the text range alone.
void classifyPart(Charsets& charsets, tagMessagePart& part);

}  // namespace tessaly
