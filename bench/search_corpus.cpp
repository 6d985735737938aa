// search_corpus.cpp - writes the search files of a synthetic archive and
// reports their size against the indexed text:
//   search-corpus [--messages N] [--runs R] [--seed S] ARCHIVE-DIR
// Texts draw words with Zipf frequencies from a vocabulary of common
// English words and generated words (some accented, Cyrillic, Greek,
// Japanese), lengths log-normal around 1.5 KB. R runs add N/R messages each,
// so that segments are merged as in real use.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "archive/catalogue_row.h"
#include "browse/browse_paths.h"
#include "browse/search_index.h"
#include "platform/files.h"

namespace {

const char* const kCommon[] = {"the", "of", "and", "to", "a", "in", "is", "it", "that", "for", "you", "was", "on", "with",
                               "as", "we", "be", "at", "this", "have", "from", "or", "by", "not", "but", "are", "all",
                               "can", "will", "meeting", "report", "project", "budget", "please", "thanks", "review"};
const char* const kSyllables[] = {"ka", "lo", "mi", "ren", "sta", "tor", "vel", "qui", "den", "mar", "pol", "sen",
                                  "tra", "gu", "bre", "ni", "sol", "ver", "an", "ex", "com", "pro", "tion", "ment"};
const char* const kOther[] = {"café", "Grüße", "Straße", "mañana", "Zürich", "Привет", "документ", "встреча",
                              "Ελληνικά", "σύσκεψη", "東京", "会議", "資料", "ありがとう", "よろしく", "Kraków"};

struct Corpus {
    std::mt19937_64 random;
    std::vector<std::string> vocabulary;
    std::vector<double> cumulative;

    explicit Corpus(uint64_t seed) : random(seed) {
        for (const char* word : kCommon) vocabulary.push_back(word);
        std::uniform_int_distribution<int> syllable(0, std::size(kSyllables) - 1), count(2, 4);
        while (vocabulary.size() < 60000) {
            std::string word;
            for (int k = count(random); k > 0; --k) word += kSyllables[syllable(random)];
            if (vocabulary.size() % 97 == 0) word = kOther[vocabulary.size() / 97 % std::size(kOther)] + std::to_string(vocabulary.size() % 13);
            vocabulary.push_back(word);
        }
        double total = 0;
        for (size_t rank = 1; rank <= vocabulary.size(); ++rank) cumulative.push_back(total += 1.0 / std::pow(double(rank), 1.07));
    }
    const std::string& word() {
        const double x = std::uniform_real_distribution<double>(0, cumulative.back())(random);
        return vocabulary[static_cast<size_t>(std::lower_bound(cumulative.begin(), cumulative.end(), x) - cumulative.begin())];
    }
    std::string words(size_t bytes) {
        std::string text;
        size_t sentence = 0;
        while (text.size() < bytes) {
            std::string w = word();
            if (sentence == 0 && !w.empty() && w[0] >= 'a' && w[0] <= 'z') w[0] = static_cast<char>(w[0] - 32);
            text += w;
            if (++sentence > 8 + random() % 10) {
                text += random() % 5 == 0 ? ".\n\n" : ". ";
                sentence = 0;
            } else {
                text += ' ';
            }
        }
        return text;
    }
};

}  // namespace

int main(int argc, char** argv) {
    size_t messages = 20000, runs = 1;
    uint64_t seed = 1;
    std::string root;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--messages" && i + 1 < argc) messages = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--runs" && i + 1 < argc) runs = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--seed" && i + 1 < argc) seed = std::strtoull(argv[++i], nullptr, 10);
        else root = arg;
    }
    if (root.empty() || runs == 0) {
        std::fprintf(stderr, "usage: search-corpus [--messages N] [--runs R] [--seed S] ARCHIVE-DIR\n");
        return 2;
    }
    tessaly::createFolderPath(root);
    Corpus corpus(seed);
    std::lognormal_distribution<double> length(std::log(1500.0), 0.8);
    const char* const folders[] = {"Inbox", "Sent", "Projects/Budget", "Archive 2004"};
    uint64_t textBytes = 0;
    double seconds = 0;
    size_t made = 0;
    for (size_t run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        tessaly::SearchUpdate update(root, run == 0);
        const size_t until = messages * (run + 1) / runs;
        for (; made < until; ++made) {
            tessaly::CatalogueRow row;
            row.dir = std::string(folders[made % 4]) + "/";
            const std::string from = corpus.word() + " " + corpus.word();
            row.from = from + " <" + corpus.word() + "@example.org>";
            row.to = "Me <me@example.org>";
            row.subject = (made % 3 == 0 ? "Re: " : "") + corpus.words(30);
            row.date = 1000000000 + static_cast<int64_t>(made) * 3700 + static_cast<int64_t>(corpus.random() % 3600);
            row.path = row.dir + from + " - " + row.subject.substr(0, 20) + " - " + std::to_string(row.date) + ".html";
            row.text = corpus.words(static_cast<size_t>(std::min(40000.0, length(corpus.random))));
            if (made % 7 == 0) row.attachments.push_back({corpus.word() + ".pdf", row.dir + "a.pdf", 1000});
            textBytes += row.text.size();
            update.add(row);
        }
        if (!update.finish()) {
            std::fprintf(stderr, "search-corpus: writing the search files failed\n");
            return 1;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    std::vector<tessaly::FolderEntry> entries;
    tessaly::listFolder(tessaly::searchFilesPath(root), entries);
    uint64_t bytes = 0, terms = 0, docs = 0;
    for (const auto& entry : entries) {
        bytes += entry.size;
        if (entry.name.find("-t") != std::string::npos) terms += entry.size;
        if (entry.name.find("-d") != std::string::npos) docs += entry.size;
    }
    std::printf("messages %zu, runs %zu, text %.1f MB, search files %.2f MB in %zu files (%.1f%% of the text; "
                "term files %.2f MB, docs %.2f MB), %.2f s\n",
                messages, runs, textBytes / 1e6, bytes / 1e6, entries.size(), 100.0 * bytes / textBytes, terms / 1e6,
                docs / 1e6, seconds);
    return 0;
}
