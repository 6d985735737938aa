// search_codes.h - the text forms of the search files: lists of numbers as
// base-64 digits, texts as JSON strings that are safe inside a <script>
// file, and the reading of the one call each file makes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly {

// Numbers are written in digits of 5 bits, most significant first; every
// digit but the last of a number carries 32. Digit d is kNumberDigits[d].
inline constexpr std::string_view kNumberDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
// Larger numbers are refused when read (JavaScript counts exactly below 2^53).
inline constexpr uint64_t kMaxNumber = uint64_t(1) << 48;

void appendNumber(std::string& out, uint64_t value);

// Reads numbers one by one; false at the end or on a bad digit (failed()).
class NumberReader {
public:
    explicit NumberReader(std::string_view text) : text_(text) {}
    bool next(uint64_t& value);
    bool failed() const { return failed_; }

private:
    std::string_view text_;
    size_t at_ = 0;
    bool failed_ = false;
};

// Ascending document numbers below `count`, in the shorter of two forms:
// gaps (the first number, then each one less the previous one less one), or
// for common terms a bitmap: "!" then digits of 6 bits, bit b of digit k
// standing for document 6k+b, trailing empty digits left out.
std::string encodeIds(const std::vector<uint32_t>& ids, uint32_t count);
// False when the text is damaged or a number reaches `limit`.
bool decodeIds(std::string_view text, uint32_t limit, std::vector<uint32_t>& ids);

// Times from newest to oldest: the first zig-zag signed, then each one's
// distance to the one before.
std::string encodeTimes(const std::vector<int64_t>& times);
bool decodeTimes(std::string_view text, size_t count, std::vector<int64_t>& times);

// `text` (valid UTF-8) as a JSON string in double quotes; "<", ">", "&",
// U+2028 and U+2029 escaped as well, so that no text can end the script or
// break it as JavaScript.
void appendJsonString(std::string& out, std::string_view text);

// A value of the JSON subset the files use: strings, integers, arrays,
// objects (members in file order).
struct JsonMember;

struct JsonValue {
    enum class Kind { String, Number, Array, Object } kind = Kind::String;
    std::string text;
    int64_t number = 0;
    std::vector<JsonValue> items;
    std::vector<JsonMember> members;

    const JsonValue* member(std::string_view name) const;
};

// An object's member (a pair would need JsonValue complete where it is
// still being defined, which not every standard library allows).
struct JsonMember {
    std::string name;
    JsonValue value;
};

// A whole search file: `tessalySearch.<function>(` JSON values separated by
// commas `);` and white space. False when the file is anything else (cut
// off, damaged); the values go to `arguments`.
bool readScriptCall(std::string_view file, std::string_view function, std::vector<JsonValue>& arguments);

}  // namespace tessaly
