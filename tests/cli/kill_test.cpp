// kill_test.cpp - tessaly-cli killed (SIGKILL) at random moments of a run,
// then run again until it finishes: the archive must equal that of one
// uninterrupted run, file for file, with no temporaries left; and after
// every kill the catalogue holds exactly the message files in place.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "archive/catalogue.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// Messages with attachments, some sharing names and stamps (so that later
// files take ";2" names) and some repeated (duplicates within the run).
std::string generatedMailbox(int messages) {
    std::string box;
    std::string line;
    for (int i = 0; i < 19; ++i) line += "QUFB";
    for (int i = 0; i < messages; ++i) {
        const std::string n = std::to_string(i % 40);
        box += "From ann@example.org Thu Sep  5 14:30:07 2002\nReceived: by mx; Thu, 5 Sep 2002 14:30:07 +0200\n"
               "From: Ann <ann@example.org>\nTo: Bob <bob@example.com>\nSubject: Report " + n +
               "\nDate: Thu, 5 Sep 2002 14:30:07 +0200\nMIME-Version: 1.0\n"
               "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\n"
               "Figures for week " + n + ".\n--b\nContent-Type: application/pdf; name=\"report.pdf\"\n"
               "Content-Transfer-Encoding: base64\n\n";
        for (int k = 0; k < 40 + i % 7; ++k) box += line + "\n";
        box += "--b\nContent-Type: text/html\n\n<p>Week " + n + "</p>\n--b--\n\n";
    }
    return box;
}

pid_t startCli(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> argv{const_cast<char*>(TESSALY_CLI)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(TESSALY_CLI, argv.data());
        _exit(127);
    }
    return pid;
}

int finish(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Content and last-write time of every file, by relative path. The
// stylesheet carries the time it was made, not a message's. The catalogue
// and the browse files made from it are compared by what they hold.
std::map<std::string, std::string> snapshot(const std::string& root) {
    std::map<std::string, std::string> files;
    for (auto e = fs::recursive_directory_iterator(root); e != fs::recursive_directory_iterator(); ++e) {
        const std::string relative = fs::relative(e->path(), root).string();
        if (relative == ".tessaly") {
            e.disable_recursion_pending();
            continue;
        }
        if (!e->is_regular_file()) {
            files[relative + "/"] = "";
            continue;
        }
        struct stat st {};
        stat(e->path().c_str(), &st);
        const bool made = relative == "folvane.css" || relative == "index.html" || relative == "search.html";
        const std::string time = made ? "" : std::to_string(st.st_mtim.tv_sec);
        files[relative] = time + "\n" + test::readFile(e->path().string());
    }
    return files;
}

// The page and EML files in place, by relative path.
std::set<std::string> messageFiles(const std::string& root) {
    std::set<std::string> files;
    if (!fs::exists(root)) return files;
    for (auto e = fs::recursive_directory_iterator(root); e != fs::recursive_directory_iterator(); ++e) {
        const std::string name = e->path().filename().string();
        if (e->is_directory() && (name == "attachments" || name == ".tessaly")) {
            e.disable_recursion_pending();
            continue;
        }
        const std::string relative = fs::relative(e->path(), root).string();
        const std::string extension = e->path().extension().string();
        if (relative == "index.html" || relative == "search.html" || name.find(".tmp") != std::string::npos) continue;
        if (extension == ".html" || extension == ".eml") files.insert(relative);
    }
    return files;
}

// What the next run finds in the catalogue, once it has settled the rows
// the killed one left: the paths of its rows, or nothing to compare when
// the catalogue is still to be made from the files.
std::optional<std::set<std::string>> cataloguedFiles(const std::string& root) {
    if (!fs::exists(cataloguePath(root))) return std::nullopt;
    std::unique_ptr<Catalogue> catalogue = Catalogue::open(root, nullptr);
    if (!catalogue || catalogue->isNew()) return std::nullopt;
    catalogue->settleInterrupted();
    std::set<std::string> paths;
    for (const CatalogueFolder& folder : catalogue->folders()) {
        for (const CatalogueRow& row : catalogue->rowsIn(folder.dir)) paths.insert(row.path);
    }
    return paths;
}

// The paths that differ between two snapshots, for a short failure message.
std::string differences(const std::map<std::string, std::string>& got,
                        const std::map<std::string, std::string>& want) {
    std::string text;
    for (const auto& [path, bytes] : got) {
        const auto other = want.find(path);
        if (other == want.end()) {
            text += "extra: " + path + "\n";
        } else if (other->second != bytes) {
            text += "differs: " + path + "\n";
        }
    }
    for (const auto& [path, bytes] : want) {
        if (!got.count(path)) text += "missing: " + path + "\n";
    }
    return text;
}

TEST(CliKilled, EveryInterruptedRunIsRepairedByTheNext) {
    test::TempDir dir;
    test::writeFile(dir.file("Reports.bmf"), generatedMailbox(60));
    const std::vector<std::string> sources = {dir.file("Reports.bmf"), std::string(TESSALY_SAMPLES_DIR) + "/Inbox.bmf",
                                              std::string(TESSALY_SAMPLES_DIR) + "/Sent.bmf",
                                              dir.file("Reports.bmf")};
    std::mt19937 random(20021);
    for (const char* format : {"html", "eml"}) {
        SCOPED_TRACE(format);
        auto args = [&](const std::string& to) {
            std::vector<std::string> a = {"archive", "--format", format, "--to", to};
            a.insert(a.end(), sources.begin(), sources.end());
            return a;
        };
        const std::string whole = dir.file(std::string("whole-") + format);
        const auto started = std::chrono::steady_clock::now();
        ASSERT_EQ(finish(startCli(args(whole))), 0);
        const auto length = std::chrono::steady_clock::now() - started;

        const std::string archive = dir.file(std::string("killed-") + format);
        int killed = 0;
        int compared = 0;
        for (int round = 0; round < 25; ++round) {
            const pid_t pid = startCli(args(archive));
            std::uniform_int_distribution<long> delay(0, std::chrono::duration_cast<std::chrono::microseconds>(length).count());
            std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
            killed += kill(pid, SIGKILL) == 0;
            finish(pid);
            if (const auto catalogued = cataloguedFiles(archive)) {
                EXPECT_EQ(*catalogued, messageFiles(archive)) << "after round " << round;
                ++compared;
            }
        }
        ASSERT_EQ(finish(startCli(args(archive))), 0);
        EXPECT_GT(killed, 0);
        EXPECT_GT(compared, 0);
        EXPECT_EQ(cataloguedFiles(archive), messageFiles(archive));
        EXPECT_EQ(differences(snapshot(archive), snapshot(whole)), "");
    }
}

}  // namespace
}  // namespace tessaly
