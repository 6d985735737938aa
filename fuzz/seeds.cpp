// seeds.cpp - writes generated store files as seeds for the fuzzers: DBX
// mail folder files of several tree shapes and a folder-tree file, and
// small personal-store (.pst) files of several folder and message shapes.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/dbx_writer.h"
#include "support/pst_writer.h"

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

// Stores of a few kilobytes each: every folder and message shape the
// provider reads, so that the fuzzer starts inside the property and table
// contexts rather than at the file header.
bool writePstSeeds(const std::string& folder) {
    bool ok = true;
    ok &= writePstFile(folder + "/one-message.pst", {{"Inbox", {samplePstMessage("hello", 1031229007)}, {}}});

    PstMessage rich = samplePstMessage("rich", 1031229107);
    rich.html = "<html><body><p>Hi <img src=\"cid:img1@x\"></p></body></html>";
    rich.headers = "Received: from x by y; Thu, 5 Sep 2002 14:30:07 +0200\r\nMessage-ID: <r@x>\r\n"
                   "Subject: rich\r\nContent-Type: multipart/related; boundary=\"b\"\r\n";
    rich.messageId = "<r@x>";
    rich.attachments = {{"image.gif", "image/gif", "GIF89a\x01\x00\x01\x00", "img1@x"},
                        {"notes.txt", "text/plain", "some notes\r\n", ""}};
    PstMessage latin = samplePstMessage("caf\xC3\xA9", 1031229207);
    latin.html = "<p>caf\xE9</p>";
    latin.htmlCodepage = 1252;
    latin.body.clear();
    PstMessage note = samplePstMessage("appointment", 1031229307);
    note.messageClass = "IPM.Appointment";
    PstMessage bare;  // no subject, sender or body
    ok &= writePstFile(folder + "/folders-and-parts.pst",
                       {{"Inbox", {rich, latin, bare}, {{"Projects", {samplePstMessage("deep", 1031229407)}, {}}}},
                        {"Sent Items", {note}, {}},
                        {"Drafts", {samplePstMessage("draft", 1031229507)}, {}, true},
                        {"Inbox", {samplePstMessage("twin", 1031229607)}, {}}});

    std::vector<PstMessage> many;
    for (int i = 0; i < 20; ++i) many.push_back(samplePstMessage("m" + std::to_string(i), 1031229007 + i));
    ok &= writePstFile(folder + "/many-messages.pst", {{"Inbox", many, {}}});
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--pst") return writePstSeeds(argv[2]) ? 0 : 1;
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz-seeds DBX-FOLDER FOLDERS-DBX-FOLDER\n       fuzz-seeds --pst PST-FOLDER\n");
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
