// css_filter_test.cpp - what safeCss keeps of the CSS in mail.
#include "message/css_filter.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(CssFilter, DropsWhatLoadsKeepsTheRest) {
    struct Row {
        const char* why;
        const char* css;
        const char* expected;
    } const rows[] = {
        {"plain declarations stay", "color: red; font-size: 12px", "color: red; font-size: 12px"},
        {"a url() declaration goes", "color: red; background: url(x.png)", "color: red;"},
        {"imports go, rules stay", "@import 'x.css'; p{color:red}", "; p{color:red}"},
        {"rule keeps its other declarations", "p{background-image:url(a);color:blue}", "p{;color:blue}"},
        {"a CSS escape drops all", "p{color:red} q{background:u\\72l(x)}", ""},
        {"comment split", "p{back/**/ground: u/**/rl(x)} q{margin:0}", "p{} q{margin:0}"},
        {"mail comment wrapper", "<!-- p{color:red} -->", " p{color:red} "},
        {"a tag start drops all", "a{}</style><script>", ""},
        {"unterminated comment", "p{color:red} /* q{background:url(x)}", "p{color:red} "},
        {"old hooks", "p{width:EXPRESSION(1)} q{behavior:x} r{-moz-binding:x}", "p{} q{} r{}"},
        {"nothing left", "background: url(x)", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(safeCss(row.css), row.expected) << row.why;
}

}  // namespace
}  // namespace tessaly
