// page_people.h - a folder's correspondents (people.html): every sender
// with the number of messages, most first, each linking to a list of that
// sender's newest messages further down the same page.
#pragma once

#include "browse/folder_view.h"

namespace tessaly {

FolderPage peoplePage(const FolderView& view);

}  // namespace tessaly
