// part_headers_test.cpp - classifying a MIME part from its headers: kind,
// body format, boundary, file names, Macintosh extensions and images.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run.h"
#include "message/headers.h"

namespace tessaly {
namespace {

struct PartRow {
    const char* why;
    std::string headers;
    PartKind kind;
    BodyFormat format;
    std::string boundary;
    std::string fileName;
    std::string declaredName;
};

TEST(PartHeaders, Classification) {
    using K = PartKind;
    using F = BodyFormat;
    const PartRow rows[] = {
        {"no headers at all: plain text", "", K::Text, F::None, "", "", ""},
        {"quoted boundary keeps its space",
         "Content-Type: multipart/mixed; boundary=\"a b\"", K::Multipart, F::None, "a b", "", ""},
        {"an unquoted boundary ends at the semicolon (Apple Mail, Claws)",
         "Content-Type: multipart/alternative; boundary=abc; charset=x", K::Alternative, F::None,
         "abc", "", ""},
        {"blanks around the equals sign",
         "Content-Type: multipart/mixed; boundary = \"b 1\"", K::Multipart, F::None, "b 1", "", ""},
        {"the value folded onto the next line (Eudora)",
         "Content-Type: multipart/mixed; boundary=\r\n\t\"=====_123==_\"", K::Multipart, F::None,
         "=====_123==_", "", ""},
        {"RFC 2231 extended value",
         "Content-Type: multipart/mixed; boundary*=us-ascii'en'abc%2Ddef", K::Multipart, F::None,
         "abc-def", "", ""},
        {"RFC 2231 continuations in order",
         "Content-Type: multipart/mixed;\r\n boundary*1=\"def\";\r\n boundary*0=\"abc\"", K::Multipart,
         F::None, "abcdef", "", ""},
        {"a quoted boundary with a backslash escape",
         "Content-Type: multipart/mixed; boundary=\"a\\\"b\"", K::Multipart, F::None, "a\"b", "", ""},
        {"trailing blanks inside the quotes are no part of it",
         "Content-Type: multipart/mixed; boundary=\"abc  \"", K::Multipart, F::None, "abc", "", ""},
        {"without the semicolon the name still finds it",
         "Content-Type: multipart/mixed boundary=xyz", K::Multipart, F::None, "xyz", "", ""},
        {"unquoted boundary stops at a folded line break",
         "Content-Type: multipart/related; boundary=abc\r\n\ttype=\"text/html\"", K::Related,
         F::None, "abc", "", ""},
        {"parameter name in capitals is found, value case kept",
         "Content-Type: Multipart/Mixed; BOUNDARY=XyZ", K::Multipart, F::None, "XyZ", "", ""},
        {"boundary= at the very end gives an empty boundary",
         "Content-Type: multipart/mixed; boundary=", K::Multipart, F::None, "", "", ""},
        {"unclosed quoted boundary runs to the end",
         "Content-Type: multipart/mixed; boundary=\"open", K::Multipart, F::None, "open", "", ""},
        {"encoding in capitals; encoded untyped body is an attachment",
         "Content-Transfer-Encoding: BASE64", K::Attachment, F::Base64, "", "", ""},
        {"quoted-printable wins over format=flowed",
         "Content-Type: text/plain; format=flowed\r\nContent-Transfer-Encoding: quoted-printable",
         K::Text, F::QuotedPrintable, "", "", ""},
        {"quoted flowed", "Content-Type: text/plain; format=\"flowed\"", K::Text, F::Flowed, "",
         "", ""},
        {"enriched text counts as text", "Content-Type: text/enriched", K::Text, F::Enriched, "",
         "", ""},
        {"BinHex by type", "Content-Type: application/mac-binhex40", K::Attachment, F::BinHex, "",
         "", ""},
        {"uuencode by encoding", "Content-Transfer-Encoding: x-uuencode", K::Attachment,
         F::Uuencode, "", "", ""},
        {"an unencoded unknown type counts as text", "Content-Type: message/delivery-status", K::Text,
         F::None, "", "", ""},
        {"a forwarded message", "Content-Type: message/rfc822", K::Message, F::None, "", "", ""},
        {"an RFC 2231 file name",
         "Content-Type: application/pdf\r\nContent-Disposition: attachment;\r\n filename*=UTF-8''r%C3%A9sum%C3%A9.pdf",
         K::Attachment, F::None, "", "r\xC3\xA9sum\xC3\xA9.pdf", "r\xC3\xA9sum\xC3\xA9.pdf"},
        {"an attached message keeps its name",
         "Content-Type: message/rfc822; name=\"plans.eml\"\r\nContent-Disposition: attachment",
         K::Message, F::None, "", "plans.eml", "plans.eml"},
        {"HTML", "Content-Type: text/html; charset=us-ascii", K::Html, F::None, "", "", ""},
        {"attachment disposition beats text/plain",
         "Content-Type: text/plain\r\nContent-Disposition: ATTACHMENT; filename=notes.txt",
         K::Attachment, F::None, "", "notes.txt", "notes.txt"},
        {"GIF attachment with a capital extension is an image",
         "Content-Type: image/gif\r\nContent-Disposition: attachment; filename=\"PIC.GIF\"",
         K::Image, F::None, "", "PIC.GIF", "PIC.GIF"},
        {"a .jpeg name makes even a text part an image",
         "Content-Type: text/plain; name=photo.jpeg", K::Image, F::None, "", "photo.jpeg",
         "photo.jpeg"},
        {"directories are removed from the name",
         "Content-Type: application/pdf; name=\"C:\\docs\\report.pdf\"", K::Text, F::None, "",
         "report.pdf", "report.pdf"},
        {"the disposition's file name is preferred",
         "Content-Type: application/pdf; name=a.pdf\r\n"
         "Content-Disposition: inline; filename=\"b;c.pdf\"",
         K::Text, F::None, "", "b;c.pdf", "b;c.pdf"},
        {"Macintosh creator MSWD in hex adds .doc",
         "Content-Type: application/octet-stream; name=\"Letter\";\r\n"
         " x-mac-type=\"5738424E\"; x-mac-creator=\"4D535744\"\r\n"
         "Content-Transfer-Encoding: base64",
         K::Attachment, F::Base64, "", "Letter.doc", "Letter"},
        {"a name with an extension keeps it whatever the creator",
         "Content-Type: application/octet-stream; name=Letter.txt; x-mac-creator=4D535744",
         K::Text, F::None, "", "Letter.txt", "Letter.txt"},
        {"unknown creator: no extension added",
         "Content-Type: application/octet-stream; name=Letter; x-mac-creator=3F3F3F3F", K::Text,
         F::None, "", "Letter", "Letter"},
        {"encoded words in the disposition are decoded before the name is taken",
         "Content-Disposition: attachment; filename=\"=?utf-8?B?cmVwb3J0LnBkZg==?=\"",
         K::Attachment, F::None, "", "report.pdf", "report.pdf"},
    };
    for (const PartRow& row : rows) {
        SCOPED_TRACE(row.why);
        ArchiveRun run;
        const std::string text = (row.headers.empty() ? "" : row.headers + "\r\n") + "\r\nbody";
        std::vector<char> bytes(text.begin(), text.end());
        tagMessagePart part;
        parseHeaders(run, run.decoder.charsets(), nullptr, &part, bytes.data(), bytes.data() + bytes.size(), false);
        EXPECT_EQ(part.kind, row.kind);
        EXPECT_EQ(part.bodyFormat, row.format);
        EXPECT_EQ(part.boundary, row.boundary);
        EXPECT_EQ(part.fileName, row.fileName);
        EXPECT_EQ(part.declaredName, row.declaredName);
        EXPECT_EQ(std::string(part.bodyStart, part.bodyEnd), "body");
    }
}

// File names in the RFC 2231 forms, each row with what is odd about it.
// The plain rows keep the names they always had.
TEST(PartHeaders, ExtendedFileNames) {
    struct Row {
        const char* why;
        std::string headers;
        std::string name;
    };
    const Row rows[] = {
        {"the extended form beats a plain one beside it",
         "Content-Disposition: attachment; filename=\"resume.pdf\";\r\n filename*=UTF-8''r%C3%A9sum%C3%A9.pdf",
         "r\xC3\xA9sum\xC3\xA9.pdf"},
        {"the extended form comes first, the plain one after it",
         "Content-Disposition: attachment; filename*=UTF-8''%E2%82%AC.txt; filename=\"EUR.txt\"",
         "\xE2\x82\xAC.txt"},
        {"the disposition's extended name beats the type's plain one",
         "Content-Type: application/pdf; name=\"x.pdf\"\r\n"
         "Content-Disposition: attachment; filename*=utf-8'en'na%C3%AFve.pdf",
         "na\xC3\xAFve.pdf"},
        {"the type's extended name when the disposition gives none",
         "Content-Type: application/pdf; name*=UTF-8''%F0%9F%93%8E.pdf; name=\"clip.pdf\"\r\n"
         "Content-Disposition: attachment",
         "\xF0\x9F\x93\x8E.pdf"},
        {"but a plain disposition name beats the type's extended one",
         "Content-Type: application/pdf; name*=UTF-8''other.pdf\r\nContent-Disposition: attachment; filename=a.pdf",
         "a.pdf"},
        {"ISO-8859-1 with a language, converted to UTF-8",
         "Content-Disposition: attachment; filename*=iso-8859-1'fr'%E9t%E9.txt", "\xC3\xA9t\xC3\xA9.txt"},
        {"windows-1251 as Outlook writes it",
         "Content-Disposition: attachment; filename*=windows-1251''%CF%F0%E8%E2%E5%F2.doc",
         "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.doc"},
        {"encoded continuations, out of order, the later ones without charset",
         "Content-Disposition: attachment;\r\n filename*1*=%C3%A9%20final.pdf;\r\n"
         " filename*0*=UTF-8''Rapport%20",
         "Rapport \xC3\xA9 final.pdf"},
        {"continuations mixing quoted and encoded sections",
         "Content-Disposition: attachment; filename*0*=ISO-8859-1''%C4rger;\r\n filename*1=\" und Freude.txt\"",
         "\xC3\x84rger und Freude.txt"},
        {"plain continuations beat the plain name in the type",
         "Content-Type: text/plain; name=short.txt\r\n"
         "Content-Disposition: attachment; filename*0=\"a very long \"; filename*1=\"name.txt\"",
         "a very long name.txt"},
        {"a gap ends the continuations", "Content-Disposition: attachment; filename*0=\"one\"; filename*2=\"three\"",
         "one"},
        {"continuations without a first section fall back to the plain name",
         "Content-Disposition: attachment; filename*1=\"b.txt\"; filename=\"plain.txt\"", "plain.txt"},
        {"an empty extended value falls back to the plain name",
         "Content-Disposition: attachment; filename*=UTF-8''; filename=\"plain.txt\"", "plain.txt"},
        {"a bad escape is kept as it is", "Content-Disposition: attachment; filename*=UTF-8''50%zz%4.txt",
         "50%zz%4.txt"},
        {"a missing quote: the whole value is the name",
         "Content-Disposition: attachment; filename*=UTF-8'report.pdf", "UTF-8'report.pdf"},
        {"an unknown charset keeps the bytes, read as windows-1252",
         "Content-Disposition: attachment; filename*=x-nonsense''%E9.txt", "\xC3\xA9.txt"},
        {"an encoded NUL cuts nothing here, and crashes nothing",
         "Content-Disposition: attachment; filename*=UTF-8''a%00b.txt", std::string("a\0b.txt", 7)},
        {"a section number too long for a number is ignored",
         "Content-Disposition: attachment; filename*99999999999=x; filename=\"plain.txt\"", "plain.txt"},
        {"directories in an extended name are removed",
         "Content-Disposition: attachment; filename*=UTF-8''..%2F..%2Fetc%2Fpasswd", "passwd"},
        {"plain names stay as they were: no percent decoding",
         "Content-Disposition: attachment; filename=\"100%25.txt\"", "100%25.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ArchiveRun run;
        const std::string text = row.headers + "\r\n\r\nbody";
        tagMessagePart part;
        parseHeaders(run, run.decoder.charsets(), nullptr, &part, text.data(), text.data() + text.size(), false);
        EXPECT_EQ(part.declaredName, row.name);
    }
}

TEST(PartHeaders, ContentIdRangesAndReset) {
    ArchiveRun run;
    const std::string text = "Content-ID: <part1@x>\r\nContent-Type: text/plain\r\n\r\nbody";
    tagMessagePart part;
    part.nextSibling = &part;  // stale links are cleared
    part.partNumber = 9;
    parseHeaders(run, run.decoder.charsets(), nullptr, &part, text.data(), text.data() + text.size(), false);
    EXPECT_EQ(part.contentId, "cid:part1@x");
    EXPECT_EQ(part.contentType, "text/plain");
    EXPECT_EQ(part.headerStart, text.data());
    EXPECT_EQ(part.bodyStart, text.data() + text.size() - 4);
    EXPECT_EQ(part.bodyEnd, text.data() + text.size());
    EXPECT_EQ(part.nextSibling, nullptr);
    EXPECT_EQ(part.partNumber, 0);

    const std::string none = "Content-Type: text/plain\r\n\r\n";
    parseHeaders(run, run.decoder.charsets(), nullptr, &part, none.data(), none.data() + none.size(), false);
    EXPECT_EQ(part.contentId, "");
}

}  // namespace
}  // namespace tessaly
