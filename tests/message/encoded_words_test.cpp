// encoded_words_test.cpp - decoding the encoded words of header values.
#include "message/decoding.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(EncodedWords, Table) {
    struct {
        const char* input;
        const char* expected;
    } rows[] = {
        {"plain text", "plain text"},                              // no "=?": unchanged
        {"=?iso-8859-1?Q?Caf=E9?=", "Caf\xe9"},                    // no charset conversion
        {"=?utf-8?B?w6lsw6h2ZQ==?=", "\xc3\xa9l\xc3\xa8ve"},
        {"=?utf-8?b?SGk=?=", "Hi"},                                // lower-case b
        {"=?utf-8?q?a_b?=", "a_b"},                                // underscore stays
        {"=?x?B?SGk=?= =?x?B?IQ==?=", "Hi !"},                     // blank between words kept
        {"Re: =?x?Q?caf=E9?= ok", "Re: caf\xe9 ok"},
        {"=?x?X?raw text?=", "raw text"},                          // unknown letter: text kept
        {"=?x?B?SGVsbG?=after", "after"},                          // base64 fails: word dropped
        {"is 1+1 =? 2", "is 1+1 =? 2"},                            // no word: kept, not cut
        {"=?x?B?SGk=", "=?x?B?SGk="},                              // unclosed word kept
        {"=?", "=?"},
        {"=?x?", "=?x?"},                                          // charset only
        {"=?x?B", "=?x?B"},                                        // letter but no "?"
        {"a =?x?Q?line=0Aend?=", "a line\nend"},                   // encoded LF stays a byte
        {"=?x?Q?two\nlines?=", "two\r\nlines"},                    // raw LF as in bodies
        {"=?x?B?" "?=", ""},                                        // empty word
        {"=?x?B?SGk=?= =?y", "Hi =?y"},                            // unclosed word after a good one
    };
    for (const auto& row : rows) EXPECT_EQ(decodeWords(row.input), row.expected) << row.input;
}

}  // namespace
}  // namespace tessaly
