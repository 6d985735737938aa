// content_key_test.cpp - what makes two messages the same content, and
// what does not.
#include "message/content_key.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tessaly {
namespace {

uint64_t keyOf(const std::string& text) { return rawContentKey(text.data(), text.size()); }

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

const std::string kMessage =
    "From: Ann <ann@example.org>\nSubject: Hi\nDate: Thu, 5 Sep 2002 14:30:07 +0200\n\nHello\nthere\n";

TEST(ContentKey, CopiesOfOneMessageAgree) {
    const uint64_t key = keyOf(kMessage);
    EXPECT_EQ(keyOf(withCrLf(kMessage)), key) << "CR LF line ends";
    EXPECT_EQ(keyOf(withCrLf(kMessage) + "\r\n\r\n"), key) << "the EML file's closing line ends";
    EXPECT_EQ(keyOf(kMessage + "\n"), key) << "the empty line before the next From line";
    EXPECT_EQ(keyOf("Received: from a by b; Thu, 5 Sep 2002 14:31:00 +0200\n\tid 12\nStatus: RO\n"
                    "X-Mozilla-Status: 0001\n" +
                    kMessage),
              key)
        << "fields a server or mail program adds to its copy";
}

TEST(ContentKey, DifferentMessagesDiffer) {
    const uint64_t key = keyOf(kMessage);
    EXPECT_NE(keyOf(kMessage + "P.S.\n"), key) << "more body";
    EXPECT_NE(keyOf("To: bob@example.com\n" + kMessage), key) << "another recipient";
    std::string otherSubject = kMessage;
    otherSubject.replace(otherSubject.find("Hi"), 2, "Ho");
    EXPECT_NE(keyOf(otherSubject), key) << "another subject";
    // A header moved into the body is not the same message.
    EXPECT_NE(keyOf("Subject: Hi\n\nStatus: RO\n"), keyOf("Subject: Hi\nStatus: RO\n\n"));
    EXPECT_EQ(contentKeyText(0x0123456789abcdefull), "1:0123456789abcdef");
}

TEST(ContentKey, TheHasherIgnoresHowItsBytesAreCut) {
    std::mt19937 random(5);
    std::string bytes(1000, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    ContentHasher whole;
    whole.feed(bytes);
    for (int round = 0; round < 50; ++round) {
        ContentHasher pieces;
        for (size_t at = 0; at < bytes.size();) {
            const size_t n = std::min(bytes.size() - at, static_cast<size_t>(random() % 20));
            pieces.feed(bytes.data() + at, n);
            at += n;
        }
        EXPECT_EQ(pieces.value(), whole.value());
    }
    ContentHasher one;
    one.feed("ab");
    one.endItem();
    one.feed("c");
    ContentHasher other;
    other.feed("a");
    other.endItem();
    other.feed("bc");
    EXPECT_NE(one.value(), other.value());
}

}  // namespace
}  // namespace tessaly
