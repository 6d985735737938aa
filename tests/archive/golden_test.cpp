// golden_test.cpp - every raw message under tests/data/archive/ is archived
// as a page (with its attachment files) and as an EML file, and the result is
// compared byte for byte with <case>.expected/. UPDATE_GOLDEN=1 rewrites the
// expected files instead, for review in the diff.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "message/charsets.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

const fs::path kDataDir = fs::path(TESSALY_TEST_DATA_DIR) / "archive";

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kDataDir)) {
        if (entry.path().extension() == ".eml") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every file below `root`, by relative path.
std::map<std::string, std::string> readTree(const fs::path& root) {
    std::map<std::string, std::string> files;
    if (!fs::exists(root)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).string()] = test::readFile(entry.path().string());
        }
    }
    return files;
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, ArchivedFilesMatch) {
    const std::string name = GetParam();
    const std::string text = test::readFile((kDataDir / (name + ".eml")).string());
    test::TempDir dir;
    const fs::path actual = dir.path();
    std::string problems = test::archiveMessages(text, (actual / "html").string(), true);
    problems += test::archiveMessages(text, (actual / "eml").string(), false);
    test::writeFile((actual / "problems.txt").string(), problems);

    const fs::path expected = kDataDir / (name + ".expected");
    if (std::getenv("UPDATE_GOLDEN")) {
        fs::remove_all(expected);
        fs::copy(actual, expected, fs::copy_options::recursive);
        return;
    }
    const auto want = readTree(expected);
    const auto got = readTree(actual);
    ASSERT_FALSE(want.empty()) << "no expected files: run the tests with UPDATE_GOLDEN=1 and review";
    std::vector<std::string> wantNames, gotNames;
    for (const auto& [path, bytes] : want) wantNames.push_back(path);
    for (const auto& [path, bytes] : got) gotNames.push_back(path);
    ASSERT_EQ(gotNames, wantNames);
    for (const auto& [path, bytes] : want) EXPECT_EQ(got.at(path), bytes) << path;
}

// A message in seven charsets: every page and name is UTF-8 and shows
// every character, and the .eml file keeps the original bytes.
TEST(GoldenCharsets, PageIsUtf8AndShowsEveryCharacter) {
    const std::string text = test::readFile((kDataDir / "mixed-charsets.eml").string());
    test::TempDir dir;
    const fs::path out = dir.path();
    test::archiveMessages(text, (out / "html").string(), true);
    test::archiveMessages(text, (out / "eml").string(), false);
    std::string page;
    for (const auto& [path, bytes] : readTree(out)) {
        EXPECT_TRUE(isValidUtf8(path)) << path;
        if (path.size() > 5 && path.substr(path.size() - 5) == ".html") page = bytes;
        if (path.size() > 4 && path.substr(path.size() - 4) == ".eml") {
            EXPECT_EQ(bytes, text);
        }
    }
    EXPECT_TRUE(isValidUtf8(page));
    EXPECT_EQ(page.find("<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"), 0u);
    for (const char* expected : {"René François", "Привет мир 日本語", "Café crème brûlée, naïve continuation.",
                                 "Naïve, split at a soft break: 5 €.", "Привет из Москвы!",
                                 "日本語のテキストです。", "Grüße aus Köln,", "“smart quotes” –",
                                 ">résumé.pdf<", ">Привет.doc<"}) {
        EXPECT_NE(page.find(expected), std::string::npos) << expected;
    }
}

INSTANTIATE_TEST_SUITE_P(Messages, Golden, ::testing::ValuesIn(caseNames()),
                         [](const auto& testParam) {
                             std::string id = testParam.param;
                             std::replace(id.begin(), id.end(), '-', '_');
                             return id;
                         });

}  // namespace
}  // namespace tessaly
