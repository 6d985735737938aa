// mime_writer_test.cpp - a written message reads back through the
// archiver's own parser and decoders with every value and byte intact.
#include "message/mime_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run.h"
#include "message/boundary_lines.h"
#include "message/decoding.h"
#include "message/part_tree.h"

namespace tessaly {
namespace {

std::string decoded(DecodeContext& decoder, const tagMessagePart& part) {
    const char* start = part.bodyStart;
    const char* end = part.bodyEnd;
    if (part.bodyFormat == BodyFormat::Base64) decodeBase64(decoder, start, end);
    if (part.bodyFormat == BodyFormat::QuotedPrintable) decodeQuotedPrintable(decoder, start, end);
    return std::string(start, end);
}

TEST(MimeWriter, WhatIsWrittenReadsBack) {
    std::string binary;
    for (int i = 0; i < 1000; ++i) binary += static_cast<char>(i * 7);
    const std::string text = "Line one with =, tabs\tand a trailing blank \nLine two " + std::string(200, 'x') +
                             "\n\xC3\xA9t\xC3\xA9\n";
    MimeMessage message;
    message.headers = {{"From", mimeAddress("Ren\xC3\xA9 Fran\xC3\xA7ois", "rene@example.org")},
                       {"To", mimeAddress("Smith, Bob", "bob@example.com")},
                       {"Subject", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 " + std::string(60, 'a')},
                       {"Date", "Thu, 5 Sep 2002 14:30:07 +0000"}};
    message.parts = {{MimePart::Kind::Text, "", "", "", text},
                     {MimePart::Kind::Attachment, "application/pdf", "r\xC3\xA9sum\xC3\xA9 \"1\".pdf", "id@x", binary},
                     {MimePart::Kind::Message, "", "inner.eml", "", "Subject: inner\r\n\r\nhi\r\n"}};
    const std::string eml = writeMimeMessage(message, "0");

    // Lines stay within the limit of mail transport, bodies within 76.
    size_t start = 0;
    while (start < eml.size()) {
        const size_t lf = eml.find('\n', start);
        ASSERT_NE(lf, std::string::npos);
        EXPECT_EQ(eml[lf - 1], '\r');
        EXPECT_LE(lf - start, 998u);
        if (eml.compare(start, 7, "Subject") != 0 && eml.compare(start, 7, "Content") != 0 &&
            eml.compare(start, 4, "From") != 0) {
            EXPECT_LE(lf - start, 78u) << eml.substr(start, lf - start);
        }
        start = lf + 1;
    }

    std::vector<TMarker> markers;
    scanBoundaryLines(eml.data(), eml.data() + eml.size(), markers, nullptr);
    ArchiveRun run;
    TMessageInfo info;
    buildPartTree(run, run.decoder.charsets(), info, eml.data(), eml.size(), markers);
    EXPECT_EQ(info.subject, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 " + std::string(60, 'a'));
    EXPECT_EQ(info.fromAddress, "rene@example.org");
    EXPECT_NE(info.fromHtml.find("Ren\xC3\xA9 Fran\xC3\xA7ois"), std::string::npos) << info.fromHtml;
    EXPECT_NE(info.toHtml.find("Smith, Bob"), std::string::npos) << info.toHtml;

    std::vector<const tagMessagePart*> parts;
    for (const tagMessagePart* part = info.rootPart.firstChild; part; part = part->nextSibling) parts.push_back(part);
    ASSERT_EQ(parts.size(), 3u);
    DecodeContext decoder;
    std::string crlfText;
    for (char c : text) crlfText += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(parts[0]->kind, PartKind::Text);
    EXPECT_EQ(decoded(decoder, *parts[0]), crlfText);
    EXPECT_EQ(parts[1]->kind, PartKind::Attachment);
    EXPECT_EQ(decoded(decoder, *parts[1]), binary);
    EXPECT_EQ(parts[1]->fileName, "r\xC3\xA9sum\xC3\xA9 \"1\".pdf");
    EXPECT_EQ(parts[1]->contentId, "cid:id@x");
    EXPECT_EQ(parts[2]->kind, PartKind::Message);
    ASSERT_NE(parts[2]->firstChild, nullptr);
    EXPECT_EQ(parts[2]->firstChild->embedded->subject, "inner");
}

}  // namespace
}  // namespace tessaly
