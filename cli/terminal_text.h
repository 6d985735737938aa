// terminal_text.h - text from mail made harmless for a terminal: the
// control characters a header can carry shown as escapes.
#pragma once

#include <string>
#include <string_view>

namespace tessaly::cli {

// `text` with every byte a terminal would act on written out instead:
// C0 controls (tab excepted), DEL and bytes that begin no well-formed UTF-8
// sequence as "\x1b", C1 controls and the bidirectional overrides as
// "\u009b". Everything else, backslashes included, is left as it is.
std::string terminalText(std::string_view text);

}  // namespace tessaly::cli
