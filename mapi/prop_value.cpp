// prop_value.cpp - building and looking up MAPI property values.
#include "mapi/prop_value.h"

#include <utility>

namespace tessaly {

PropValue errorValue(uint32_t tag, MapiResult error) {
    PropValue value;
    value.tag = changePropType(tag, PT_ERROR);
    value.number = error;
    return value;
}

PropValue textValue(uint32_t tag, std::string text) {
    PropValue value;
    value.tag = tag;
    value.bytes = std::move(text);
    return value;
}

PropValue binaryValue(uint32_t tag, std::string bytes) { return textValue(tag, std::move(bytes)); }

PropValue longValue(uint32_t tag, uint32_t number) {
    PropValue value;
    value.tag = tag;
    value.number = number;
    value.wide = number;
    return value;
}

PropValue boolValue(uint32_t tag, bool flag) { return longValue(tag, flag ? 1 : 0); }

PropValue timeValue(uint32_t tag, const FILETIME& time) {
    PropValue value;
    value.tag = tag;
    value.time = time;
    return value;
}

bool isErrorValue(const PropValue& value) { return propType(value.tag) == PT_ERROR; }

const PropValue* findProp(const PropRow& row, uint32_t tag) {
    for (const PropValue& value : row) {
        if (value.tag == tag) return &value;
    }
    return nullptr;
}

std::string propBytes(const PropRow& row, uint32_t tag) {
    const PropValue* value = findProp(row, tag);
    return value ? value->bytes : std::string();
}

uint32_t propNumber(const PropRow& row, uint32_t tag, uint32_t fallback) {
    const PropValue* value = findProp(row, tag);
    return value ? value->number : fallback;
}

}  // namespace tessaly
