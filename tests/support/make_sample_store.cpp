// make_sample_store.cpp - writes the small Outlook Express store of the
// samples folder (Folders.dbx and one .dbx file per mail folder) with the
// same DBX generator the tests use.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/dbx_writer.h"

namespace {

std::string readCrLf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string text;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r')) text += '\r';
        text += raw[i];
    }
    return text;
}

bool write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tessaly::test;
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-sample-store OUTPUT-FOLDER MESSAGES-FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    const std::string messages = std::string(argv[2]) + "/";
    auto message = [&](const char* file, const char* sender, const char* subject) {
        DbxTestMessage m;
        m.text = readCrLf(messages + file);
        m.senderName = sender;
        m.subject = subject;
        return m;
    };

    std::vector<DbxTestMessage> inbox = {
        message("simple-text.eml", "Alice Example", "Lunch on Friday?"),
        message("alternative.eml", "Frank", "Newsletter"),
        message("related-cid-image.eml", "Grace", "Photo of the garden"),
    };
    std::vector<DbxTestMessage> sent = {message("sent-no-received.eml", "Bob Builder", "Re: Lunch on Friday?")};
    sent[0].receiverName = "Alice Example";
    std::vector<DbxTestMessage> projects = {message("nested-multipart.eml", "Heidi", "Report with attachments")};
    DbxTestMessage offline;  // headers only: its text was never downloaded
    offline.senderName = "Ivan";
    offline.subject = "Two reports";
    projects.push_back(offline);

    DbxMailOptions options;
    bool ok = true;
    options.folderName = "Inbox";
    ok &= write(out + "/Inbox.dbx", makeDbxMailFile(inbox, options).bytes);
    options.folderName = "Sent Items";
    ok &= write(out + "/Sent Items.dbx", makeDbxMailFile(sent, options).bytes);
    options.folderName = "Projects";
    ok &= write(out + "/Projects.dbx", makeDbxMailFile(projects, options).bytes);
    options.folderName = "Deleted Items";
    ok &= write(out + "/Deleted Items.dbx", makeDbxMailFile({}, options).bytes);

    const std::vector<DbxTestFolder> folders = {
        {1, 0, "Local Folders", "", "LocalStore", 0, 1},
        {2, 1, "Inbox", "Inbox.dbx", "", 1, 1},
        {3, 1, "Sent Items", "Sent Items.dbx", "", 3, 1},
        {4, 1, "Deleted Items", "Deleted Items.dbx", "", 4, 1},
        {5, 2, "Projects", "Projects.dbx", "", 0, 1},
    };
    ok &= write(out + "/Folders.dbx", makeDbxFolderTree(folders).bytes);
    if (!ok) std::fprintf(stderr, "make-sample-store: cannot write into %s\n", out.c_str());
    return ok ? 0 : 1;
}
