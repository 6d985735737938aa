// pst_message.h - a generated message (raw RFC 822 text) as the
// personal-store writer takes it: headers, addresses, bodies, attachments.
#pragma once

#include <string_view>

#include "support/pst_writer.h"

namespace tessaly::bench {

// The header block becomes the transport headers (with CR LF), the first
// text/plain and text/html parts without a name the bodies, every other
// part an attachment, decoded.
test::PstMessage pstMessageOf(std::string_view text);

}  // namespace tessaly::bench
