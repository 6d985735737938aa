// gmail_labels_test.cpp - X-Gmail-Labels read from header blocks, split into
// labels, the roles of Gmail's own labels and the folder a message goes to.
#include "message/gmail_labels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly {
namespace {

using Labels = std::vector<std::string>;

std::optional<std::string> fieldOf(const std::string& block) {
    return gmailLabelsField(block.data(), block.data() + block.size());
}

TEST(GmailLabels, FieldIsFoundUnfoldedAndOnlyInTheHeaderBlock) {
    // Folded over lines (LF and CR LF), any case of the name, first one wins.
    EXPECT_EQ(fieldOf("X-GM-THRID: 1\nx-gmail-labels: Inbox,\n Category Updates\nSubject: s\n\nbody"),
              "Inbox, Category Updates");
    EXPECT_EQ(fieldOf("X-Gmail-Labels: Inbox,\r\n\tWork\r\nX-Gmail-Labels: Later\r\n\r\n"), "Inbox,\tWork");
    // Blanks before the colon are still the field.
    EXPECT_EQ(fieldOf("X-Gmail-Labels : Sent\n\n"), "Sent");
    // The last line of a cut-off block still counts.
    EXPECT_EQ(fieldOf("Subject: s\nX-Gmail-Labels: Sent"), "Sent");
    EXPECT_EQ(fieldOf("X-Gmail-Labels:\n\n"), "");
    // A body line is no field; neither is a longer name.
    EXPECT_EQ(fieldOf("Subject: s\n\nX-Gmail-Labels: Inbox\n"), std::nullopt);
    EXPECT_EQ(fieldOf("X-Gmail-Labels-Old: Inbox\n\n"), std::nullopt);
    EXPECT_EQ(fieldOf(""), std::nullopt);
    EXPECT_EQ(gmailLabelsField(nullptr, nullptr), std::nullopt);
}

struct SplitRow {
    const char* value;
    Labels labels;
};

TEST(GmailLabels, ValuesSplitIntoLabels) {
    const SplitRow rows[] = {
        {"Inbox,Important,Opened,\"Work, 2020\",Category Updates,Family/Kids",
         {"Inbox", "Important", "Opened", "Work, 2020", "Category Updates", "Family/Kids"}},
        // Blanks around labels and empty items go; a repeat counts once.
        {" Inbox , ,,Work ,Inbox,", {"Inbox", "Work"}},
        // Escaped quotes and backslashes inside quotes.
        {"\"Say \\\"hi\\\", now\",\"a\\\\b\"", {"Say \"hi\", now", "a\\b"}},
        // Outside quotes a backslash is a character of the label.
        {"C:\\temp", {"C:\\temp"}},
        // An unclosed quote runs to the end.
        {"Inbox,\"Open, never closed", {"Inbox", "Open, never closed"}},
        // Encoded words, one per label or the whole list in one word.
        {"=?UTF-8?Q?Ge=C3=B6ffnet?=,Posteingang", {"Geöffnet", "Posteingang"}},
        {"=?UTF-8?Q?Archiv=C3=A9s,Envoy=C3=A9?=", {"Archivés", "Envoyé"}},
        {"=?UTF-8?B?Qm/DrnRlIGRlIHLDqWNlcHRpb24=?=,Ouvert", {"Boîte de réception", "Ouvert"}},
        {"=?iso-8859-1?Q?R=E9sum=E9s?=", {"Résumés"}},
        // Raw 8-bit bytes that are no UTF-8 are read as windows-1252.
        {"Caf\xE9", {"Café"}},
        // Control bytes never reach a label.
        {"a\x01z,\x7F", {"a z"}},
        {"", {}},
        {",,\"\"", {}},
    };
    Charsets charsets;
    for (const SplitRow& row : rows) {
        EXPECT_EQ(parseGmailLabels(charsets, row.value), row.labels) << row.value;
    }
}

TEST(GmailLabels, LabelsOfAHeaderBlock) {
    Charsets charsets;
    const std::string block = "X-Gmail-Labels: =?UTF-8?Q?Ge=C3=B6ffnet?=,\n \"Kunden, alt\"\n\n";
    EXPECT_EQ(gmailLabelsOf(charsets, block.data(), block.data() + block.size()),
              (Labels{"Geöffnet", "Kunden, alt"}));
    const std::string none = "Subject: plain\n\n";
    EXPECT_TRUE(gmailLabelsOf(charsets, none.data(), none.data() + none.size()).empty());
}

struct RoleRow {
    const char* label;
    LabelRole role;
};

TEST(GmailLabels, RolesInEveryLanguageOfTheTable) {
    const RoleRow rows[] = {
        // One of each role, across the languages; ASCII letters in any case.
        {"inbox", LabelRole::Inbox},           {"Posteingang", LabelRole::Inbox},
        {"Boîte de réception", LabelRole::Inbox}, {"Caixa de entrada", LabelRole::Inbox},
        {"Gesendet", LabelRole::Sent},         {"Messages envoyés", LabelRole::Sent},
        {"Posta inviata", LabelRole::Sent},    {"Verzonden", LabelRole::Sent},
        {"Borradores", LabelRole::Drafts},     {"SPAM", LabelRole::Spam},
        {"Papierkorb", LabelRole::Trash},      {"Lixeira", LabelRole::Trash},
        {"Chat", LabelRole::Chat},             {"Messages archivés", LabelRole::Archived},
        {"Opened", LabelRole::System},         {"Ungelesen", LabelRole::System},
        {"Non lus", LabelRole::System},        {"No leídos", LabelRole::System},
        {"Met ster", LabelRole::System},       {"category updates", LabelRole::System},
        {"IMAP_$Forwarded", LabelRole::System},
        // Names that only look like them are the user's.
        {"Category", LabelRole::User},         {"Inbox/Old", LabelRole::User},
        {"Sent items", LabelRole::User},
        // Letters beyond ASCII match exactly only.
        {"BOÎTE DE RÉCEPTION", LabelRole::User},
    };
    for (const RoleRow& row : rows) {
        EXPECT_EQ(labelRole(row.label), row.role) << row.label;
        EXPECT_EQ(isSystemLabel(row.label), row.role == LabelRole::System) << row.label;
    }
}

struct FolderRow {
    Labels labels;
    const char* folder;
};

TEST(GmailLabels, FolderChoice) {
    const FolderRow rows[] = {
        // Sent beats Inbox beats a user label, wherever they stand.
        {{"Inbox", "Work", "Sent"}, "Sent"},
        {{"Work", "Inbox", "Opened"}, "Inbox"},
        {{"Opened", "Work, 2020", "Family/Kids"}, "Work, 2020"},
        // As written, in the user's language.
        {{"Posteingang", "Gesendet"}, "Gesendet"},
        {{"Wichtig", "Posteingang"}, "Posteingang"},
        // System labels, spam, trash, drafts and chats are never folders.
        {{"Important", "Starred", "Category Updates", "Unread"}, "Archived"},
        {{"Spam", "Unread"}, "Archived"},
        {{"Trash", "Drafts", "Chat"}, "Archived"},
        {{"Archived", "Opened"}, "Archived"},
        {{"Messages archivés", "Ouvert"}, "Messages archivés"},
        // A user label that names no folder is passed over.
        {{"/", " // ", "Real"}, "Real"},
        {{"//"}, "Archived"},
        {{}, "Archived"},
    };
    for (const FolderRow& row : rows) {
        EXPECT_EQ(labelFolder(row.labels), row.folder) << (row.labels.empty() ? "" : row.labels.front());
    }
}

TEST(GmailLabels, FolderPaths) {
    EXPECT_EQ(labelFolderPath("Family/Kids"), "Family/Kids");
    EXPECT_EQ(labelFolderPath(" a // b /"), "a/b");
    EXPECT_EQ(labelFolderPath("a\\b/c"), "ab/c");
    // Dots stay for the archive's folder names to make safe.
    EXPECT_EQ(labelFolderPath("../x"), "../x");
    EXPECT_EQ(labelFolderPath("Work, 2020"), "Work, 2020");
    EXPECT_EQ(labelFolderPath("/"), "");
    EXPECT_EQ(labelFolderPath(""), "");
}

}  // namespace
}  // namespace tessaly
