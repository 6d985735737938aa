// prop_value.h - MAPI property values, rows of them and row sets, as the
// provider hands them out: owned values, nothing left to free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mapi/mapi_codes.h"
#include "mapi/mapi_tags.h"
#include "platform/time.h"

namespace tessaly {

struct PropValue {
    // The requested tag; its type becomes PT_ERROR when the property could
    // not be read, and `number` then holds the error.
    uint32_t tag = 0;
    uint32_t number = 0;  // PT_LONG, PT_SHORT, PT_BOOLEAN (0 or 1), PT_ERROR
    uint64_t wide = 0;    // PT_I8
    FILETIME time;        // PT_SYSTIME
    std::string bytes;    // PT_STRING8 (UTF-8 text), PT_BINARY
};

using PropRow = std::vector<PropValue>;
using RowSet = std::vector<PropRow>;

PropValue errorValue(uint32_t tag, MapiResult error);
PropValue textValue(uint32_t tag, std::string text);
PropValue binaryValue(uint32_t tag, std::string bytes);
PropValue longValue(uint32_t tag, uint32_t number);
PropValue boolValue(uint32_t tag, bool value);
PropValue timeValue(uint32_t tag, const FILETIME& time);

bool isErrorValue(const PropValue& value);

// The value of `tag` (matched by property id and type), or null when the
// row has none or holds an error for it.
const PropValue* findProp(const PropRow& row, uint32_t tag);
// The text or bytes of `tag`, empty when absent.
std::string propBytes(const PropRow& row, uint32_t tag);
// The number of `tag`, or `fallback` when absent.
uint32_t propNumber(const PropRow& row, uint32_t tag, uint32_t fallback = 0);

}  // namespace tessaly
