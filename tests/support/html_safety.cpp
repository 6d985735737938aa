// html_safety.cpp - the browser's view of a safe copy, checked with gumbo.
// Written apart from the sanitizer's own tables and URL reading, so that
// it does not share their mistakes.
#include "support/html_safety.h"

#include <gumbo.h>

#include <algorithm>

namespace tessaly::test {

namespace {

// Lower case, with every space and control character gone, as the worst
// reading of a URL or of CSS.
std::string folded(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) > ' ') out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return out;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool hasUnsafeCss(std::string_view css) {
    const std::string text = folded(css);
    for (const char* word : {"url(", "@import", "expression", "behavior", "binding", "image-set", "\\", "</"}) {
        if (text.find(word) != std::string::npos) return true;
    }
    return false;
}

bool isSafeImageSource(std::string_view value) {
    const std::string url = folded(value);
    for (const char* type : {"data:image/png", "data:image/gif", "data:image/jpeg", "data:image/webp"}) {
        if (startsWith(url, type)) return true;
    }
    // A relative file: no scheme before the first "/", not "//host".
    const size_t colon = url.find(':');
    return !startsWith(url, "//") && !startsWith(url, "\\") && (colon == std::string::npos || url.find('/') < colon);
}

std::string textOf(const GumboNode& node) {
    std::string text;
    const GumboVector& children = node.v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (child->type == GUMBO_NODE_TEXT) text += child->v.text.text;
    }
    return text;
}

// A content security policy only takes away, unless it reports (which
// a policy in a meta element may not, but a browser could still try).
bool isRestrictingPolicy(const GumboElement& meta, const std::string& name) {
    const GumboAttribute* equiv = gumbo_get_attribute(&meta.attributes, "http-equiv");
    const GumboAttribute* content = gumbo_get_attribute(&meta.attributes, "content");
    if (!equiv || !content || folded(equiv->value) != "content-security-policy") return false;
    if (folded(content->value).find("report") != std::string::npos) return false;
    return name == "http-equiv" || name == "content";
}

void checkElement(const GumboNode& node, std::vector<std::string>& found) {
    const GumboElement& element = node.v.element;
    const std::string tag = gumbo_normalized_tagname(element.tag);
    if (element.tag_namespace != GUMBO_NAMESPACE_HTML) found.push_back("foreign element " + tag);
    static const char* const kActive[] = {"script", "iframe", "frame", "frameset", "object", "embed", "applet",
                                          "base",   "link",   "form",  "input",    "button", "select", "textarea",
                                          "option", "svg",    "math",  "template", "noscript", "audio", "video"};
    if (std::find(std::begin(kActive), std::end(kActive), tag) != std::end(kActive)) found.push_back("element " + tag);
    if (element.tag == GUMBO_TAG_UNKNOWN) found.push_back("unknown element");
    if (element.tag == GUMBO_TAG_STYLE && hasUnsafeCss(textOf(node))) found.push_back("style sheet " + textOf(node));
    for (unsigned i = 0; i < element.attributes.length; ++i) {
        const auto& attr = *static_cast<const GumboAttribute*>(element.attributes.data[i]);
        const std::string name = folded(attr.name);
        const std::string value = folded(attr.value);
        const std::string where = tag + " " + name + "=" + attr.value;
        if (startsWith(name, "on")) found.push_back("handler " + where);
        if (element.tag == GUMBO_TAG_META && name != "charset" && !isRestrictingPolicy(element, name)) {
            found.push_back("meta " + where);
        }
        // The scheme decides what a link does; browsers read "https:/x" and
        // "https:x" as https as well.
        if (name == "href" && !(startsWith(value, "http:") || startsWith(value, "https:") || startsWith(value, "mailto:"))) {
            found.push_back("link " + where);
        }
        if ((name == "src" || name == "background") && !isSafeImageSource(attr.value)) found.push_back("source " + where);
        if (name == "style" && hasUnsafeCss(attr.value)) found.push_back("style " + where);
        for (const char* loading : {"action", "formaction", "srcset", "poster", "data", "xlink:href", "lowsrc", "dynsrc", "ping"}) {
            if (name == loading) found.push_back("loads " + where);
        }
    }
}

}  // namespace

std::vector<std::string> activeParts(std::string_view html) {
    std::vector<std::string> found;
    GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
    std::vector<const GumboNode*> pending{output->root};
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (node->type == GUMBO_NODE_COMMENT) found.push_back("comment");
        if (node->type == GUMBO_NODE_TEMPLATE) found.push_back("template");
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE) continue;
        checkElement(*node, found);
        const GumboVector& children = node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) pending.push_back(static_cast<const GumboNode*>(children.data[i]));
    }
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return found;
}

}  // namespace tessaly::test
