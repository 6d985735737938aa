// pst_message_test.cpp - the corpus generator's messages as the personal-store
// writer takes them: header parameters, encoded words, addresses, dates and
// transfer encodings read back, whole generated messages split into bodies
// and attachments, and broken messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gen_corpus/corpus.h"
#include "gen_corpus/mime_reading.h"
#include "gen_corpus/pst_message.h"

namespace tessaly::bench {
namespace {

TEST(PstMessageReading, ParameterValues) {
    const struct {
        std::string field;
        std::string parameter;
        std::string expected;
        const char* why;
    } cases[] = {
        {"text/plain; charset=\"iso-8859-1\"", "charset", "iso-8859-1", "quoted"},
        {"TEXT/Plain; CHARSET=utf-8", "charset", "utf-8", "names in any case"},
        {"application/pdf;\n\tname=\"a \\\"b\\\".pdf\"", "name", "a \"b\".pdf", "escaped quotes"},
        {"attachment; filename*=UTF-8''%C3%9Cbersicht.pdf", "filename", "\xC3\x9C" "bersicht.pdf", "RFC 2231"},
        {"attachment; filename*1*=%20M%C3%A4rz.doc; filename*0*=UTF-8''Gr%C3%B6%C3%9Fe", "filename",
         "Gr\xC3\xB6\xC3\x9F" "e M\xC3\xA4rz.doc", "sections out of order"},
        {"attachment; filename*=ISO-8859-1'de'%FCber.txt", "filename", "\xC3\xBC" "ber.txt", "Latin-1 with a language"},
        {"attachment; filename=\"plain.txt\"; filename*=UTF-8''better.txt", "filename", "better.txt",
         "the extended form wins"},
        {"attachment; filename=\"unterminated", "filename", "unterminated", "a quote never closed"},
        {"attachment; filename=%ZZ", "filename", "%ZZ", "no percent decoding without a star"},
        {"attachment; filename*=UTF-8''100%", "filename", "100%", "a percent sign at the end"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseMimeValue(c.field).parameter(c.parameter).value_or("<none>"), c.expected) << c.why;
    }
    EXPECT_EQ(parseMimeValue(" Multipart/Mixed ; boundary=x").value, "multipart/mixed");
    EXPECT_FALSE(parseMimeValue("text/plain").parameter("charset"));
}

TEST(PstMessageReading, EncodedWordsAndAddresses) {
    const struct {
        std::string text;
        std::string expected;
        const char* why;
    } words[] = {
        {"=?UTF-8?B?w5xiZXJzaWNodA==?=", "\xC3\x9C" "bersicht", "B in UTF-8"},
        {"=?iso-8859-1?q?Gr=F6=DFe_M=E4rz?=", "Gr\xC3\xB6\xC3\x9F" "e M\xC3\xA4rz", "Q in Latin-1, lower case"},
        {"=?UTF-8?Q?a?=  \t =?UTF-8?Q?b?=", "ab", "blanks between two words vanish"},
        {"Re: =?UTF-8?Q?caf=C3=A9?= ok", "Re: caf\xC3\xA9 ok", "words among text keep their blanks"},
        {"=?UTF-8?X?abc?=", "=?UTF-8?X?abc?=", "an unknown encoding stays as it is"},
        {"=?UTF-8?B?broken", "=?UTF-8?B?broken", "never closed"},
        {"caf\xE9", "caf\xC3\xA9", "raw Latin-1 taken as such"},
    };
    for (const auto& c : words) EXPECT_EQ(decodeEncodedWords(c.text), c.expected) << c.why;

    const std::vector<Mailbox> boxes = parseMailboxes(
        "\"Smith, Ann\" <ann@example.org>, bob@example.org (Bob B), =?UTF-8?Q?Zo=C3=AB?= <zoe@example.org>,"
        " plain@example.org, <bare@example.org>");
    ASSERT_EQ(boxes.size(), 5u);
    const std::pair<const char*, const char*> expected[] = {{"Smith, Ann", "ann@example.org"},
                                                            {"Bob B", "bob@example.org"},
                                                            {"Zo\xC3\xAB", "zoe@example.org"},
                                                            {"", "plain@example.org"},
                                                            {"", "bare@example.org"}};
    for (size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].name, expected[i].first);
        EXPECT_EQ(boxes[i].address, expected[i].second);
    }
    EXPECT_TRUE(parseMailboxes("").empty());
}

TEST(PstMessageReading, DatesAndTransferEncodings) {
    const struct {
        const char* date;
        int64_t expected;
    } dates[] = {
        {"Sat, 1 Jan 2000 00:00:00 +0000", 946684800},
        {"1 Jan 2000 01:30:00 +0130", 946684800},       // no weekday, a zone east
        {"Fri, 31 Dec 1999 19:00:00 -0500 (EST)", 946684800},  // a zone comment
        {"Sat, 01 Jan 2000 00:00:00 GMT", 946684800},   // a named zone: taken as UTC
        {"yesterday", 0},
        {"Sat, 1 Foo 2000 00:00:00 +0000", 0},
    };
    for (const auto& d : dates) EXPECT_EQ(parseHeaderDate(d.date), d.expected) << d.date;

    EXPECT_EQ(decodeBase64("aGVs\nbG8g\r\nd29y bGQ="), "hello world");
    EXPECT_EQ(decodeBase64("YQ"), "a");  // padding left out
    EXPECT_EQ(decodeBase64("YW=Jj"), "a");  // stops at padding
    EXPECT_EQ(decodeQuotedPrintable("a=3Db=\nc=\r\nd=ZZ=4"), "a=bcd=ZZ=4");
}

// Every generated message: its attachments are the ones the generator
// counted, to the byte; each has a sender, a date and a body.
TEST(PstMessageConversion, GeneratedMessagesKeepTheirParts) {
    CorpusOptions options;
    options.seed = 5;
    options.messages = 400;
    const std::vector<GeneratedMessage> messages = generateMessages(options);
    size_t withHtml = 0;
    for (const GeneratedMessage& g : messages) {
        const test::PstMessage m = pstMessageOf(g.text);
        SCOPED_TRACE(g.text.substr(0, 2000));
        ASSERT_EQ(m.attachments.size(), g.attachments);
        uint64_t bytes = 0;
        for (const test::PstAttachment& a : m.attachments) bytes += a.data.size();
        EXPECT_EQ(bytes, g.attachmentBytes);
        EXPECT_FALSE(m.senderEmail.empty());
        EXPECT_FALSE(m.subject.empty());
        EXPECT_GT(m.deliveryTimeUnix, 788918400);  // 1995
        EXPECT_TRUE(!m.body.empty() || !m.html.empty());
        EXPECT_TRUE(m.headers.ends_with("\r\n\r\n"));
        EXPECT_EQ(m.headers.find("\n\n"), std::string::npos);
        withHtml += !m.html.empty();
    }
    EXPECT_GT(withHtml, 0u);
}

TEST(PstMessageConversion, OddMessages) {
    // Headers only, no empty line: no body at all.
    test::PstMessage m = pstMessageOf("Subject: only headers\nFrom: a@example.org\n");
    EXPECT_EQ(m.subject, "only headers");
    EXPECT_EQ(m.body, "");
    // A multipart without a boundary is one plain part.
    m = pstMessageOf("Content-Type: multipart/mixed\n\n--x\n\nbody\n");
    EXPECT_EQ(m.body, "--x\r\n\r\nbody\r\n");
    // The last part never closed; an empty part; a part with no headers.
    m = pstMessageOf(
        "Content-Type: multipart/mixed; boundary=b\n\npreamble\n--b\n\nfirst\n--b\n--b\n"
        "Content-Type: application/octet-stream; name=x.bin\nContent-Transfer-Encoding: base64\n\nAAEC\n");
    EXPECT_EQ(m.body, "first");  // the line end before a delimiter is the delimiter's
    ASSERT_EQ(m.attachments.size(), 1u);  // the empty part is dropped
    EXPECT_EQ(m.attachments[0].fileName, "x.bin");
    EXPECT_EQ(m.attachments[0].data, std::string("\0\1\2", 3));
    // Binary junk instead of a message.
    m = pstMessageOf(std::string("\0\xFF\n\n\x80junk", 9));
    EXPECT_TRUE(m.attachments.empty());

    // Generated messages cut anywhere: never more attachments than whole,
    // never a crash (run under the sanitizers).
    CorpusOptions options;
    options.seed = 8;
    options.messages = 60;
    for (const GeneratedMessage& g : generateMessages(options)) {
        if (g.attachments == 0) continue;
        for (size_t cut = 0; cut < g.text.size(); cut += 1 + g.text.size() / 97) {
            EXPECT_LE(pstMessageOf(std::string_view(g.text).substr(0, cut)).attachments.size(), g.attachments);
        }
    }
}

}  // namespace
}  // namespace tessaly::bench
