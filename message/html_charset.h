// html_charset.h - the charset an HTML document declares for itself.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The label of the first <meta charset="..."> or <meta http-equiv ...
// content="...; charset=..."> in the first 1024 bytes (where browsers look
// for it), or empty when there is none there.
std::string declaredHtmlCharset(std::string_view html);

}  // namespace tessaly
