// css_filter.h - style sheets and style attributes of mail with everything
// that could fetch or run taken out.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// `css` (a <style> block or a style attribute) without the declarations,
// rules and at-rules that hold url(), src(), image-set() and the like,
// @import, expression(), behavior or -moz-binding. Text holding a backslash
// (CSS escapes could spell any of these) is dropped whole, and so is text
// holding "<" once the "<!--" and "-->" that old mail wraps styles in are
// gone, so that a block can never close its <style> element. Comments are
// removed before the check. Empty when nothing is left.
std::string safeCss(std::string_view css);

}  // namespace tessaly
