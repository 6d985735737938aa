// mime_reading.cpp - header fields, parameters, encoded words and transfer
// encodings of the generated messages, read back.
#include "gen_corpus/mime_reading.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "gen_corpus/dates.h"

namespace tessaly::bench {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) { return a.size() == b.size() && lower(a) == lower(b); }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::string percentDecoded(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// One encoded word at `at` ("=?charset?B|Q?text?="), decoded; its end in `end`.
std::optional<std::string> encodedWord(std::string_view text, size_t at, size_t& end) {
    if (text.compare(at, 2, "=?") != 0) return std::nullopt;
    const size_t q1 = text.find('?', at + 2);
    if (q1 == std::string_view::npos || q1 + 2 >= text.size() || text[q1 + 2] != '?') return std::nullopt;
    const size_t close = text.find("?=", q1 + 3);
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view charset = text.substr(at + 2, q1 - at - 2);
    const char encoding = static_cast<char>(std::toupper(static_cast<unsigned char>(text[q1 + 1])));
    const std::string_view payload = text.substr(q1 + 3, close - q1 - 3);
    std::string bytes;
    if (encoding == 'B') {
        bytes = decodeBase64(payload);
    } else if (encoding == 'Q') {
        for (size_t i = 0; i < payload.size(); ++i) {
            if (payload[i] == '_') {
                bytes += ' ';
            } else if (payload[i] == '=' && i + 2 < payload.size() && hexValue(payload[i + 1]) >= 0 &&
                       hexValue(payload[i + 2]) >= 0) {
                bytes += static_cast<char>(hexValue(payload[i + 1]) * 16 + hexValue(payload[i + 2]));
                i += 2;
            } else {
                bytes += payload[i];
            }
        }
    } else {
        return std::nullopt;
    }
    end = close + 2;
    return utf8Of(bytes, charset);
}

}  // namespace

std::vector<HeaderField> headerFields(std::string_view block) {
    std::vector<HeaderField> fields;
    size_t start = 0;
    while (start < block.size()) {
        size_t end = block.find('\n', start);
        if (end == std::string_view::npos) end = block.size();
        std::string_view line = block.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = end + 1;
        if (line.empty()) break;
        if ((line.front() == ' ' || line.front() == '\t') && !fields.empty()) {
            fields.back().value += line;
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        fields.push_back({std::string(trimmed(line.substr(0, colon))), std::string(trimmed(line.substr(colon + 1)))});
    }
    return fields;
}

std::optional<std::string> fieldValue(const std::vector<HeaderField>& fields, std::string_view name) {
    for (const HeaderField& f : fields) {
        if (equalsIgnoringCase(f.name, name)) return f.value;
    }
    return std::nullopt;
}

std::optional<std::string> MimeValue::parameter(std::string_view name) const {
    for (const auto& [key, text] : parameters) {
        if (key == name) return text;
    }
    return std::nullopt;
}

MimeValue parseMimeValue(std::string_view text) {
    MimeValue result;
    size_t at = text.find(';');
    result.value = lower(trimmed(text.substr(0, at)));
    // Raw parameters in order; RFC 2231 sections ("name*0*") are gathered
    // by name, then joined and decoded.
    struct Section {
        unsigned number;
        bool encoded;
        std::string value;
    };
    std::vector<std::pair<std::string, std::vector<Section>>> extended;
    while (at != std::string_view::npos && at < text.size()) {
        ++at;
        const size_t equals = text.find('=', at);
        if (equals == std::string_view::npos) break;
        std::string key = lower(trimmed(text.substr(at, equals - at)));
        size_t pos = equals + 1;
        while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
        std::string value;
        if (pos < text.size() && text[pos] == '"') {
            for (++pos; pos < text.size() && text[pos] != '"'; ++pos) {
                if (text[pos] == '\\' && pos + 1 < text.size()) ++pos;
                value += text[pos];
            }
            at = text.find(';', pos);
        } else {
            at = text.find(';', pos);
            value = std::string(trimmed(text.substr(pos, at == std::string_view::npos ? at : at - pos)));
        }
        const size_t star = key.find('*');
        if (star == std::string::npos) {
            result.parameters.emplace_back(key, value);
            continue;
        }
        const std::string base = key.substr(0, star);
        const std::string rest = key.substr(star + 1);
        Section section{0, rest.empty() || rest.back() == '*', value};
        if (!rest.empty() && std::isdigit(static_cast<unsigned char>(rest[0]))) {
            section.number = static_cast<unsigned>(std::strtoul(rest.c_str(), nullptr, 10));
        }
        auto it = std::find_if(extended.begin(), extended.end(), [&](const auto& e) { return e.first == base; });
        if (it == extended.end()) it = extended.insert(extended.end(), {base, {}});
        it->second.push_back(std::move(section));
    }
    for (auto& [name, sections] : extended) {
        std::sort(sections.begin(), sections.end(),
                  [](const Section& a, const Section& b) { return a.number < b.number; });
        std::string charset;
        std::string bytes;
        for (size_t i = 0; i < sections.size(); ++i) {
            std::string_view value = sections[i].value;
            if (i == 0 && sections[i].encoded) {
                const size_t first = value.find('\'');
                const size_t second = first == std::string_view::npos ? first : value.find('\'', first + 1);
                if (second != std::string_view::npos) {
                    charset = std::string(value.substr(0, first));
                    value.remove_prefix(second + 1);
                }
            }
            bytes += sections[i].encoded ? percentDecoded(value) : std::string(value);
        }
        // The extended form wins over a plain one of the same name.
        std::erase_if(result.parameters, [&](const auto& p) { return p.first == name; });
        result.parameters.emplace_back(name, utf8Of(bytes, charset));
    }
    return result;
}

bool isUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > bytes.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

std::string utf8Of(std::string_view bytes, std::string_view charset) {
    const std::string name = lower(charset);
    if (name == "iso-8859-1" || name == "windows-1252" || name == "latin1") return latin1ToUtf8(bytes);
    return isUtf8(bytes) ? std::string(bytes) : latin1ToUtf8(bytes);
}

std::string decodeEncodedWords(std::string_view text) {
    std::string out;
    std::string pendingBlank;  // blanks between two encoded words vanish
    bool afterWord = false;
    for (size_t i = 0; i < text.size();) {
        size_t end = 0;
        if (std::optional<std::string> word = encodedWord(text, i, end)) {
            if (!afterWord) out += pendingBlank;
            pendingBlank.clear();
            out += *word;
            afterWord = true;
            i = end;
            continue;
        }
        if (text[i] == ' ' || text[i] == '\t') {
            pendingBlank += text[i++];
            continue;
        }
        out += pendingBlank;
        pendingBlank.clear();
        size_t next = i;
        while (next < text.size() && text[next] != ' ' && text[next] != '\t' && text.compare(next, 2, "=?") != 0) {
            ++next;
        }
        if (next == i) next = i + 1;
        out += utf8Of(text.substr(i, next - i), "");
        afterWord = false;
        i = next;
    }
    return out + pendingBlank;
}

std::string decodeBase64(std::string_view text) {
    static const std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve(text.size() / 4 * 3);
    uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=') break;
        const size_t value = kAlphabet.find(c);
        if (value == std::string_view::npos) continue;
        bits = bits << 6 | static_cast<uint32_t>(value);
        if (++count == 4) {
            out += static_cast<char>(bits >> 16 & 0xFF);
            out += static_cast<char>(bits >> 8 & 0xFF);
            out += static_cast<char>(bits & 0xFF);
            bits = 0;
            count = 0;
        }
    }
    if (count == 3) {
        out += static_cast<char>(bits >> 10 & 0xFF);
        out += static_cast<char>(bits >> 2 & 0xFF);
    } else if (count == 2) {
        out += static_cast<char>(bits >> 4 & 0xFF);
    }
    return out;
}

std::string decodeQuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;  // soft line break
        } else if (i + 2 < text.size() && text[i + 1] == '\r' && text[i + 2] == '\n') {
            i += 2;
        } else if (i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

int64_t parseHeaderDate(std::string_view text) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    const size_t comma = text.find(',');
    if (comma != std::string_view::npos) text.remove_prefix(comma + 1);
    const std::string s(trimmed(text));
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    char month[4] = {};
    char zone[8] = {};
    if (std::sscanf(s.c_str(), "%d %3s %d %d:%d:%d %7s", &day, month, &year, &hour, &minute, &second, zone) < 6) {
        return 0;
    }
    unsigned m = 0;
    while (m < 12 && lower(month) != kMonths[m]) ++m;
    if (m == 12) return 0;
    int offset = 0;
    if ((zone[0] == '+' || zone[0] == '-') && std::strlen(zone) == 5) {
        const int hhmm = std::atoi(zone + 1);
        offset = (hhmm / 100 * 60 + hhmm % 100) * (zone[0] == '-' ? -1 : 1);
    }
    return secondsAt(year, m + 1, static_cast<unsigned>(day)) + hour * 3600 + minute * 60 + second - offset * 60;
}

std::vector<Mailbox> parseMailboxes(std::string_view field) {
    // Split at commas outside quotes, angle brackets and comments.
    std::vector<std::string_view> items;
    bool quoted = false;
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && quoted) {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '<' || c == '(')) {
            ++depth;
        } else if (!quoted && (c == '>' || c == ')') && depth > 0) {
            --depth;
        } else if (!quoted && depth == 0 && c == ',') {
            items.push_back(field.substr(start, i - start));
            start = i + 1;
        }
    }
    items.push_back(field.substr(start));

    std::vector<Mailbox> mailboxes;
    for (std::string_view item : items) {
        item = trimmed(item);
        if (item.empty()) continue;
        Mailbox box;
        std::string_view name;
        const size_t open = item.rfind('<');
        const size_t paren = item.find('(');
        if (open != std::string_view::npos) {
            const size_t close = item.find('>', open);
            const size_t length = close == std::string_view::npos ? close : close - open - 1;
            box.address = std::string(item.substr(open + 1, length));
            name = trimmed(item.substr(0, open));
        } else if (paren != std::string_view::npos) {
            box.address = std::string(trimmed(item.substr(0, paren)));
            const size_t close = item.rfind(')');
            name = item.substr(paren + 1, close == std::string_view::npos || close < paren ? std::string_view::npos
                                                                                       : close - paren - 1);
        } else {
            box.address = std::string(item);
        }
        std::string unquoted;
        for (size_t i = 0; i < name.size(); ++i) {
            if (name[i] == '"') continue;
            if (name[i] == '\\' && i + 1 < name.size()) ++i;
            unquoted += name[i];
        }
        box.name = decodeEncodedWords(unquoted);
        mailboxes.push_back(std::move(box));
    }
    return mailboxes;
}

}  // namespace tessaly::bench
