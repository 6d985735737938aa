// marker_server.cpp - running headless chromium for browser tests.
#include "support/marker_server.h"

#include <cstdlib>

#include "support/temp_dir.h"

namespace tessaly::test {

std::string chromiumDom(const std::string& url, const std::string& profile, const std::string& flags) {
    const std::string out = profile + ".dom";
    const std::string command = "timeout 60 chromium --headless --no-sandbox --disable-gpu --no-first-run "
                                "--disable-background-networking --virtual-time-budget=5000 " + flags +
                                " --user-data-dir=" + profile + " --dump-dom '" + url + "' 2>/dev/null > " + out;
    if (std::system(command.c_str()) != 0) return "";
    return readFile(out);
}

}  // namespace tessaly::test
