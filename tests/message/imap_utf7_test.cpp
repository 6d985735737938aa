// imap_utf7_test.cpp - IMAP's modified UTF-7 mailbox names decoded, and
// names that only look encoded left alone.
#include "message/imap_utf7.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(ImapUtf7, DecodesAndLeavesInvalidSequences) {
    struct Row {
        const char* name;
        const char* expected;
        const char* why;
    };
    const Row rows[] = {
        {"Entw&APw-rfe", "Entw\xC3\xBCrfe", "one character in a word"},
        {"&ZeVnLIqe-", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "three characters, no padding bits"},
        {"~peter/mail/&U,BTFw-/&ZeVnLIqe-", "~peter/mail/\xE5\x8F\xB0\xE5\x8C\x97/\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
         "RFC 3501's example, with \",\" for \"/\""},
        {"&2D3eAA-", "\xF0\x9F\x98\x80", "a surrogate pair"},
        {"&APw-&APw-", "\xC3\xBC\xC3\xBC", "two runs back to back"},
        {"&-", "&", "the escaped ampersand"},
        {"a&-b&APw-c", "a&b\xC3\xBC" "c", "escapes and runs mixed with text"},
        {"&AGE-", "a", "ASCII needlessly encoded still decodes"},
        {"Tom & Jerry", "Tom & Jerry", "a space is outside the alphabet"},
        {"R&D", "R&D", "no closing dash"},
        {"&APw", "&APw", "a run cut off at the end"},
        {"Q&A-Session", "Q&A-Session", "six bits: no whole UTF-16 unit"},
        {"&APx-", "&APx-", "padding bits that are not zero"},
        {"&AP/-", "&AP/-", "\"/\" is plain base64, not the modified alphabet"},
        {"&2D0-", "&2D0-", "a high surrogate alone"},
        {"&3gA-", "&3gA-", "a low surrogate alone"},
        {"&2D3YPQ-", "&2D3YPQ-", "a high surrogate followed by another high one"},
        {"&AAA-", "&AAA-", "U+0000 is no character of a name"},
        {"&&APw-", "&\xC3\xBC", "a bad ampersand, then a good run"},
        {"\xC3\xA4&APw-", "\xC3\xA4\xC3\xBC", "UTF-8 beside a run is kept"},
        {"", "", "nothing"},
        {"&", "&", "an ampersand at the end"},
    };
    for (const Row& row : rows) EXPECT_EQ(decodeImapUtf7(row.name), row.expected) << row.why;
}

}  // namespace
}  // namespace tessaly
