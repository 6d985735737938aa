// encoding.h - the encodings a mail program writes: base64 bodies,
// quoted-printable, encoded words, RFC 2231 values and folded headers.
#pragma once

#include <string>
#include <string_view>

namespace tessaly::bench {

// Base64 in lines of 76 characters, each ending in LF.
void appendBase64Lines(std::string& out, std::string_view bytes);
// Base64 on one line, no line end.
std::string base64(std::string_view bytes);

// Quoted-printable body lines of at most 76 characters with soft breaks;
// the text's own LF ends lines.
void appendQuotedPrintable(std::string& out, std::string_view text);

// UTF-8 text as ISO-8859-1; characters beyond it become '?'.
std::string latin1FromUtf8(std::string_view text);
bool isAscii(std::string_view text);
// Whether UTF-8 `text` has only characters of ISO-8859-1.
bool fitsLatin1(std::string_view text);

// RFC 2047 encoded words of `text` in `charset`, split so that each word
// stays within 75 characters and separated by "\n " folds.
std::string encodedWordsB(std::string_view charset, std::string_view text);
std::string encodedWordsQ(std::string_view charset, std::string_view text);

// RFC 2231 percent encoding of a parameter value.
std::string percentEncoded(std::string_view text);

// "Name: value" folded at blanks so that lines stay within 78 characters
// where the words allow; ends in LF.
std::string foldedHeader(std::string_view name, std::string_view value);

}  // namespace tessaly::bench
