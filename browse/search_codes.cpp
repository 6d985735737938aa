// search_codes.cpp - numbers in base-64 digits, JSON strings for script
// files, and a strict reader of the files' single call.
#include "browse/search_codes.h"

#include "message/charsets.h"

namespace tessaly {

void appendNumber(std::string& out, uint64_t value) {
    char digits[16];
    int count = 0;
    do {
        digits[count++] = static_cast<char>(value & 31);
        value >>= 5;
    } while (value != 0);
    while (count > 0) {
        --count;
        const int digit = digits[count] | (count > 0 ? 32 : 0);
        out += kNumberDigits[static_cast<size_t>(digit)];
    }
}

namespace {

int digitValue(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '-') return 62;
    if (c == '_') return 63;
    return -1;
}

}  // namespace

bool NumberReader::next(uint64_t& value) {
    if (at_ >= text_.size() || failed_) return false;
    value = 0;
    while (at_ < text_.size()) {
        const int digit = digitValue(text_[at_++]);
        if (digit < 0 || value >= kMaxNumber) break;
        value = value * 32 + static_cast<uint64_t>(digit & 31);
        if ((digit & 32) == 0) return value < kMaxNumber || (failed_ = true, false);
    }
    failed_ = true;
    return false;
}

std::string encodeIds(const std::vector<uint32_t>& ids, uint32_t count) {
    std::string out;
    int64_t previous = -1;
    for (const uint32_t id : ids) {
        appendNumber(out, static_cast<uint64_t>(id - previous - 1));
        previous = id;
    }
    if (ids.empty() || out.size() <= (ids.back() / 6 + 2)) return out;
    std::string bitmap(ids.back() / 6 + 1, '\0');
    for (const uint32_t id : ids) {
        if (id < count) bitmap[id / 6] = static_cast<char>(bitmap[id / 6] | (1 << (id % 6)));
    }
    for (char& digit : bitmap) digit = kNumberDigits[static_cast<size_t>(digit)];
    return "!" + bitmap;
}

bool decodeIds(std::string_view text, uint32_t limit, std::vector<uint32_t>& ids) {
    ids.clear();
    if (!text.empty() && text[0] == '!') {
        for (size_t k = 1; k < text.size(); ++k) {
            const int digit = digitValue(text[k]);
            if (digit < 0) return false;
            for (int bit = 0; bit < 6; ++bit) {
                if ((digit & (1 << bit)) == 0) continue;
                const uint64_t id = (k - 1) * 6 + static_cast<uint64_t>(bit);
                if (id >= limit) return false;
                ids.push_back(static_cast<uint32_t>(id));
            }
        }
        return true;
    }
    NumberReader reader(text);
    uint64_t gap = 0, next = 0;
    while (reader.next(gap)) {
        next += gap;
        if (next >= limit) return false;
        ids.push_back(static_cast<uint32_t>(next));
        ++next;
    }
    return !reader.failed();
}

std::string encodeTimes(const std::vector<int64_t>& times) {
    std::string out;
    for (size_t i = 0; i < times.size(); ++i) {
        if (i == 0) {
            const int64_t t = times[0];
            appendNumber(out, t >= 0 ? static_cast<uint64_t>(t) * 2 : static_cast<uint64_t>(-(t + 1)) * 2 + 1);
        } else {
            appendNumber(out, static_cast<uint64_t>(times[i - 1] - times[i]));
        }
    }
    return out;
}

bool decodeTimes(std::string_view text, size_t count, std::vector<int64_t>& times) {
    times.clear();
    NumberReader reader(text);
    uint64_t value = 0;
    while (reader.next(value)) {
        if (times.empty()) {
            times.push_back(value % 2 == 0 ? static_cast<int64_t>(value / 2) : -static_cast<int64_t>(value / 2) - 1);
        } else {
            times.push_back(times.back() - static_cast<int64_t>(value));
        }
        if (times.size() > count) return false;
    }
    return !reader.failed() && times.size() == count;
}

void appendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool lineBreak = byte == 0xE2 && text.substr(i + 1, 1) == "\x80" && i + 2 < text.size() &&
                               (text[i + 2] == '\xA8' || text[i + 2] == '\xA9');
        if (lineBreak) {
            out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20 || byte == 0x7F || byte == '<' || byte == '>' || byte == '&') {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += static_cast<char>(byte);
        }
    }
    out += '"';
}

const JsonValue* JsonValue::member(std::string_view name) const {
    for (const auto& [key, value] : members) {
        if (key == name) return &value;
    }
    return nullptr;
}

namespace {

// A recursive-descent reader of the JSON subset; depth is bounded so that a
// damaged file cannot exhaust the stack.
class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    void skipBlanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t')) ++at_;
    }
    bool take(char c) {
        skipBlanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool atEnd() {
        skipBlanks();
        return at_ == text_.size();
    }

    bool value(JsonValue& out, int depth) {
        if (depth > 8) return false;
        skipBlanks();
        if (at_ >= text_.size()) return false;
        const char c = text_[at_];
        if (c == '"') {
            out.kind = JsonValue::Kind::String;
            return string(out.text);
        }
        if (c == '[') {
            ++at_;
            out.kind = JsonValue::Kind::Array;
            if (take(']')) return true;
            do {
                out.items.emplace_back();
                if (!value(out.items.back(), depth + 1)) return false;
            } while (take(','));
            return take(']');
        }
        if (c == '{') {
            ++at_;
            out.kind = JsonValue::Kind::Object;
            if (take('}')) return true;
            do {
                std::string key;
                skipBlanks();
                if (!string(key) || !take(':')) return false;
                out.members.push_back(JsonMember{std::move(key), JsonValue()});
                if (!value(out.members.back().value, depth + 1)) return false;
            } while (take(','));
            return take('}');
        }
        out.kind = JsonValue::Kind::Number;
        return number(out.number);
    }

private:
    bool number(int64_t& out) {
        const bool negative = at_ < text_.size() && text_[at_] == '-';
        if (negative) ++at_;
        const size_t start = at_;
        uint64_t value = 0;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
            if (value > (uint64_t(1) << 53)) return false;
            value = value * 10 + static_cast<uint64_t>(text_[at_++] - '0');
        }
        if (at_ == start) return false;
        out = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
        return true;
    }

    bool hex4(uint32_t& out) {
        if (at_ + 4 > text_.size()) return false;
        out = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text_[at_++];
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0) return false;
            out = out * 16 + static_cast<uint32_t>(digit);
        }
        return true;
    }

    bool string(std::string& out) {
        if (at_ >= text_.size() || text_[at_] != '"') return false;
        ++at_;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) return false;
            const char e = text_[at_++];
            switch (e) {
            case '"': case '\\': case '/': out += e; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'u': {
                uint32_t c1 = 0;
                if (!hex4(c1)) return false;
                if (c1 >= 0xD800 && c1 < 0xDC00) {
                    uint32_t c2 = 0;
                    if (text_.substr(at_, 2) != "\\u") return false;
                    at_ += 2;
                    if (!hex4(c2) || c2 < 0xDC00 || c2 >= 0xE000) return false;
                    c1 = 0x10000 + ((c1 - 0xD800) << 10) + (c2 - 0xDC00);
                } else if (c1 >= 0xDC00 && c1 < 0xE000) {
                    return false;
                }
                tessaly::appendUtf8(out, c1);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    std::string_view text_;
    size_t at_ = 0;
};

}  // namespace

bool readScriptCall(std::string_view file, std::string_view function, std::vector<JsonValue>& arguments) {
    arguments.clear();
    const std::string head = "tessalySearch." + std::string(function) + "(";
    if (file.substr(0, head.size()) != head) return false;
    JsonReader reader(file.substr(head.size()));
    do {
        arguments.emplace_back();
        if (!reader.value(arguments.back(), 0)) return false;
    } while (reader.take(','));
    return reader.take(')') && reader.take(';') && reader.atEnd();
}

}  // namespace tessaly
