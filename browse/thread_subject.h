// thread_subject.h - the subject two messages of one conversation share:
// reply and forward prefixes, list tags and letter case taken away.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

struct ThreadSubject {
    std::string key;     // "re: [list] Fwd: Lunch  plans" -> "lunch plans"
    bool reply = false;  // a prefix (not a list tag) was taken away
};

// Takes away, as often as they come, leading "[list]" tags and the reply
// and forward prefixes mail programs write in many languages ("Re:",
// "RE[2]:", "Re(3):", "Fwd:", "Fw:", "AW:", "WG:", "SV:", "VS:", "Antw:",
// "Odp:", "RIF:", "TR:", "Réf:", "回复:" ..., with an ASCII or full-width
// colon), a trailing "(fwd)", folds white space and lower-cases ASCII.
ThreadSubject threadSubject(std::string_view subject);

}  // namespace tessaly
