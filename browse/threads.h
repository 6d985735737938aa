// threads.h - conversations among the rows of a folder: JWZ threading
// (https://www.jwz.org/doc/threading.html) over Message-ID, References and
// In-Reply-To, Gmail's thread ids, and subjects for mail without ids.
//
// Pure functions over the rows; no I/O. The result depends on the set of
// rows only, not on their order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/catalogue_row.h"

namespace tessaly {

struct ThreadMessage {
    size_t row = 0;  // index into the rows given
    size_t depth = 0;  // 0 for a message whose parent is not among the rows
};

struct Thread {
    // Depth first from the oldest root, every message's replies by date.
    std::vector<ThreadMessage> messages;
    int64_t first = 0;  // oldest and newest message
    int64_t last = 0;
};

// Every row in exactly one thread; threads newest activity (`last`) first.
//
// - Containers by Message-ID: a message's parent is the last id of its
//   References (ids naming the message itself dropped), else its
//   In-Reply-To; the earlier ids of References link containers that have
//   no parent yet, in order. A message's own headers win over what others
//   presumed of it. A second message with an id already taken is threaded
//   as a message without one.
// - A cycle is cut above its oldest message. Containers of ids no row holds
//   are left out; their replies move up a level (several replies to one
//   missing message stay one thread, side by side at depth 0).
// - Rows with the same non-empty threadId (Gmail X-GM-THRID) are one thread
//   whatever their headers say.
// - Last, by subject (threadSubject): a thread whose oldest root has no
//   parent ids and either a reply prefix or no Message-ID at all joins the
//   thread of the same subject that began most recently before it (else
//   the earliest one), a reply becoming an answer to that thread's root.
//   Threads that have ids of their own never merge by subject.
std::vector<Thread> buildThreads(const std::vector<CatalogueRow>& rows);

}  // namespace tessaly
