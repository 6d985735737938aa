// mapi_codes_test.cpp - result codes print under the names MAPI gives them.
#include <gtest/gtest.h>

#include "mapi/mapi_codes.h"

namespace tessaly {
namespace {

TEST(MapiCodes, NamesOfPublishedValues) {
    const struct {
        MapiResult code;
        const char* name;
    } cases[] = {
        {0x00000000, "SUCCESS_SUCCESS"},
        {0x80004005, "MAPI_E_CALL_FAILED"},         // shares E_FAIL's value
        {0x80070005, "MAPI_E_NO_ACCESS"},           // E_ACCESSDENIED prints so too
        {0x80040106, "MAPI_E_UNKNOWN_FLAGS"},
        {0x8004010F, "MAPI_E_NOT_FOUND"},
        {0x00040203, "MAPI_W_NO_SERVICE"},          // a warning, top bit clear
        {0x00040380, "MAPI_W_ERRORS_RETURNED"},
        {0x80040600, "MAPI_E_CORRUPT_STORE"},
        {0x80040700, "MAPI_E_AMBIGUOUS_RECIP"},
        {0x8000FFFF, "E_UNEXPECTED"},
        {0x80070006, "E_HANDLE"},
        {0x80004004, "E_ABORT"},                    // last of the table
        {0x8004011B, "hr???"},                      // MAPI_E_CORRUPT_DATA is not in the table
        {0xFFFFFFFF, "hr???"},
    };
    for (const auto& c : cases) EXPECT_EQ(mapiErrorName(c.code), c.name) << std::hex << c.code;
}

TEST(MapiCodes, FailureIsTheTopBit) {
    EXPECT_FALSE(mapiFailed(MAPI_W_ERRORS_RETURNED));
    EXPECT_FALSE(mapiFailed(SUCCESS_SUCCESS));
    EXPECT_TRUE(mapiFailed(MAPI_E_NOT_FOUND));
}

}  // namespace
}  // namespace tessaly
