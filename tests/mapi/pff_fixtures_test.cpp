// pff_fixtures_test.cpp - the libpff provider on real .pst files (see
// shared/fixtures/SOURCES.md): folder lists, every message archived and
// checked against what pffexport extracts from the same files, the RTF
// bodies against libpff's own decompression, and damaged copies.
#include <gtest/gtest.h>

#ifdef TESSALY_HAVE_LIBPFF

#include <filesystem>
#include <functional>
#include <map>

#include "mapi/mapi_state.h"
#include "mapi/memory_stream.h"
#include "mapi/outlook.h"
#include "mapi/pff_file.h"
#include "mapi/pff_store.h"
#include "mapi/pff_values.h"
#include "mapi/rtf_compressed.h"
#include "platform/files.h"
#include "support/derived_files.h"
#include "mapi/store_test_base.h"
#include "support/temp_dir.h"
#include "support/test_run.h"

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

const std::string kFixtures = TESSALY_FIXTURES_DIR;

#define REQUIRE_FIXTURES()                                                               \
    if (!isFolder(kFixtures)) GTEST_SKIP() << "no fixture folder at " << kFixtures;      \
    static_assert(true)

std::string fixture(const std::string& name) { return kFixtures + "/" + name; }

// The CRC of POSIX cksum, to compare files with the sums of pffexport's.
uint32_t cksum(const std::string& bytes) {
    uint32_t crc = 0;
    auto feed = [&crc](unsigned char c) {
        crc ^= static_cast<uint32_t>(c) << 24;
        for (int k = 0; k < 8; ++k) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    };
    for (const char c : bytes) feed(static_cast<unsigned char>(c));
    for (size_t n = bytes.size(); n; n >>= 8) feed(static_cast<unsigned char>(n & 0xFF));
    return ~crc;
}

// Text without CRs and without leading blank lines, as pages save HTML.
std::string normalised(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c != '\r') out += c;
    }
    return out.substr(std::min(out.find_first_not_of('\n'), out.size()));
}

class PffTest : public MountedStoreTest {
protected:
    std::vector<std::string> folderLines() const {
        std::vector<std::string> lines;
        for (const mapi_TFolderInfo& f : mapiFolders()) {
            lines.push_back(std::to_string(f.depth) + " " + f.path + " " + std::to_string(f.folderClass));
        }
        return lines;
    }

    // Archives every listed folder; returns the problem lines.
    std::string archiveAll(const std::string& to) {
        std::vector<std::string> names;
        for (const mapi_TFolderInfo& f : mapiFolders()) names.push_back(f.name);
        std::string problems;
        RunSinks sinks;
        sinks.log = [&](const std::string& line) { problems += line + "\n"; };
        driveRun(run, outlookRequest(names, to), std::move(sinks));
        return problems;
    }

    ArchiveRun run;
};

// Files below a folder by relative path: pages and attachments.
std::map<std::string, std::string> archiveFiles(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        if (entry.is_regular_file() && !test::isDerivedFile(relative)) files[relative] = readFile(entry.path().string());
    }
    files.erase("folvane.css");  // the archive's, not the job's
    return files;
}

const std::string* fileEnding(const std::map<std::string, std::string>& files, const std::string& ending) {
    for (const auto& [name, content] : files) {
        if (name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0) {
            return &content;
        }
    }
    return nullptr;
}

size_t countEnding(const std::map<std::string, std::string>& files, const std::string& ending) {
    size_t n = 0;
    for (const auto& entry : files) {
        if (entry.first.size() >= ending.size() &&
            entry.first.compare(entry.first.size() - ending.size(), ending.size(), ending) == 0) {
            ++n;
        }
    }
    return n;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(PffTest, FolderLists) {
    REQUIRE_FIXTURES();
    const struct {
        const char* file;
        std::vector<std::string> lines;
    } cases[] = {
        {"pstsdk-sample1.pst", {"0 Sample1 10"}},
        {"pstsdk-sample2.pst", {"0 Sample2 10"}},  // an ANSI store
        // The message lies in the top folder itself; Deleted Items is left out.
        {"rubymsg-attachAndInline.pst", {"0 Outlook データ ファイルのトップ 11"}},
        // Inbox is the receive folder (code 0); its subfolder is walked.
        {"tika-testPST_variousBodyTypes.pst", {"0 Inbox 0", "1 Inbox\\tmp 10"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(mount(fixture(c.file))) << c.file << ": " << mapiTrace();
        EXPECT_EQ(folderLines(), c.lines) << c.file;
    }
}

TEST_F(PffTest, SampleStoresUnicodeAndAnsi) {
    REQUIRE_FIXTURES();
    for (const char* file : {"pstsdk-sample1.pst", "pstsdk-sample2.pst"}) {
        TempDir out;
        ASSERT_TRUE(mount(fixture(file)));
        EXPECT_EQ(archiveAll(out.path()), "") << file;
        const auto files = archiveFiles(out.path());
        ASSERT_EQ(files.size(), 4u) << file;  // page, HTML body and its safe copy, picture
        // The picture, as pffexport saves it.
        const std::string* jpeg = fileEnding(files, ".jpg");
        ASSERT_NE(jpeg, nullptr);
        EXPECT_EQ(jpeg->size(), 93142u);
        EXPECT_EQ(cksum(*jpeg), 3861542712u);
        // The HTML body, as pffexport saves it (line ends aside).
        const std::string* html = fileEnding(files, "(2).html");
        ASSERT_NE(html, nullptr);
        EXPECT_EQ(normalised(*html).size(), 1662u);
        EXPECT_EQ(cksum(normalised(*html)), 2440790322u);
        // The page: the plain body inline, the picture shown, the HTML linked.
        std::string page;
        for (const auto& [name, content] : files) {
            if (name.rfind("Sample", 0) == 0 && name.find("/attachments/") == std::string::npos) page = content;
        }
        EXPECT_TRUE(contains(page, "<title>Terry Mahaffey - Here is a sample message</title>")) << file;
        // The store's subject-prefix marker (bytes 01 01) is no part of it.
        EXPECT_TRUE(contains(page, "<span class=\"value\">Here is a sample message</span>")) << page;
        EXPECT_TRUE(contains(page, file == std::string("pstsdk-sample1.pst")
                                       ? "<p>With a sample attachment. It\xE2\x80\x99s my daughter and our puppy."
                                       : "<p>With a sample attachment. It's my daughter and our puppy."))
            << page;
        EXPECT_TRUE(contains(page, "<img src=\"attachments/leah_thumper - 15032010'101205'"));
        EXPECT_TRUE(contains(page, ">message.html</a>"));
        EXPECT_TRUE(contains(page, "<span class=\"value\">Sample"));
        CloseMapi();
    }
}

TEST_F(PffTest, AttachmentAndInlineImageFromRtfHtml) {
    REQUIRE_FIXTURES();
    TempDir out;
    ASSERT_TRUE(mount(fixture("rubymsg-attachAndInline.pst")));
    EXPECT_EQ(archiveAll(out.path()), "");
    const auto files = archiveFiles(out.path());
    const std::string* attach = fileEnding(files, "/attach - 00000000'000000'vvvvvv.png");
    const std::string* inlined = fileEnding(files, "/image001 - 00000000'000000'vvvvvv.png");
    ASSERT_NE(attach, nullptr);
    ASSERT_NE(inlined, nullptr);
    EXPECT_EQ(cksum(*attach), 2291684081u);
    EXPECT_EQ(cksum(*inlined), 2999204662u);
    // The HTML inside the RTF body refers to the saved picture, not its cid.
    const std::string* html = fileEnding(files, "(2).html");
    ASSERT_NE(html, nullptr);
    EXPECT_TRUE(contains(*html, "src=\"image001 - 00000000'000000'vvvvvv.png\"")) << *html;
    EXPECT_FALSE(contains(*html, "cid:image001"));
    EXPECT_EQ(html->rfind("<html", 0), 0u);
}

TEST_F(PffTest, PlainHtmlAndRtfBodies) {
    REQUIRE_FIXTURES();
    TempDir out;
    ASSERT_TRUE(mount(fixture("tika-testPST_variousBodyTypes.pst")));
    EXPECT_EQ(archiveAll(out.path()), "");
    const auto files = archiveFiles(out.path());
    EXPECT_EQ(run.messageCount, 4u);
    EXPECT_EQ(countEnding(files, "'.html") + countEnding(files, ".html") - countEnding(files, ").html"), 4u);

    // The two HTML bodies, as pffexport saves them.
    std::vector<uint32_t> sums;
    for (const auto& [name, content] : files) {
        if (name.size() > 8 && name.compare(name.size() - 8, 8, "(2).html") == 0) sums.push_back(cksum(normalised(content)));
    }
    std::sort(sums.begin(), sums.end());
    EXPECT_EQ(sums, (std::vector<uint32_t>{456962097u, 3278175444u}));

    // The RTF body: real RTF, saved as it decompresses.
    const std::string* rtf = fileEnding(files, ".rtf");
    ASSERT_NE(rtf, nullptr);
    EXPECT_EQ(rtf->size(), 11719u);
    EXPECT_EQ(rtf->rfind("{\\rtf1\\adeflang1025\\ansi\\ansicpg1252", 0), 0u);

    // The message with a plain body only shows it as paragraphs.
    const std::string* plain = fileEnding(files, "'gs7qp8.html");
    ASSERT_NE(plain, nullptr);
    EXPECT_TRUE(contains(*plain, "<p>To: Allison, Timothy B. &lt;tallison@mitre.org&gt;</p>")) << *plain;
    EXPECT_TRUE(contains(*plain, "<p>Forwarded plain text</p>"));
    // Exchange recipients have no internet address: shown by name.
    EXPECT_TRUE(contains(*plain, "<div class=\"to\"><span class=\"title\">To:</span> <span class=\"value\">"
                                 "Allison, Timothy B.</span></div>"));
    EXPECT_TRUE(contains(*plain, "<div class=\"folder\"><span class=\"title\">Folder:</span> <span class=\"value\">"
                                 "tmp</span></div>"));
}

// The plain bodies of every message, read through the provider's objects,
// are the ones pffexport writes (by their cksum sums).
TEST_F(PffTest, PlainBodiesMatchPffexport) {
    REQUIRE_FIXTURES();
    const struct {
        const char* file;
        std::vector<uint32_t> sums;
    } cases[] = {
        {"pstsdk-sample1.pst", {1941584675u}},
        {"pstsdk-sample2.pst", {3879506509u}},
        {"rubymsg-attachAndInline.pst", {1563291359u}},
        {"tika-testPST_variousBodyTypes.pst", {482299250u, 1879268232u, 2686800438u, 4289990576u}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(mount(fixture(c.file)));
        std::vector<uint32_t> sums;
        for (const mapi_TFolderInfo& info : mapiFolders()) {
            uint32_t type = 0;
            std::shared_ptr<IMAPIProp> object;
            ASSERT_EQ(mapiState().store->OpenEntry(info.entryId.bytes, type, object), SUCCESS_SUCCESS);
            const auto folder = std::dynamic_pointer_cast<IMAPIFolder>(object);
            ASSERT_NE(folder, nullptr);
            std::shared_ptr<IMAPITable> table;
            RowSet rows;
            ASSERT_EQ(folder->GetContentsTable(0, table), SUCCESS_SUCCESS);
            ASSERT_EQ(table->QueryAllRows({PR_ENTRYID}, rows), SUCCESS_SUCCESS);
            for (const PropRow& row : rows) {
                ASSERT_EQ(folder->OpenEntry(row[0].bytes, type, object), SUCCESS_SUCCESS);
                ASSERT_EQ(type, MAPI_MESSAGE);
                std::shared_ptr<IStream> stream;
                ASSERT_EQ(object->OpenProperty(PR_BODY, stream), SUCCESS_SUCCESS);
                std::string body;
                ASSERT_EQ(readWholeStream(*stream, body, 7), SUCCESS_SUCCESS);
                sums.push_back(cksum(body));
            }
        }
        std::sort(sums.begin(), sums.end());
        EXPECT_EQ(sums, c.sums) << c.file;
        CloseMapi();
    }
}

// Every message of every fixture with an RTF body: our decompression gives
// what libpff's own does.
TEST_F(PffTest, RtfBodiesMatchLibpff) {
    REQUIRE_FIXTURES();
    size_t compared = 0;
    for (const char* name : {"pstsdk-sample1.pst", "pstsdk-sample2.pst", "rubymsg-attachAndInline.pst",
                             "tika-testPST_variousBodyTypes.pst"}) {
        std::shared_ptr<pff::File> file;
        ASSERT_EQ(pff::File::open(fixture(name), file), SUCCESS_SUCCESS);
        std::function<void(libpff_item_t*)> walk = [&](libpff_item_t* folder) {
            int messages = 0;
            libpff_folder_get_number_of_sub_messages(folder, &messages, nullptr);
            for (int i = 0; i < messages; ++i) {
                libpff_item_t* raw = nullptr;
                if (libpff_folder_get_sub_message(folder, i, &raw, nullptr) != 1) continue;
                const pff::Item message(raw);
                std::string compressed;
                if (pff::readPropBytes(raw, 0, pff::TextSource::Message, PR_RTF_COMPRESSED, compressed) !=
                    SUCCESS_SUCCESS) {
                    continue;
                }
                size_t size = 0;
                ASSERT_EQ(libpff_message_get_rtf_body_size(raw, &size, nullptr), 1);
                std::string theirs(size, '\0');
                ASSERT_EQ(libpff_message_get_rtf_body(raw, reinterpret_cast<uint8_t*>(theirs.data()), size, nullptr), 1);
                std::string ours;
                ASSERT_TRUE(decompressRtf(compressed, ours));
                while (!ours.empty() && ours.back() == '\0') ours.pop_back();
                while (!theirs.empty() && theirs.back() == '\0') theirs.pop_back();
                EXPECT_EQ(ours, theirs) << name;
                ++compared;
            }
            int folders = 0;
            libpff_folder_get_number_of_sub_folders(folder, &folders, nullptr);
            for (int i = 0; i < folders; ++i) {
                libpff_item_t* raw = nullptr;
                if (libpff_folder_get_sub_folder(folder, i, &raw, nullptr) != 1) continue;
                const pff::Item sub(raw);
                walk(raw);
            }
        };
        libpff_item_t* root = nullptr;
        ASSERT_EQ(libpff_file_get_root_folder(file->get(), &root, nullptr), 1);
        const pff::Item owned(root);
        walk(root);
    }
    EXPECT_EQ(compared, 2u);  // the RTF message of tika and the one of ruby-msg
}

// Damaged copies: a clear failure, never a crash.
TEST_F(PffTest, DamagedStoresFailCleanly) {
    REQUIRE_FIXTURES();
    TempDir dir;
    const std::string good = readFile(fixture("pstsdk-sample1.pst"));
    ASSERT_FALSE(good.empty());
    const struct {
        std::string bytes;
        const char* why;
    } cases[] = {
        {good.substr(0, 10) + static_cast<char>(good[10] ^ 0x55) + good.substr(11), "header checksum wrong"},
        {good.substr(0, 4096), "cut after the header"},
        {good.substr(0, 100000), "cut in the middle"},
        {"", "empty"},
        {"not a personal store at all, just text\n", "text"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file("damaged.pst");
        writeFile(path, c.bytes);
        EXPECT_FALSE(mount(path)) << c.why;
        EXPECT_TRUE(mapiFolders().empty()) << c.why;
        EXPECT_NE(mapiTrace().find("Failed to OpenMsgStore(Velmo's Zany Message Store)msgstore=0. "), std::string::npos)
            << c.why << ": " << mapiTrace();
        resetMapiState();
    }
}

// Single damaged bytes all over a store: whatever still opens is archived
// without reading out of bounds (run under the sanitizers).
TEST_F(PffTest, CorruptionSweep) {
    REQUIRE_FIXTURES();
    TempDir dir;
    const std::string good = readFile(fixture("rubymsg-attachAndInline.pst"));
    ASSERT_FALSE(good.empty());
    std::vector<size_t> offsets;
    for (size_t at = 0; at < 1024; at += 37) offsets.push_back(at);
    for (size_t at = 1024; at < good.size(); at += 4099) offsets.push_back(at);
    for (const size_t at : offsets) {
        std::string bytes = good;
        bytes[at] = static_cast<char>(bytes[at] ^ 0xA5);
        const std::string path = dir.file("swept.pst");
        writeFile(path, bytes);
        TempDir out;
        if (mount(path)) archiveAll(out.path());
        CloseMapi();
        resetMapiState();
    }
}

}  // namespace
}  // namespace tessaly::test

#endif
