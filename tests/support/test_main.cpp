// test_main.cpp - entry point of every test program: isolates the tests from
// the user's own configuration and documents before any test runs.
#include <gtest/gtest.h>

#include "support/temp_dir.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    tessaly::test::isolateUserEnvironment();
    return RUN_ALL_TESTS();
}
