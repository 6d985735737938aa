// bodies.h - message texts: prose paragraphs rendered as plain, flowed or
// HTML text, with the replies, signatures and stray "From " lines real mail
// carries.
#pragma once

#include <string>
#include <vector>

#include "gen_corpus/random.h"
#include "gen_corpus/text.h"

namespace tessaly::bench {

// Paragraphs of about `size` bytes in all. Now and then one begins with
// "From " or ">From ", or is a From line of a mailbox pasted into the text.
std::vector<std::string> makeParagraphs(Random& random, Letters letters, size_t size);

// Paragraphs as fixed lines of at most 72 characters, blank lines between,
// with a greeting, and at times a quoted reply, a forwarded block and a
// signature.
std::string plainBody(Random& random, const std::vector<std::string>& paragraphs, const Person& sender,
                      const Person& recipient);

// The same as format=flowed text (RFC 3676): soft breaks end in a blank,
// quoted lines begin ">", lines beginning " " or "From " are stuffed with a
// blank, and the signature separator is "-- ".
std::string flowedBody(Random& random, const std::vector<std::string>& paragraphs, const Person& sender,
                       const Person& recipient);

// An HTML page of the paragraphs. `cids` are images shown inline by
// "cid:" reference. Non-ASCII text is kept as it is. With `wrapLines`
// lines break at blanks within 76 characters; otherwise a paragraph is one
// line, as Outlook writes it under quoted-printable.
std::string htmlBody(Random& random, const std::vector<std::string>& paragraphs, const std::string& charset,
                     const std::vector<std::string>& cids, bool wrapLines);

}  // namespace tessaly::bench
