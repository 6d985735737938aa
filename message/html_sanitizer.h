// html_sanitizer.h - the safe copy of an HTML body that a message page
// shows in a sandboxed frame: nothing in it runs, nothing loads from
// outside the archive.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// The file name (relative to the safe copy) of the saved part that an
// image reference names, or none when the message has no such part. The
// reference is "cid:" + the content id (percent-decoded) or a relative URL
// as written (a content location); the sanitizer makes the URL of the name.
using ContentIdResolver = std::function<std::optional<std::string>(std::string_view reference)>;

// `html` (UTF-8; invalid bytes read as U+FFFD) parsed as a browser parses
// it and written back as a complete UTF-8 document holding only allowed
// elements and attributes:
// - kept: text formatting, lists, tables, fonts, colours, links and images;
//   everything else is dropped with its content (script, style sheets that
//   load, frames, objects, SVG, MathML, templates, head elements but the
//   title and styles) or, when it may hold text (forms and their controls,
//   unknown elements), replaced by its children;
// - no event handlers, no URL but http, https and mailto in links, which
//   open outside the frame (target="_blank" rel="noopener noreferrer");
// - images only from references the resolver knows and inline PNG,
//   GIF, JPEG and WebP data; any other image becomes its alt text, for a
//   remote image a link to it;
// - CSS as safeCss leaves it; comments dropped; text and attribute values
//   escaped.
std::string sanitizeHtml(std::string_view html, const ContentIdResolver& resolveContentId);

}  // namespace tessaly
