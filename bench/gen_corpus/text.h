// text.h - English-ish prose, names, addresses and subjects for the
// generated messages.
#pragma once

#include <string>
#include <string_view>

#include "gen_corpus/random.h"

namespace tessaly::bench {

// Which non-ASCII words prose may hold.
enum class Letters {
    Ascii,
    Latin1,  // only characters of ISO-8859-1 (still written as UTF-8)
    Utf8,    // any script
};

struct Person {
    std::string first;    // UTF-8
    std::string display;  // UTF-8 "First Last"; empty for a bare address
    std::string address;
};

Person makePerson(Random& random, Letters letters);
std::string makeDomain(Random& random);
std::string makeWord(Random& random);

std::string makeSentence(Random& random, Letters letters);
// A paragraph of 1 to 7 sentences on one line.
std::string makeParagraph(Random& random, Letters letters);
// A subject line, often with "Re: " or "Fwd: ".
std::string makeSubject(Random& random, Letters letters);

// `text` (one paragraph) broken at blanks into lines of at most `width`
// characters after `prefix`, each ending in LF. Flowed lines keep their
// trailing blank (RFC 3676 soft breaks).
std::string wrapParagraph(std::string_view text, size_t width, std::string_view prefix, bool flowed);

}  // namespace tessaly::bench
