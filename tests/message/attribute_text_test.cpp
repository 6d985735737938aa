// attribute_text_test.cpp - names inside link attributes cannot break out of
// the attribute and still open the file they name.
#include "message/attribute_text.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(AttributeText, EncodesWhatWouldEndOrRedirectTheLink) {
    struct Row {
        const char* in;
        const char* out;
        const char* why;
    };
    const Row rows[] = {
        {"report.pdf", "report.pdf", "ordinary names pass unchanged"},
        {"my file;2.txt", "my file;2.txt", "blanks and the ;n suffix stay"},
        {"a\"><script>x", "a%22&gt;&lt;script&gt;x", "a quote cannot end the attribute"},
        {"50%.txt", "50%25.txt", "a percent sign is data, not an escape"},
        {"#1?.doc", "%231%3F.doc", "fragment and query marks would cut the file name"},
        {"a&b", "a&amp;b", "ampersand as an entity"},
        {"tab\there\x01", "tab%09here%01", "control bytes are encoded"},
        {"caf\xc3\xa9.txt", "caf\xc3\xa9.txt", "UTF-8 bytes pass through"},
    };
    for (const Row& row : rows) EXPECT_EQ(attributeText(row.in), row.out) << row.why;
}

}  // namespace
}  // namespace tessaly
