// body_html.h - converters of text bodies into HTML fragments for the
// message page, and into plain text with CR LF line ends for saved files.
//
// Range convention as for the decoders (decoding.h): `start` and `end`
// delimit the input on entry and the output on return. plainToHtml writes
// into scratch buffer B, every other converter into scratch buffer A; the
// output stays valid until the next request on that buffer. The converters
// never fail and the input may lie in either buffer. A null input is empty.
//
// Every byte taken from the message is HTML-escaped ("<", ">", "&") where a
// converter makes HTML; rtfToHtml is the exception, its output is HTML.
#pragma once

#include <string>
#include <string_view>

#include "message/decoding.h"

namespace tessaly {

// "<p>" + text + "</p>\r\n": LF becomes "<br>\r\n", CR is dropped, runs of
// spaces alternate "&nbsp;" and " " so the browser keeps them.
void plainToHtml(DecodeContext& context, const char*& start, const char*& end);

// format=flowed text (RFC 3676, not transfer-encoded) as paragraphs: soft
// breaks keep a paragraph together, hard breaks after them close it, empty
// lines become "<p>&nbsp;</p>"; "-- " starts a signature of plain lines.
void flowedToHtml(DecodeContext& context, const char*& start, const char*& end);

// Quoted-printable text decoded and turned into paragraphs in one pass; soft
// line breaks play the part of flowed soft breaks.
void quotedPrintableToHtml(DecodeContext& context, const char*& start, const char*& end);

// The same for text in windows-1252 (and Latin-1), written as UTF-8.
void windows1252QuotedPrintableToHtml(DecodeContext& context, const char*& start, const char*& end);

// Quoted-printable text in the two steps a charset conversion goes
// between: decoded, with kSoftBreakMark before the line feed of every line
// that had soft breaks, kLiteralMark before every byte that is text
// although it looks like a line end or a mark (an encoded "=0A", a raw
// 01 byte) and kEncodedCrMark for an encoded CR (no text, but it opens a
// paragraph); then that text (converted) into the paragraphs
// quotedPrintableToHtml makes.
inline constexpr char kSoftBreakMark = '\x01';
inline constexpr char kLiteralMark = '\x02';
inline constexpr char kEncodedCrMark = '\x03';
std::string quotedPrintableToMarkedText(std::string_view in);
void markedTextToHtml(DecodeContext& context, const char*& start, const char*& end);

// One paragraph per line (Outlook plain bodies); an empty line gives
// "<p>&nbsp;</p>". A last line without LF is left open.
void linesToParagraphs(DecodeContext& context, const char*& start, const char*& end);

// format=flowed text as plain text with CR LF line ends: the trailing space
// of soft breaks and one stuffed space per line are removed; lines are not
// joined.
void flowedToPlain(DecodeContext& context, const char*& start, const char*& end);

// text/enriched as plain text: runs of line breaks become one CR LF;
// formatting commands are left as text.
void enrichedToPlain(DecodeContext& context, const char*& start, const char*& end);

// The HTML encapsulated in RTF ("\fromhtml" with "{\*\htmltag" groups), as
// Outlook stores HTML mail; empty for any other RTF.
void rtfToHtml(DecodeContext& context, const char*& start, const char*& end);

// Whether "\fromhtml" comes before the first "{\*\htmltag".
bool isRtfHtml(const char* start, const char* end);
// Whether the first "\from" control word is "\fromtext".
bool isRtfText(const char* start, const char* end);

// Every space replaced by "&nbsp;".
std::string nonBreakingSpaces(std::string_view text);

}  // namespace tessaly
