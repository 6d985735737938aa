// html_urls.h - URLs in HTML attributes read the way a browser reads them,
// for deciding which ones a safe copy may keep.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The attribute value (entities already resolved) as the URL a browser
// takes from it: leading and trailing spaces and control characters gone,
// tabs and line ends anywhere dropped ("java\tscript:" is "javascript:").
std::string normalizedUrl(std::string_view value);

// The scheme of a normalized URL in lower case ("http", "cid"); empty for a
// relative URL ("images/a.png", "//host/a.png").
std::string urlScheme(std::string_view url);

// Whether the URL is an inline raster image: "data:image/" png, gif, jpeg
// or webp. SVG is none of them: it can hold script.
bool isInlineImageData(std::string_view url);

}  // namespace tessaly
