// pff_values.h - MAPI property values read from the record sets of libpff
// items: text as UTF-8 whatever the store keeps, times as FILETIME.
#pragma once

#ifdef TESSALY_HAVE_LIBPFF

#include <string>
#include <vector>

#include "mapi/pff_file.h"

namespace tessaly::pff {

// How 8-bit strings of an item are decoded: a message's own code page, or
// the store's.
enum class TextSource { Store, Message };

// The values of `tags` from record set `set` of `item`, in order. A value
// the item lacks (or holds in a type that does not convert) comes back as a
// PT_ERROR value with MAPI_E_NOT_FOUND, and the result is then
// MAPI_W_ERRORS_RETURNED. Text tags (PT_STRING8, PT_UNICODE) answer with
// PT_STRING8 values in UTF-8; a text property stored as binary answers with
// its bytes.
MapiResult readProps(libpff_item_t* item, int set, TextSource source,
                     const std::vector<uint32_t>& tags, PropRow& values);

// The bytes of one property for a stream: text as UTF-8, anything else as
// stored. MAPI_E_NOT_FOUND when the item lacks it.
MapiResult readPropBytes(libpff_item_t* item, int set, TextSource source, uint32_t tag,
                         std::string& bytes);

// Record sets of an item (recipients are one record set each).
int recordSetCount(libpff_item_t* item);

}  // namespace tessaly::pff

#endif
