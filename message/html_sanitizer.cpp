// html_sanitizer.cpp - the safe copy of an HTML body: gumbo's parse tree
// written back through an allowlist of elements and attributes.
#include "message/html_sanitizer.h"

#include <gumbo.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "message/attribute_text.h"
#include "message/charsets.h"
#include "message/css_filter.h"
#include "message/html_nesting.h"
#include "message/html_urls.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

// Elements written as they are: the text formatting, lists and tables of
// mail, which neither run nor load anything once their attributes are
// checked. img has its own rules.
constexpr GumboTag kKept[] = {
    GUMBO_TAG_A,       GUMBO_TAG_ABBR,    GUMBO_TAG_ACRONYM, GUMBO_TAG_ADDRESS, GUMBO_TAG_ARTICLE, GUMBO_TAG_ASIDE,
    GUMBO_TAG_B,       GUMBO_TAG_BDI,     GUMBO_TAG_BDO,     GUMBO_TAG_BIG,     GUMBO_TAG_BLOCKQUOTE,
    GUMBO_TAG_BR,      GUMBO_TAG_CAPTION, GUMBO_TAG_CENTER,  GUMBO_TAG_CITE,    GUMBO_TAG_CODE,    GUMBO_TAG_COL,
    GUMBO_TAG_COLGROUP, GUMBO_TAG_DD,     GUMBO_TAG_DEL,     GUMBO_TAG_DETAILS, GUMBO_TAG_DFN,     GUMBO_TAG_DIV,
    GUMBO_TAG_DL,      GUMBO_TAG_DT,      GUMBO_TAG_EM,      GUMBO_TAG_FIGCAPTION, GUMBO_TAG_FIGURE, GUMBO_TAG_FONT,
    GUMBO_TAG_FOOTER,  GUMBO_TAG_H1,      GUMBO_TAG_H2,      GUMBO_TAG_H3,      GUMBO_TAG_H4,      GUMBO_TAG_H5,
    GUMBO_TAG_H6,      GUMBO_TAG_HEADER,  GUMBO_TAG_HR,      GUMBO_TAG_I,       GUMBO_TAG_INS,     GUMBO_TAG_KBD,
    GUMBO_TAG_LI,      GUMBO_TAG_MAIN,    GUMBO_TAG_MARK,    GUMBO_TAG_NAV,     GUMBO_TAG_NOBR,    GUMBO_TAG_OL,
    GUMBO_TAG_P,       GUMBO_TAG_PRE,     GUMBO_TAG_Q,       GUMBO_TAG_RP,      GUMBO_TAG_RT,      GUMBO_TAG_RUBY,
    GUMBO_TAG_S,       GUMBO_TAG_SAMP,    GUMBO_TAG_SECTION, GUMBO_TAG_SMALL,   GUMBO_TAG_SPAN,    GUMBO_TAG_STRIKE,
    GUMBO_TAG_STRONG,  GUMBO_TAG_SUB,     GUMBO_TAG_SUMMARY, GUMBO_TAG_SUP,     GUMBO_TAG_TABLE,   GUMBO_TAG_TBODY,
    GUMBO_TAG_TD,      GUMBO_TAG_TFOOT,   GUMBO_TAG_TH,      GUMBO_TAG_THEAD,   GUMBO_TAG_TIME,    GUMBO_TAG_TR,
    GUMBO_TAG_TT,      GUMBO_TAG_U,       GUMBO_TAG_UL,      GUMBO_TAG_VAR,     GUMBO_TAG_WBR,
};

// Elements dropped with everything inside: what runs, what loads, what
// belongs in the head, and the fallback content of those. Anything neither
// kept nor dropped (forms and their controls, unknown elements) is replaced
// by its children, so that its text stays.
constexpr GumboTag kDropped[] = {
    GUMBO_TAG_SCRIPT,  GUMBO_TAG_NOSCRIPT, GUMBO_TAG_TEMPLATE, GUMBO_TAG_STYLE,   GUMBO_TAG_IFRAME, GUMBO_TAG_FRAME,
    GUMBO_TAG_FRAMESET, GUMBO_TAG_NOFRAMES, GUMBO_TAG_OBJECT,  GUMBO_TAG_EMBED,   GUMBO_TAG_NOEMBED, GUMBO_TAG_APPLET,
    GUMBO_TAG_PARAM,   GUMBO_TAG_BASE,     GUMBO_TAG_META,     GUMBO_TAG_LINK,    GUMBO_TAG_TITLE,  GUMBO_TAG_HEAD,
    GUMBO_TAG_INPUT,   GUMBO_TAG_KEYGEN,   GUMBO_TAG_ISINDEX,  GUMBO_TAG_SOURCE,  GUMBO_TAG_TRACK,  GUMBO_TAG_AREA,
    GUMBO_TAG_BGSOUND, GUMBO_TAG_SVG,      GUMBO_TAG_MATH,
};

constexpr GumboTag kVoid[] = {GUMBO_TAG_BR, GUMBO_TAG_COL, GUMBO_TAG_HR, GUMBO_TAG_IMG, GUMBO_TAG_WBR};

// Attributes that only describe layout and text; URLs and style have their
// own rules below, and no "on..." handler is among them.
constexpr std::string_view kAttributes[] = {
    "abbr",   "align", "alink",    "alt",   "bgcolor", "border",  "cellpadding", "cellspacing", "class", "clear",
    "color",  "cols",  "colspan",  "compact", "datetime", "dir",  "face",        "headers",     "height", "hspace",
    "id",     "lang",  "link",     "name",  "noshade", "nowrap",  "open",        "reversed",    "rows",   "rowspan",
    "rules",  "scope", "size",     "span",  "start",   "summary", "text",        "title",       "type",
    "valign", "value", "vlink",    "vspace",  "width",
};

template <typename List, typename Item>
bool contains(const List& list, const Item& item) {
    return std::find(std::begin(list), std::end(list), item) != std::end(list);
}

bool isAllowedAttribute(std::string_view name) {
    return contains(kAttributes, name);
}

const GumboAttribute* attribute(const GumboElement& element, const char* name) {
    return gumbo_get_attribute(&element.attributes, name);
}

// A one-pixel image without alt text is a read receipt, not content.
bool isTrackingPixel(const GumboElement& image) {
    for (const char* name : {"width", "height"}) {
        const GumboAttribute* size = attribute(image, name);
        if (size && (std::string_view(size->value) == "0" || std::string_view(size->value) == "1")) return true;
    }
    return false;
}

class Writer {
public:
    explicit Writer(const ContentIdResolver& resolve) : resolve_(resolve) {}

    std::string document(const GumboNode& html) {
        // The policy repeats what the copy already is, in case a browser
        // reads some part of it otherwise than gumbo: it loads nothing but
        // inline styles, images beside it and inline image data.
        out_ = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
               "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
               "img-src 'self' file: data:; style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'\">";
        const GumboNode* body = nullptr;
        for (const GumboNode* child : children(html)) {
            if (child->type != GUMBO_NODE_ELEMENT) continue;
            if (child->v.element.tag == GUMBO_TAG_HEAD) head(*child);
            if (child->v.element.tag == GUMBO_TAG_BODY) body = child;
        }
        out_ += "</head>\n<body";
        if (body) {
            attributes(body->v.element);
            out_ += '>';
            content(*body);
        } else {
            out_ += '>';
        }
        out_ += "</body></html>\n";
        return std::move(out_);
    }

private:
    struct Frame {
        const GumboNode* node;
        unsigned next;
        const char* close;  // the end tag to write, none for an unwrapped element
        bool link;
    };

    static std::vector<const GumboNode*> children(const GumboNode& node) {
        const GumboVector& list = node.v.element.children;
        std::vector<const GumboNode*> nodes;
        for (unsigned i = 0; i < list.length; ++i) nodes.push_back(static_cast<const GumboNode*>(list.data[i]));
        return nodes;
    }

    static std::string textOf(const GumboNode& element) {
        std::string text;
        for (const GumboNode* child : children(element)) {
            if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE) text += child->v.text.text;
        }
        return text;
    }

    void head(const GumboNode& head) {
        bool titled = false;
        for (const GumboNode* child : children(head)) {
            if (child->type != GUMBO_NODE_ELEMENT) continue;
            if (child->v.element.tag == GUMBO_TAG_TITLE && !titled) {
                out_ += "<title>";
                text(textOf(*child));
                out_ += "</title>";
                titled = true;
            } else if (child->v.element.tag == GUMBO_TAG_STYLE) {
                style(*child);
            }
        }
    }

    void style(const GumboNode& element) {
        // safeCss leaves no "<", so the block cannot end its element early.
        const std::string css = safeCss(textOf(element));
        if (css.empty()) return;
        out_ += "<style>";
        out_ += css;
        out_ += "</style>";
    }

    // The body's tree, walked with a stack of its own: mail may nest
    // elements deeper than the call stack goes.
    void content(const GumboNode& body) {
        std::vector<Frame> stack{{&body, 0, nullptr, false}};
        while (!stack.empty()) {
            Frame& top = stack.back();
            const GumboVector& list = top.node->v.element.children;
            if (top.next == list.length) {
                if (top.close) {
                    out_ += "</";
                    out_ += top.close;
                    out_ += '>';
                }
                if (top.link) --links_;
                stack.pop_back();
                continue;
            }
            const GumboNode& node = *static_cast<const GumboNode*>(list.data[top.next++]);
            if (node.type == GUMBO_NODE_TEXT || node.type == GUMBO_NODE_WHITESPACE) {
                text(node.v.text.text);
                continue;
            }
            // Comments, CDATA (only found in SVG and MathML) and templates go.
            if (node.type != GUMBO_NODE_ELEMENT) continue;
            const GumboElement& element = node.v.element;
            if (element.tag_namespace != GUMBO_NAMESPACE_HTML || contains(kDropped, element.tag)) {
                if (element.tag == GUMBO_TAG_STYLE && element.tag_namespace == GUMBO_NAMESPACE_HTML) style(node);
                continue;
            }
            if (element.tag == GUMBO_TAG_IMG) {
                image(element);
                continue;
            }
            if (!contains(kKept, element.tag)) {
                stack.push_back({&node, 0, nullptr, false});
                continue;
            }
            const char* name = gumbo_normalized_tagname(element.tag);
            out_ += '<';
            out_ += name;
            attributes(element);
            out_ += '>';
            if (contains(kVoid, element.tag)) continue;
            const bool link = element.tag == GUMBO_TAG_A;
            if (link) ++links_;
            stack.push_back({&node, 0, name, link});
        }
    }

    // The allowed attributes of `element`; href only on links and only to
    // the web or to mail, background only to an image the copy may show.
    void attributes(const GumboElement& element) {
        bool opensOutside = false;
        for (unsigned i = 0; i < element.attributes.length; ++i) {
            const auto& attr = *static_cast<const GumboAttribute*>(element.attributes.data[i]);
            const std::string_view name = attr.name;
            if (name == "style") {
                const std::string css = safeCss(attr.value);
                if (!css.empty()) attributeValue("style", css);
            } else if (name == "href") {
                const std::string url = normalizedUrl(attr.value);
                const std::string scheme = urlScheme(url);
                if (element.tag == GUMBO_TAG_A && (scheme == "http" || scheme == "https" || scheme == "mailto")) {
                    attributeValue("href", url);
                    opensOutside = true;
                }
            } else if (name == "background") {
                if (const auto url = imageUrl(attr.value)) escapedAttribute("background", *url);
            } else if (isAllowedAttribute(name)) {
                attributeValue(attr.name, attr.value);
            }
        }
        if (opensOutside) out_ += " target=\"_blank\" rel=\"noopener noreferrer\"";
    }

    // The image itself when its source is a saved part or inline data;
    // otherwise its alt text, for a remote image as a link to it.
    void image(const GumboElement& element) {
        const GumboAttribute* src = attribute(element, "src");
        if (src) {
            if (const auto url = imageUrl(src->value)) {
                out_ += "<img";
                escapedAttribute("src", *url);
                attributes(element);
                out_ += '>';
                return;
            }
        }
        const GumboAttribute* alt = attribute(element, "alt");
        const std::string_view altText = alt ? std::string_view(alt->value) : std::string_view();
        const std::string url = src ? normalizedUrl(src->value) : std::string();
        const std::string scheme = urlScheme(url);
        if ((scheme == "http" || scheme == "https") && links_ == 0) {
            if (altText.empty() && isTrackingPixel(element)) return;
            out_ += "<a";
            attributeValue("href", url);
            out_ += " target=\"_blank\" rel=\"noopener noreferrer\">";
            text(altText.empty() ? std::string_view("[image]") : altText);
            out_ += "</a>";
        } else {
            text(altText);
        }
    }

    // The URL an image may load from, already escaped for the attribute:
    // a saved part named through the resolver, or inline raster data.
    std::optional<std::string> imageUrl(std::string_view value) const {
        const std::string url = normalizedUrl(value);
        const std::string scheme = urlScheme(url);
        // A "cid:" reference, or a relative one that may name a part by its
        // content location (as Outlook writes them).
        const bool cid = scheme == "cid";
        if (cid || (scheme.empty() && !url.empty() && url[0] != '/' && url[0] != '\\')) {
            const std::optional<std::string> file =
                resolve_ ? resolve_(cid ? "cid:" + percentDecoded(url.substr(4)) : url) : std::nullopt;
            if (!file || file->empty()) return std::nullopt;
            // Bytes above ASCII percent-encoded: the URL stays UTF-8 whatever
            // the name's bytes. Always below the copy's own folder: a name
            // must not read as a scheme ("javascript:x.png") nor as another
            // host ("//host/x.png").
            std::string encoded = "./";
            for (const char c : attributeText(*file)) {
                if (static_cast<unsigned char>(c) < 0x80) encoded += c;
                else encoded += percentEncoded(std::string_view(&c, 1), "");
            }
            return encoded;
        }
        if (isInlineImageData(url)) return escaped(url, true);
        return std::nullopt;
    }

    static std::string escaped(std::string_view value, bool quoted) {
        std::string out;
        out.reserve(value.size());
        for (const char c : value) {
            if (c == '&') out += "&amp;";
            else if (c == '<') out += "&lt;";
            else if (c == '>') out += "&gt;";
            else if (c == '"' && quoted) out += "&quot;";
            else if (c != '\0') out += c;
        }
        return out;
    }

    void attributeValue(std::string_view name, std::string_view value) { escapedAttribute(name, escaped(value, true)); }

    void escapedAttribute(std::string_view name, std::string_view value) {
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
        out_ += value;
        out_ += '"';
    }

    void text(std::string_view value) { out_ += escaped(value, false); }

    const ContentIdResolver& resolve_;
    std::string out_;
    int links_ = 0;  // kept <a> elements the walk is inside
};

// Deeper than this the rest of the text is left out; browsers stop nesting
// at about 500.
constexpr size_t kMaxNesting = 1000;

}  // namespace

std::string sanitizeHtml(std::string_view html, const ContentIdResolver& resolveContentId) {
    html = html.substr(0, nestingLimitOffset(html, kMaxNesting));
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;  // the parse errors are not used; do not collect them
    GumboOutput* output = gumbo_parse_with_options(&options, html.data(), html.size());
    std::string safe = Writer(resolveContentId).document(*output->root);
    gumbo_destroy_output(&options, output);
    // gumbo can write an out-of-range numeric character reference as a
    // stray byte; the copy declares UTF-8, so it must be UTF-8.
    return withInvalidUtf8Replaced(safe);
}

}  // namespace tessaly
