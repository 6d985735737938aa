// golden.h - comparing a generated page with its expected file under
// tests/data/app/; UPDATE_GOLDEN=1 rewrites the file instead.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace tessaly::test {

inline void expectGolden(const std::string& name, const std::string& actual) {
    const std::string path = TESSALY_TEST_DATA_DIR "/app/" + name;
    const char* update = std::getenv("UPDATE_GOLDEN");
    if (update && *update && std::string(update) != "0") {
        writeFile(path, actual);
        return;
    }
    const std::string expected = readFile(path);
    ASSERT_FALSE(expected.empty()) << "missing " << path << " (run with UPDATE_GOLDEN=1)";
    EXPECT_EQ(actual, expected) << name;
}

}  // namespace tessaly::test
