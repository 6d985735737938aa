// content_key.h - the identity of a message's whole content, which tells a
// true duplicate from another message that happens to get the same archive
// name (same sender, subject, second and first text part).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

// A 64-bit hash over bytes fed in any pieces: the same bytes give the same
// value however they are cut.
class ContentHasher {
public:
    void feed(const char* data, size_t length);
    void feed(std::string_view text) { feed(text.data(), text.size()); }
    // Marks the end of one item (a part, a field) so that "ab"+"c" and
    // "a"+"bc" differ when fed as separate items.
    void endItem();
    uint64_t value() const;

private:
    void mixWord(uint64_t word);

    uint64_t state_ = 0x9E3779B97F4A7C15ull;
    uint64_t pending_ = 0;  // bytes not yet a whole word, lowest first
    unsigned pendingBytes_ = 0;
    uint64_t length_ = 0;
};

// The key of a raw RFC 822 message as its text stands in any mailbox, .dbx or
// .eml file: carriage returns and the line ends at the very end do not count
// (CR LF and LF copies, and the EML file written of it, agree), and neither
// do the header fields that mail systems and mail programs add or change
// per copy (Received, Return-Path, Delivered-To, Status, X-Status,
// X-Mozilla-*, X-UID, X-Keywords, Content-Length, Lines, X-IMAP*, X-Evolution,
// X-Gmail-Labels).
uint64_t rawContentKey(const char* text, size_t length);

// The text form kept with an archived file: "1:" and sixteen hex digits
// (the number says how the key was made).
std::string contentKeyText(uint64_t key);

}  // namespace tessaly
