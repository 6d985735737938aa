// page_names.h - the file names of one folder's browse pages, and which
// names in its pages folder are pages this layer writes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly {

// "messages-1.html", "messages-2.html" ...: the messages by date.
std::string messagesPageName(size_t number);
// "threads.html", "threads-2.html" ...: the conversations.
std::string threadsPageName(size_t number);
// The correspondents.
inline constexpr std::string_view kPeoplePage = "people.html";
// "thread-<key>.html": one conversation.
std::string threadPageName(std::string_view key);

// Whether `name` has the form of a page above, so that a folder's old
// pages can be told from anything else lying in its pages folder.
bool isFolderPageName(std::string_view name);

}  // namespace tessaly
