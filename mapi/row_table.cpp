// row_table.cpp - picking a row's columns out of an object's values.
#include "mapi/row_table.h"

namespace tessaly {

namespace {

bool isText(uint32_t tag) { return propType(tag) == PT_STRING8 || propType(tag) == PT_UNICODE; }

bool sameProperty(uint32_t want, uint32_t have) {
    if (want == have) return true;
    return propId(want) == propId(have) && isText(want) && isText(have);
}

}  // namespace

PropRow selectColumns(const std::vector<uint32_t>& columns, const PropRow& values) {
    PropRow row;
    row.reserve(columns.size());
    for (const uint32_t column : columns) {
        const PropValue* found = nullptr;
        for (const PropValue& value : values) {
            if (sameProperty(column, value.tag)) {
                found = &value;
                break;
            }
        }
        if (found) {
            row.push_back(*found);
            row.back().tag = isText(column) ? changePropType(column, PT_STRING8) : column;
        } else {
            row.push_back(errorValue(column, MAPI_E_NOT_FOUND));
        }
    }
    return row;
}

}  // namespace tessaly
