// regedit_format.cpp - the REGEDIT4 text of one hive, parsed and written.
//
// The grammar read here, as regedit exports it:
//   file     = ["\xEF\xBB\xBF"] "REGEDIT4" EOL *(blank | comment | section | value)
//   comment  = *WSP ";" *any EOL
//   section  = *WSP "[" root *("\" name) "]" *WSP EOL
//   value    = *WSP (quoted | "@") *WSP "=" *WSP data EOL
//   data     = quoted                          ; REG_SZ
//            / "dword:" 1*8HEXDIG *WSP         ; REG_DWORD
//            / "hex" ["(" 1*8HEXDIG ")"] ":" [bytes]
//   bytes    = byte *("," [*WSP "\" EOL *WSP] byte)   ; a trailing "\" continues the list
//   quoted   = DQUOTE *(char | "\\" | "\" DQUOTE) DQUOTE
// EOL is LF or CR LF. Keywords are matched without regard to case. hex(1)
// and hex(2) hold a string with its terminating zero, which is dropped.
#include "platform/regedit_format.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/ascii.h"

namespace tessaly {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

// 1 to `maxDigits` hexadecimal digits, nothing else.
bool parseHexNumber(std::string_view digits, size_t maxDigits, uint32_t& number) {
    if (digits.empty() || digits.size() > maxDigits) return false;
    number = 0;
    for (char c : digits) {
        const int d = hexDigitValue(c);
        if (d < 0) return false;
        number = (number << 4) | static_cast<uint32_t>(d);
    }
    return true;
}

// The text split into lines, without their LF or CR LF.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        const size_t end = text_.find('\n', pos_);
        const size_t stop = end == std::string_view::npos ? text_.size() : end;
        line = text_.substr(pos_, stop - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = stop + 1;
        ++number_;
        return true;
    }
    size_t number() const { return number_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t number_ = 0;
};

class Parser {
public:
    Parser(std::string_view text, std::string_view rootName, RegistryKey& root, RegeditError& error)
        : lines_(text), rootName_(rootName), root_(root), error_(error) {}

    bool run() {
        std::string_view line;
        if (!lines_.next(line) || trimRight(line) != "REGEDIT4") return fail("not a REGEDIT4 file");
        while (lines_.next(line)) {
            line = trimLeft(line);
            if (line.empty() || line.front() == ';') continue;
            if (line.front() == '[') {
                if (!section(trimRight(line))) return false;
            } else if (line.front() == '"' || line.front() == '@') {
                if (!current_) return fail("value outside any key");
                if (!value(line)) return false;
            } else {
                return fail("unexpected text");
            }
        }
        return true;
    }

private:
    bool fail(const char* reason) {
        error_.line = lines_.number();
        error_.reason = reason;
        return false;
    }

    bool section(std::string_view line) {
        if (line.size() < 2 || line.back() != ']') return fail("key line without closing bracket");
        std::string_view path = line.substr(1, line.size() - 2);
        if (!startsWithIgnoringCase(path, rootName_)) return fail("key outside the hive");
        path.remove_prefix(rootName_.size());
        std::vector<std::string_view> names;
        if (!path.empty()) {
            if (path.front() != '\\') return fail("key outside the hive");
            path.remove_prefix(1);
            if (path.empty() || !splitKeyPath(path, names)) return fail("bad key name");
        }
        RegistryKey* key = &root_;
        for (std::string_view name : names) key = &key->addSubkey(name);
        current_ = key;
        return true;
    }

    // A quoted string at the start of `s`; `s` is left after the closing quote.
    bool quoted(std::string_view& s, std::string& out) {
        out.clear();
        size_t i = 1;  // past the opening quote
        while (i < s.size() && s[i] != '"') {
            if (s[i] == '\\') {
                if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
                    return fail("bad escape");
                }
                ++i;
            }
            out += s[i++];
        }
        if (i >= s.size()) return fail("unterminated string");
        s.remove_prefix(i + 1);
        return true;
    }

    bool value(std::string_view s) {
        std::string name;
        if (s.front() == '@') {
            s.remove_prefix(1);
        } else if (!quoted(s, name)) {
            return false;
        }
        s = trimLeft(s);
        if (s.empty() || s.front() != '=') return fail("value without \"=\"");
        s = trimLeft(s.substr(1));

        RegistryValue value;
        if (!s.empty() && s.front() == '"') {
            if (!quoted(s, value.data)) return false;
            if (!trimRight(s).empty()) return fail("text after a string");
            value.type = REG_SZ;
        } else if (startsWithIgnoringCase(s, "dword:")) {
            uint32_t number = 0;
            if (!parseHexNumber(trimRight(s.substr(6)), 8, number)) return fail("bad dword");
            value = makeDwordValue(number);
        } else if (startsWithIgnoringCase(s, "hex")) {
            if (!hex(s.substr(3), value)) return false;
        } else {
            return fail("unknown value type");
        }
        current_->setValue(name, value);
        return true;
    }

    // After "hex": an optional "(type)", ":" and the byte list.
    bool hex(std::string_view s, RegistryValue& value) {
        value.type = REG_BINARY;
        if (!s.empty() && s.front() == '(') {
            const size_t close = s.find(')');
            if (close == std::string_view::npos ||
                !parseHexNumber(s.substr(1, close - 1), 8, value.type)) {
                return fail("bad value type");
            }
            s.remove_prefix(close + 1);
        }
        if (s.empty() || s.front() != ':') return fail("bad value type");
        std::string list(trimRight(s.substr(1)));
        while (!list.empty() && list.back() == '\\') {
            list.pop_back();
            std::string_view more;
            if (!lines_.next(more)) return fail("byte list cut off at the end of the file");
            list += trimRight(trimLeft(more));
        }
        std::string_view rest = trimLeft(list);
        while (!rest.empty()) {
            const size_t comma = rest.find(',');
            const std::string_view item = trimRight(trimLeft(rest.substr(0, comma)));
            uint32_t byte = 0;
            if (!parseHexNumber(item, 2, byte)) return fail("bad byte in a hex list");
            value.data += static_cast<char>(byte);
            if (comma == std::string_view::npos) break;
            rest = rest.substr(comma + 1);
            if (trimLeft(rest).empty()) return fail("bad byte in a hex list");
        }
        if ((value.type == REG_SZ || value.type == REG_EXPAND_SZ) && !value.data.empty() &&
            value.data.back() == '\0') {
            value.data.pop_back();
        }
        return true;
    }

    LineReader lines_;
    std::string_view rootName_;
    RegistryKey& root_;
    RegeditError& error_;
    RegistryKey* current_ = nullptr;
};

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

const char kHex[] = "0123456789abcdef";

void appendHexNumber(std::string& out, uint32_t number, int minDigits) {
    char digits[8];
    int n = 0;
    do {
        digits[n++] = kHex[number & 0xF];
        number >>= 4;
    } while (number != 0 || n < minDigits);
    while (n > 0) out += digits[--n];
}

// "hex:" or "hex(N):" and the bytes, wrapped as regedit wraps them: lines
// kept under 80 columns, continued with a backslash after the comma.
void appendHexList(std::string& out, size_t lineStart, uint32_t type, std::string_view bytes) {
    if (type == REG_BINARY) {
        out += "hex:";
    } else {
        out += "hex(";
        appendHexNumber(out, type, 1);
        out += "):";
    }
    size_t column = out.size() - lineStart;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const size_t width = i + 1 < bytes.size() ? 3 : 2;
        if (column + width > 78) {
            out += "\\\n  ";
            column = 2;
        }
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
        if (width == 3) out += ',';
        column += width;
    }
}

void appendValue(std::string& out, const NamedValue& item) {
    const size_t lineStart = out.size();
    if (item.name.empty()) {
        out += '@';
    } else {
        appendQuoted(out, item.name);
    }
    out += '=';
    const RegistryValue& value = item.value;
    const bool plainText =
        value.data.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
    if (value.type == REG_SZ && plainText) {
        appendQuoted(out, value.data);
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        uint32_t number = 0;
        for (int i = 3; i >= 0; --i) {
            number = (number << 8) | static_cast<unsigned char>(value.data[i]);
        }
        out += "dword:";
        appendHexNumber(out, number, 8);
    } else if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        std::string terminated = value.data;
        terminated += '\0';
        appendHexList(out, lineStart, value.type, terminated);
    } else {
        appendHexList(out, lineStart, value.type, value.data);
    }
    out += '\n';
}

void appendKey(std::string& out, const RegistryKey& key, const std::string& path, bool isRoot) {
    if (!isRoot || !key.values().empty()) {
        out += '[';
        out += path;
        out += "]\n";
        for (const NamedValue& item : key.values()) appendValue(out, item);
        out += '\n';
    }
    for (const RegistryKey& sub : key.subkeys()) {
        appendKey(out, sub, path + "\\" + sub.name(), false);
    }
}

}  // namespace

bool parseRegedit(std::string_view text, std::string_view rootName, RegistryKey& root,
                  RegeditError& error) {
    error = RegeditError{};
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        const std::string_view before = text.substr(0, nul);
        error.line = 1 + static_cast<size_t>(std::count(before.begin(), before.end(), '\n'));
        error.reason = "NUL byte";
        return false;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return Parser(text, rootName, root, error).run();
}

std::string formatRegedit(const RegistryKey& root, std::string_view rootName) {
    std::string out = "REGEDIT4\n\n";
    appendKey(out, root, std::string(rootName), true);
    return out;
}

}  // namespace tessaly
