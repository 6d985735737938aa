// regress_test.cpp - every input under tests/data/regress/<target>/ that
// once crashed a fuzzer is replayed through that target; the sanitizer build
// catches any bad access again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/targets.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

const fs::path kRegressDir = fs::path(TESSALY_TEST_DATA_DIR) / "regress";

std::vector<fs::path> savedInputs() {
    std::vector<fs::path> inputs;
    if (!fs::is_directory(kRegressDir)) return inputs;
    for (const auto& entry : fs::recursive_directory_iterator(kRegressDir)) {
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

TEST(FuzzRegression, EveryFolderNamesATarget) {
    if (!fs::is_directory(kRegressDir)) GTEST_SKIP() << "no saved inputs";
    for (const auto& entry : fs::directory_iterator(kRegressDir)) {
        EXPECT_NE(fuzz::findTarget(entry.path().filename().string()), nullptr) << entry.path();
    }
}

class Replay : public ::testing::TestWithParam<fs::path> {};

TEST_P(Replay, RunsToTheEnd) {
    const fs::path& input = GetParam();
    const fuzz::NamedTarget* target = fuzz::findTarget(input.parent_path().filename().string());
    ASSERT_NE(target, nullptr);
    const std::string bytes = test::readFile(input.string());
    target->function(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string caseName(const ::testing::TestParamInfo<fs::path>& info) {
    std::string name = info.param.parent_path().filename().string() + "_" + info.param.filename().string();
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Saved, Replay, ::testing::ValuesIn(savedInputs()), caseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Replay);

}  // namespace
}  // namespace tessaly
