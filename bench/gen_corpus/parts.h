// parts.h - MIME parts of the generated messages: text parts in each
// transfer encoding, multiparts, attachments and inline images.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gen_corpus/random.h"

namespace tessaly::bench {

struct Part {
    std::string headers;  // header lines, each ending in LF
    std::string body;     // ends in LF
};

// Headers, the empty line, the body.
std::string renderPart(const Part& part);

enum class Transfer { SevenBit, EightBit, QuotedPrintable, Base64 };

// A text/<subtype> part of UTF-8 `text` in `charset` ("us-ascii",
// "UTF-8" or "ISO-8859-1", converted to). `params` go after the charset.
Part textPart(std::string_view subtype, std::string_view charset, std::string_view text, Transfer transfer,
              std::string_view params = "");

// A multipart/<subtype> of `children` with a fresh boundary.
Part multipart(Random& random, std::string_view subtype, const std::vector<Part>& children,
               std::string_view params = "");

// How large binary attachments get: `bigPerMille` of them hold 512 KB to
// 4 MB, the others 1 KB doubled 0 to `smallOctaves` - 1 times, each as
// likely, and up to twice that. The big ones come at a steady rate rather
// than by chance, so that a corpus's size varies little with the seed.
struct AttachmentSizes {
    unsigned bigPerMille = 20;
    unsigned smallOctaves = 8;
    unsigned credit = 0;  // per mille, towards the next big one
};

// An attachment in base64 with a name in one of the ways mail programs
// write names (quoted, encoded words, RFC 2231, none at all), some of them
// odd. Adds its decoded size to `bytes`.
Part attachmentPart(Random& random, AttachmentSizes& sizes, uint64_t& bytes);

// An inline image for multipart/related, known by `cid`.
Part imagePart(Random& random, const std::string& cid, unsigned number, uint64_t& bytes);

}  // namespace tessaly::bench
