// page_conversations.h - a folder's conversations: the list (threads.html,
// threads-2.html ...: subject, count, participants, dates) and one page per
// conversation of more than one message, in thread order, indented by
// depth, with the start of every message's text.
#pragma once

#include <vector>

#include "browse/folder_view.h"

namespace tessaly {

std::vector<FolderPage> conversationListPages(const FolderView& view);

// The page of thread `index`; only for threads with a page name.
FolderPage conversationPage(const FolderView& view, size_t index);

}  // namespace tessaly
