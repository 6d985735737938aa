// html_sanitizer_test.cpp - safe copies of hostile and of ordinary HTML mail.
#include "message/html_sanitizer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/html_safety.h"

namespace tessaly {
namespace {

using namespace std::string_literals;

std::optional<std::string> savedParts(std::string_view reference) {
    if (reference == "cid:logo@example.com") return "image001.png";
    if (reference == "cid:odd name") return "my logo #2.png";
    if (reference == "cid:colon") return "javascript:alert(1).png";
    if (reference == "cid:bytes") return "caf\xe9.png";
    if (reference == "cid:host") return "//t.example/x.png";
    if (reference == "image002.gif") return "image002 - stamp.gif";
    return std::nullopt;
}

std::string safe(std::string_view html) { return sanitizeHtml(html, savedParts); }

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return text;
}

// Each "http" of the copy is the start of a link target.
bool remoteOnlyInLinks(const std::string& html) {
    const std::string text = lower(html);
    for (size_t i = text.find("http"); i != std::string::npos; i = text.find("http", i + 1)) {
        if (text.compare(i, 11, "http-equiv=") == 0) continue;
        if (i < 6 || text.compare(i - 6, 6, "href=\"") != 0) return false;
    }
    return true;
}

struct Hostile {
    const char* why;
    std::string html;
};

const Hostile kHostile[] = {
    {"script in the body", "<p>hi<script>alert(1)</script>"},
    {"script in the head", "<html><head><script src=x.js></script></head><body>hi"},
    {"script after the end of the document", "<body>hi</body></html><script>alert(1)</script>"},
    {"script inside a table is moved out of it", "<table><script>alert(1)</script><tr><td>x</td></tr></table>"},
    {"script split around another", "<scr<script>x</script>ipt>alert(1)</script>"},
    {"mixed case and a remote source", "<ScRiPt SrC=//evil.example/x.js></sCrIpT>"},
    {"event handler on an image", "<img src=x onerror=alert(1)>"},
    {"event handler on the body", "<body onload=alert(1) bgcolor=white>hi"},
    {"event handler on an allowed link", "<a href=\"https://example.com\" onclick=\"alert(1)\">x</a>"},
    {"handler without quotes or spaces", "<img/src/onerror=alert(1)>"},
    {"broken quote hides a handler", "<img src=\"x onerror=\"alert(1)\">"},
    {"SVG with script and onload", "<svg onload=alert(1)><script>alert(2)</script><a xlink:href=javascript:x>y</a></svg>"},
    {"MathML with a link", "<math><mi xlink:href=\"javascript:alert(1)\">x</mi></math>"},
    {"javascript: link", "<a href=\"javascript:alert(1)\">x</a>"},
    {"entity-encoded javascript: link", "<a href=\"&#106;avascript:alert(1)\">x</a><a href=\"&#x6A;&#x61;vascript:x\">y</a>"},
    {"tab and newline in the scheme", "<a href=\"jav&#x09;ascript:alert(1)\">x</a><a href=\"java\nscript:x\">y</a>"},
    {"control characters before the scheme", "<a href=\" \x01\x02javascript:alert(1)\">x</a>"},
    {"mixed-case scheme", "<a href=\"JaVaScRiPt:alert(1)\">x</a>"},
    {"vbscript: link", "<a href=\"vbscript:msgbox(1)\">x</a>"},
    {"data: document link", "<a href=\"data:text/html,<script>alert(1)</script>\">x</a>"},
    {"javascript: image", "<img src=\"javascript:alert(1)\">"},
    {"SVG data image", "<img src=\"data:image/svg+xml;base64,PHN2Zz48L3N2Zz4=\">"},
    {"frames", "<iframe src=\"https://evil.example/\"></iframe><iframe srcdoc=\"<script>x</script>\"></iframe>"},
    {"frameset document", "<frameset><frame src=\"https://evil.example/\"></frameset>"},
    {"objects, embeds and applets", "<object data=x.swf><param name=a value=b></object><embed src=x.swf><applet code=x></applet>"},
    {"meta refresh in the head", "<head><meta http-equiv=refresh content=\"0;url=https://evil.example/\"></head>hi"},
    {"meta refresh in the body", "<p>hi<meta http-equiv=\"Refresh\" content=\"0; URL=javascript:alert(1)\">"},
    {"base href", "<base href=\"https://evil.example/\"><a href=\"x\">x</a>"},
    {"remote style sheet and font", "<link rel=stylesheet href=\"https://evil.example/a.css\"><link rel=preload href=//x/f.woff>"},
    {"form with controls", "<form action=\"https://evil.example/\"><input name=p><button formaction=x>Go</button>"
                           "<select><option>one</select><textarea>words</textarea></form>"},
    {"remote images", "<img src=\"http://t.example/a.gif\"><img src=\"https://t.example/b.gif\" alt=b>"
                      "<img src=\"//t.example/c.gif\"><img srcset=\"https://t.example/d.gif 2x\">"},
    {"remote background", "<table background=\"http://t.example/bg.png\"><tr><td background=javascript:x>x</td></tr></table>"},
    {"media with remote sources", "<video poster=https://t.example/p.png><source src=https://t.example/v.mp4></video>"
                                  "<audio src=https://t.example/a.mp3></audio>"},
    {"style sheet imports and urls", "<style>@import 'https://evil.example/a.css'; @import url(x.css);"
                                     "p{background:url(https://t.example/p.gif)} @font-face{src:url(f.woff)}</style>"},
    {"old script hooks in CSS", "<style>p{width:expression(alert(1));behavior:url(x.htc);-moz-binding:url(x.xml#y)}</style>"},
    {"CSS escape spelling url(", "<style>p{background:u\\72l(https://t.example/x.gif)}</style><p style=\"background:u\\rl(x)\">x"},
    {"CSS comment inside url(", "<p style=\"background: u/**/rl(https://t.example/x.gif)\">x</p>"},
    {"entity-encoded url( in a style attribute", "<p style=\"background:&#117;rl(https://t.example/x.gif)\">x</p>"},
    {"javascript: in a style attribute", "<div style=\"background-image: url('javascript:alert(1)')\">x</div>"},
    {"image-set without url(", "<div style=\"background-image: image-set('https://t.example/x.png' 1x)\">x</div>"},
    {"style element closed early", "<style>p{color:red}</STYLE ><script>alert(1)</script>"},
    {"comments hiding tags", "<!-- <script>alert(1)</script> --><!--[if IE]><script>alert(2)</script><![endif]-->hi"},
    {"conditional comment for Outlook", "<!--[if mso]><v:rect href=\"https://t.example/\"></v:rect><![endif]-->hi"},
    {"malformed nesting", "<b><i><script></b></i>alert(1)</script><table><td><p><a href=javascript:x>x</table>"},
    {"template and noscript", "<template><script>alert(1)</script></template><noscript><img src=x onerror=alert(1)></noscript>"},
    {"raw text elements", "<xmp><script>alert(1)</script></xmp><plaintext><script>alert(2)</script>"},
    {"NUL bytes in names and schemes", "<scr\0ipt>alert(1)</script><a href=\"java\0script:x\">y</a><img src=x on\0error=y>"s},
    {"invalid UTF-8", "\xff\xfe<p \xc3=\"\xe2\x82\">\xed\xa0\x80<script>alert(1)</script>"s},
    {"unresolved cid image", "<img src=\"cid:nothing@example.com\" onerror=alert(1)>"},
};

TEST(HtmlSanitizer, HostileMailComesOutInert) {
    for (const Hostile& row : kHostile) {
        const std::string out = safe(row.html);
        const std::string text = lower(out);
        EXPECT_THAT(test::activeParts(out), ::testing::IsEmpty()) << row.why << "\n" << out;
        EXPECT_EQ(text.find("<script"), std::string::npos) << row.why << "\n" << out;
        EXPECT_EQ(text.find("javascript:"), std::string::npos) << row.why << "\n" << out;
        EXPECT_EQ(text.find("vbscript:"), std::string::npos) << row.why << "\n" << out;
        EXPECT_TRUE(remoteOnlyInLinks(out)) << row.why << "\n" << out;
        EXPECT_EQ(out.rfind("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">", 0), 0u) << row.why;
    }
}

TEST(HtmlSanitizer, OrdinaryMailStaysReadable) {
    const std::string out = safe(
        "<html><head><title>Offer &amp; more</title><style><!-- p { margin: 0 } td { background: url(x.gif) } --></style>"
        "</head><body bgcolor=\"#ffffff\" text=\"#000000\"><table border=\"0\" cellpadding=\"4\" bgcolor=\"#eeeeee\">"
        "<tr><td valign=\"top\"><font face=\"Arial\" color=\"#333333\" size=\"2\"><b>Bold</b> <i>it</i> <u>u</u></font>"
        "</td></tr></table><ul><li>one<li>two</ul><ol start=\"3\"><li>three</ol>"
        "<p style=\"color:#333; font-family: Arial\">See <a href=\"https://example.com/p?a=1&amp;b=2\" target=\"_self\">"
        "the page</a> or <a href=\"mailto:me@example.com\">write</a>.</p><img src=\"cid:logo@example.com\" alt=\"Logo\" "
        "width=\"120\"><blockquote>quoted &lt;text&gt;</blockquote></body></html>");
    for (const char* kept : {
             "<title>Offer &amp; more</title>", "<style> p { margin: 0 } td {} </style>",
             "<body bgcolor=\"#ffffff\" text=\"#000000\">",
             "<table border=\"0\" cellpadding=\"4\" bgcolor=\"#eeeeee\"><tbody><tr><td valign=\"top\">",
             "<font face=\"Arial\" color=\"#333333\" size=\"2\"><b>Bold</b> <i>it</i> <u>u</u></font>",
             "<ul><li>one</li><li>two</li></ul><ol start=\"3\"><li>three</li></ol>",
             "<p style=\"color:#333; font-family: Arial\">",
             "<a href=\"https://example.com/p?a=1&amp;b=2\" target=\"_blank\" rel=\"noopener noreferrer\">the page</a>",
             "<a href=\"mailto:me@example.com\" target=\"_blank\" rel=\"noopener noreferrer\">write</a>",
             "<img src=\"./image001.png\" alt=\"Logo\" width=\"120\">", "<blockquote>quoted &lt;text&gt;</blockquote>",
         }) {
        EXPECT_NE(out.find(kept), std::string::npos) << kept << "\n" << out;
    }
}

TEST(HtmlSanitizer, ImagesFromPartsDataOrLinks) {
    struct Row {
        const char* why;
        const char* html;
        const char* expected;
    } const rows[] = {
        {"cid percent-encoded", "<img src=\"CID:logo%40example.com\">", "<img src=\"./image001.png\">"},
        {"saved name escaped for the URL", "<img src=\"cid:odd%20name\">", "<img src=\"./my logo %232.png\">"},
        {"saved name that reads as a scheme", "<img src=\"cid:colon\">", "<img src=\"./javascript:alert(1).png\">"},
        {"saved name that reads as another host", "<img src=\"cid:host\">", "<img src=\".///t.example/x.png\">"},
        {"saved name in bytes, not UTF-8", "<img src=\"cid:bytes\">", "<img src=\"./caf%E9.png\">"},
        {"cid background", "<table><tr><td background=\"cid:logo@example.com\">", "<td background=\"./image001.png\">"},
        {"unresolved cid leaves the alt text", "<img src=\"cid:gone\" alt=\"Chart\">", "<body>Chart</body>"},
        {"content location of a saved part", "<img src=\" image002.gif\">", "<img src=\"./image002 - stamp.gif\">"},
        {"other relative image leaves the alt text", "<img src=\"images/x.png\" alt=\"X\">", "<body>X</body>"},
        {"absolute path is never a content location", "<img src=\"/image002.gif\" alt=\"Y\">", "<body>Y</body>"},
        {"inline PNG kept", "<img src=\" data:image/png;base64,iVBO\">", "<img src=\"data:image/png;base64,iVBO\">"},
        {"remote image becomes a link", "<p><img src=\"https://t.example/a.png\" alt=\"Sale\">",
         "<a href=\"https://t.example/a.png\" target=\"_blank\" rel=\"noopener noreferrer\">Sale</a>"},
        {"remote image without alt text", "<p><img src=\"http://t.example/a.png\">",
         "<a href=\"http://t.example/a.png\" target=\"_blank\" rel=\"noopener noreferrer\">[image]</a>"},
        {"remote image inside a link is its text", "<a href=\"https://shop.example/\"><img src=\"https://t.example/a.png\" alt=\"Shop\"></a>",
         "<a href=\"https://shop.example/\" target=\"_blank\" rel=\"noopener noreferrer\">Shop</a>"},
        {"tracking pixel goes", "<p>x<img src=\"https://t.example/open.gif\" width=\"1\" height=\"1\"></p>", "<p>x</p>"},
    };
    for (const Row& row : rows) {
        EXPECT_NE(safe(row.html).find(row.expected), std::string::npos) << row.why << "\n" << safe(row.html);
    }
}

TEST(HtmlSanitizer, FormsLeaveTheirText) {
    const std::string out = safe("<form><label>Name <input name=n></label><select><option>Red</select>"
                                 "<textarea>a &lt;b&gt;</textarea><button>Send</button></form>");
    EXPECT_NE(out.find("<body>Name Reda &lt;b&gt;Send</body>"), std::string::npos) << out;
}

TEST(HtmlSanitizer, DeepNestingIsCutNotFatal) {
    std::string deep;
    for (int i = 0; i < 200000; ++i) deep += "<div title=\"</div>\">";
    deep += "end";
    const std::string out = safe(deep);
    EXPECT_THAT(test::activeParts(out), ::testing::IsEmpty());
    EXPECT_NE(out.find("</body></html>"), std::string::npos);
    EXPECT_NE(safe(std::string(100000, '<') + "<p>" + std::string(50000, '>')).find("</body>"), std::string::npos);
}

}  // namespace
}  // namespace tessaly
