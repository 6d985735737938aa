// thread_ids.h - the message ids of Message-ID, In-Reply-To and References
// texts as threading compares them.
#pragma once

#include <string_view>
#include <vector>

namespace tessaly {

// The ids of a header text, in order: each "<...>" when the text has angle
// brackets (so "<a@x><b@y>" without blanks is two ids, and comments or
// junk around them are dropped), else each blank-separated word. Views
// into `text` without the brackets, so "<a@x>" and "a@x" are one id;
// never empty.
std::vector<std::string_view> messageIds(std::string_view text);

// The single id of a Message-ID text: its first id, or empty.
std::string_view messageIdOf(std::string_view text);

}  // namespace tessaly
