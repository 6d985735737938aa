// thunderbird_prefs.h - the preferences of a Thunderbird profile (prefs.js),
// read as text: user_pref("name", value); lines.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tessaly {

// Every user_pref (and pref) statement of prefs.js text: the name and the
// value, a string with its JavaScript escapes resolved (\" \\ \n \xHH
// \uXXXX with surrogate pairs ...; a lone surrogate or U+0000 becomes
// U+FFFD) or the bare token of a number or boolean. Statements are read
// one a line, as Thunderbird writes them; comments and lines that hold no
// such statement are skipped. A later statement for the same name wins, as
// it does in Thunderbird.
std::map<std::string, std::string> parsePrefs(std::string_view text);

}  // namespace tessaly
