// bodies.cpp - plain, flowed and HTML message texts from prose paragraphs.
#include "gen_corpus/bodies.h"

#include <algorithm>

namespace tessaly::bench {

namespace {

// Openings that put "From " at the start of a line.
const char* const kFromOpenings[] = {
    "From what I hear,", "From the minutes:", "From now on", "From my point of view",
    "From here it is", "From Monday onwards",
};

std::string greeting(Random& random, const Person& recipient) {
    static const char* const kHello[] = {"Hi", "Hello", "Dear", "Hey", "Good morning"};
    return std::string(random.pick(kHello)) + " " + recipient.first + ",";
}

std::string senderName(const Person& sender) { return sender.display.empty() ? sender.address : sender.display; }

// A paragraph of plain or flowed text: quoted ones carry their prefix.
struct Block {
    std::string text;
    std::string prefix;  // "", "> " or ">> "
    bool verbatim = false;  // lines kept as they are (headers, signatures)
};

// The shared layout of plain and flowed bodies.
std::vector<Block> layout(Random& random, const std::vector<std::string>& paragraphs, const Person& sender,
                          const Person& recipient) {
    std::vector<Block> blocks;
    if (random.chance(2, 3)) blocks.push_back({greeting(random, recipient), "", true});
    // A reply quotes the last third of the paragraphs.
    const bool reply = paragraphs.size() >= 3 && random.chance(1, 4);
    const size_t own = reply ? paragraphs.size() - paragraphs.size() / 3 : paragraphs.size();
    for (size_t i = 0; i < own; ++i) blocks.push_back({paragraphs[i], "", false});
    if (random.chance(1, 2)) blocks.push_back({"Regards,\n" + sender.first, "", true});
    if (random.chance(1, 3)) {
        blocks.push_back({"-- \n" + senderName(sender) + "\n" + sender.address, "", true});
    }
    if (reply) {
        if (random.chance(1, 3)) {
            // Outlook's way: the original below a dashed line. The line begins
            // "--", as a MIME boundary line does.
            blocks.push_back({"-----Original Message-----\nFrom: " + senderName(recipient) + " [mailto:" +
                                  recipient.address + "]\nSent: Monday, March 03, 2003 10:15 AM\nTo: " +
                                  senderName(sender) + "\nSubject: the earlier message",
                              "", true});
            for (size_t i = own; i < paragraphs.size(); ++i) blocks.push_back({paragraphs[i], "", false});
        } else {
            blocks.push_back({"On Mon, 3 Mar 2003, " + senderName(recipient) + " wrote:", "", true});
            for (size_t i = own; i < paragraphs.size(); ++i) {
                blocks.push_back({paragraphs[i], i % 3 == 2 ? ">> " : "> ", false});
            }
        }
    }
    return blocks;
}

}  // namespace

std::vector<std::string> makeParagraphs(Random& random, Letters letters, size_t size) {
    std::vector<std::string> paragraphs;
    size_t total = 0;
    while (total < size || paragraphs.empty()) {
        std::string paragraph = makeParagraph(random, letters);
        const uint64_t roll = random.below(400);
        if (roll < 2) {
            paragraph = std::string(random.pick(kFromOpenings)) + " " + paragraph;
        } else if (roll == 2) {
            // A message pasted from a mailbox: unescaped it would split the message.
            paragraph = "From " + makePerson(random, Letters::Ascii).address + " Mon Jan  3 10:00:00 2005";
        } else if (roll == 3) {
            paragraph = ">From the archive: " + paragraph;
        }
        total += paragraph.size() + 2;
        paragraphs.push_back(std::move(paragraph));
    }
    return paragraphs;
}

std::string plainBody(Random& random, const std::vector<std::string>& paragraphs, const Person& sender,
                      const Person& recipient) {
    std::string out;
    for (const Block& block : layout(random, paragraphs, sender, recipient)) {
        if (!out.empty()) out += '\n';
        if (block.verbatim) {
            out += block.text + "\n";
        } else {
            out += wrapParagraph(block.text, 72 - block.prefix.size(), block.prefix, false);
        }
    }
    return out;
}

std::string flowedBody(Random& random, const std::vector<std::string>& paragraphs, const Person& sender,
                       const Person& recipient) {
    std::string out;
    for (const Block& block : layout(random, paragraphs, sender, recipient)) {
        if (!out.empty()) out += block.prefix.empty() ? "\n" : block.prefix.substr(0, block.prefix.size() - 1) + "\n";
        std::string lines = block.verbatim ? block.text + "\n" : wrapParagraph(block.text, 66, block.prefix, true);
        // Space-stuffing of unquoted lines that would read as quoted or as
        // a mailbox From line.
        if (block.prefix.empty()) {
            std::string stuffed;
            size_t start = 0;
            while (start < lines.size()) {
                const size_t end = lines.find('\n', start) + 1;
                const std::string_view line(lines.data() + start, end - start);
                if (line.starts_with(' ') || line.starts_with("From ") || (line.starts_with('>') && !block.verbatim)) {
                    stuffed += ' ';
                }
                stuffed += line;
                start = end;
            }
            lines = std::move(stuffed);
        }
        out += lines;
    }
    return out;
}

std::string htmlBody(Random& random, const std::vector<std::string>& paragraphs, const std::string& charset,
                     const std::vector<std::string>& cids, bool wrapLines) {
    std::string out = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n<html><head>\n"
                      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
                      charset + "\">\n<style type=\"text/css\">p { margin: 0 0 1em 0; } .sig { color: #808080; }</style>\n"
                      "</head>\n<body bgcolor=\"#ffffff\">\n";
    size_t image = 0;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        std::string text;
        for (char c : paragraphs[i]) {
            if (c == '<') text += "&lt;";
            else if (c == '>') text += "&gt;";
            else if (c == '&') text += "&amp;";
            else text += c;
        }
        // Emphasis on the first word now and then, a link at the end.
        const size_t blank = text.find(' ');
        if (blank != std::string::npos && random.chance(1, 4)) text = "<b>" + text.substr(0, blank) + "</b>" + text.substr(blank);
        if (random.chance(1, 6)) {
            text += " See <a href=\"http://www." + makeDomain(random) + "/docs/page.php?id=" +
                    std::to_string(random.below(100000)) + "&amp;lang=en\">this page</a>.";
        }
        const std::string line = "<p><font face=\"Arial\" size=\"2\">" + text + "</font></p>";
        out += wrapLines ? wrapParagraph(line, 76, "", false) : line + "\n";
        if (image < cids.size() && (random.chance(1, 2) || i + 1 == paragraphs.size())) {
            out += "<p><img src=\"cid:" + cids[image] + "\" alt=\"picture " + std::to_string(image + 1) +
                   "\" border=\"0\"></p>\n";
            ++image;
        }
    }
    for (; image < cids.size(); ++image) out += "<img src=\"cid:" + cids[image] + "\">\n";
    out += "<p class=\"sig\">--<br>Sent from my desk</p>\n</body></html>\n";
    return out;
}

}  // namespace tessaly::bench
