// seeds.cpp - writes generated DBX files as seeds for the DBX fuzzers:
// mail folder files of several tree shapes and a folder-tree file.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/dbx_writer.h"

namespace {

using namespace tessaly::test;

bool save(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

const char kMultipart[] =
    "From: A <a@example.com>\r\nTo: b@example.com\r\nSubject: parts\r\n"
    "Date: Thu, 5 Sep 2002 14:30:07 +0200\r\nMIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"xyz\"\r\n\r\n"
    "--xyz\r\nContent-Type: text/plain\r\n\r\nHello\r\n"
    "--xyz\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\n"
    "Content-Transfer-Encoding: base64\r\n\r\nAAECAwQ=\r\n--xyz--\r\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz-seeds DBX-FOLDER FOLDERS-DBX-FOLDER\n");
        return 2;
    }
    const std::string dbx = argv[1];
    const std::string folders = argv[2];
    bool ok = true;

    std::vector<DbxTestMessage> few = {{sampleMessageText("one", 300)}, {kMultipart}, {""}};
    ok &= save(dbx + "/three-messages.dbx", makeDbxMailFile(few).bytes);

    std::vector<DbxTestMessage> many;
    for (int i = 0; i < 12; ++i) many.push_back({sampleMessageText("m" + std::to_string(i), 100)});
    DbxMailOptions deep;
    deep.perNode = 2;
    deep.blockText = 40;
    deep.directAddress = false;
    ok &= save(dbx + "/deep-tree.dbx", makeDbxMailFile(many, deep).bytes);

    const std::vector<DbxTestFolder> tree = {
        {1, 0, "Local Folders", "", "LocalStore", 0, 1},
        {2, 1, "Inbox", "Inbox.dbx", "", 1, 1},
        {3, 1, "Outbox", "Outbox.dbx", "", 2, 1},
        {4, 2, "Sub", "Sub.dbx", "", 0, 1},
        {5, 0, "news.example.com", "", "00000002", 0, 1},
    };
    ok &= save(folders + "/Folders.dbx", makeDbxFolderTree(tree).bytes);
    ok &= save(folders + "/Folders-narrow.dbx", makeDbxFolderTree(tree, 2).bytes);
    return ok ? 0 : 1;
}
