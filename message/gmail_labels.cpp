// gmail_labels.cpp - reading X-Gmail-Labels, the table of Gmail's own
// labels in the languages Takeout writes them in, and the folder choice.
#include "message/gmail_labels.h"

#include <algorithm>

#include "message/header_scanner.h"
#include "message/header_text.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

struct KnownLabel {
    std::string_view name;
    LabelRole role;
};

// Gmail's own labels as Takeout writes them, by language. English, the
// French read and sent names, "Ungelesen" and "No leídos" are seen in real
// exports; the rest are the names the Gmail interface shows in that
// language, which Takeout uses for its labels.
constexpr KnownLabel kKnownLabels[] = {
    // English
    {"Inbox", LabelRole::Inbox},
    {"Sent", LabelRole::Sent},
    {"Sent Mail", LabelRole::Sent},
    {"Drafts", LabelRole::Drafts},
    {"Spam", LabelRole::Spam},
    {"Trash", LabelRole::Trash},
    {"Bin", LabelRole::Trash},
    {"Chat", LabelRole::Chat},
    {"Chats", LabelRole::Chat},
    {"Archived", LabelRole::Archived},
    {"Opened", LabelRole::System},
    {"Unread", LabelRole::System},
    {"Important", LabelRole::System},
    {"Starred", LabelRole::System},
    // German
    {"Posteingang", LabelRole::Inbox},
    {"Gesendet", LabelRole::Sent},
    {"Entwürfe", LabelRole::Drafts},
    {"Papierkorb", LabelRole::Trash},
    {"Archiviert", LabelRole::Archived},
    {"Geöffnet", LabelRole::System},
    {"Ungelesen", LabelRole::System},
    {"Wichtig", LabelRole::System},
    {"Markiert", LabelRole::System},
    // French
    {"Boîte de réception", LabelRole::Inbox},
    {"Messages envoyés", LabelRole::Sent},
    {"Envoyés", LabelRole::Sent},
    {"Envoyé", LabelRole::Sent},
    {"Brouillons", LabelRole::Drafts},
    {"Corbeille", LabelRole::Trash},
    {"Messages archivés", LabelRole::Archived},
    {"Archivés", LabelRole::Archived},
    {"Ouvert", LabelRole::System},
    {"Ouverts", LabelRole::System},
    {"Non lus", LabelRole::System},
    {"Non lu", LabelRole::System},
    {"Importants", LabelRole::System},
    {"Messages suivis", LabelRole::System},
    {"Favoris", LabelRole::System},
    // Spanish
    {"Recibidos", LabelRole::Inbox},
    {"Enviados", LabelRole::Sent},
    {"Borradores", LabelRole::Drafts},
    {"Papelera", LabelRole::Trash},
    {"Archivados", LabelRole::Archived},
    {"Abierto", LabelRole::System},
    {"Abiertos", LabelRole::System},
    {"No leídos", LabelRole::System},
    {"No leído", LabelRole::System},
    {"Importante", LabelRole::System},
    {"Importantes", LabelRole::System},
    {"Destacados", LabelRole::System},
    // Italian
    {"Posta in arrivo", LabelRole::Inbox},
    {"Posta inviata", LabelRole::Sent},
    {"Inviati", LabelRole::Sent},
    {"Bozze", LabelRole::Drafts},
    {"Cestino", LabelRole::Trash},
    {"Archiviati", LabelRole::Archived},
    {"Aperto", LabelRole::System},
    {"Aperti", LabelRole::System},
    {"Da leggere", LabelRole::System},
    {"Non letti", LabelRole::System},
    {"Importanti", LabelRole::System},
    {"Speciali", LabelRole::System},
    // Portuguese
    {"Caixa de entrada", LabelRole::Inbox},
    {"E-mails enviados", LabelRole::Sent},
    {"Rascunhos", LabelRole::Drafts},
    {"Lixeira", LabelRole::Trash},
    {"Lixo", LabelRole::Trash},
    {"Arquivados", LabelRole::Archived},
    {"Aberto", LabelRole::System},
    {"Abertos", LabelRole::System},
    {"Não lidos", LabelRole::System},
    {"Não lido", LabelRole::System},
    {"Com estrela", LabelRole::System},
    // Dutch
    {"Verzonden", LabelRole::Sent},
    {"Concepten", LabelRole::Drafts},
    {"Prullenbak", LabelRole::Trash},
    {"Gearchiveerd", LabelRole::Archived},
    {"Geopend", LabelRole::System},
    {"Ongelezen", LabelRole::System},
    {"Belangrijk", LabelRole::System},
    {"Met ster", LabelRole::System},
};

// Takeout writes the inbox tabs as "Category Personal", "Category Social",
// "Category Promotions", "Category Updates", "Category Forums" (the other
// languages with their word for it), and Thunderbird's IMAP keywords as
// "IMAP_$Forwarded", "IMAP_Junk" ...
constexpr std::string_view kSystemPrefixes[] = {"Category ", "Kategorie ", "Catégorie ", "Categoría ",
                                                "Categoria ", "Categorie ", "IMAP_"};

constexpr std::string_view kArchivedFolder = "Archived";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// `text` without blanks at either end.
std::string_view trimmedBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// One label as it is kept: control bytes (a tab, a stray line end) become
// blanks, so that a label is always one line of text.
void addLabel(std::vector<std::string>& labels, std::string& label) {
    for (char& c : label) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    const std::string_view trimmed = trimmedBlanks(label);
    if (!trimmed.empty() && std::find(labels.begin(), labels.end(), trimmed) == labels.end()) {
        labels.emplace_back(trimmed);
    }
    label.clear();
}

}  // namespace

std::optional<std::string> gmailLabelsField(const char* begin, const char* end) {
    if (!begin || end <= begin) return std::nullopt;
    std::optional<std::string> found;
    scanHeaderBlock(begin, end, [&found](std::string_view name, std::string_view value) {
        if (found || !equalsIgnoringCase(trimmedBlanks(name), "X-Gmail-Labels")) return;
        // Unfolding: the line breaks go, the blanks that begin the next line stay.
        std::string unfolded;
        unfolded.reserve(value.size());
        for (const char c : value) {
            if (c != '\r' && c != '\n') unfolded += c;
        }
        found = std::move(unfolded);
    });
    return found;
}

std::vector<std::string> parseGmailLabels(Charsets& charsets, std::string_view value) {
    // A label with characters beyond ASCII comes as an encoded word, and
    // Takeout may encode the whole list, commas included, as one word.
    const std::string text = headerText(charsets, value, "");
    std::vector<std::string> labels;
    std::string label;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '\\' && i + 1 < text.size()) {
            label += text[++i];
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            addLabel(labels, label);
        } else {
            label += c;
        }
    }
    // An unclosed quote runs to the end: its label is kept as it stands.
    addLabel(labels, label);
    return labels;
}

std::vector<std::string> gmailLabelsOf(Charsets& charsets, const char* begin, const char* end) {
    const std::optional<std::string> field = gmailLabelsField(begin, end);
    return field ? parseGmailLabels(charsets, *field) : std::vector<std::string>();
}

LabelRole labelRole(std::string_view label) {
    for (const KnownLabel& known : kKnownLabels) {
        if (equalsIgnoringCase(label, known.name)) return known.role;
    }
    for (const std::string_view prefix : kSystemPrefixes) {
        if (label.size() > prefix.size() && startsWithIgnoringCase(label, prefix)) return LabelRole::System;
    }
    return LabelRole::User;
}

bool isSystemLabel(std::string_view label) { return labelRole(label) == LabelRole::System; }

std::string labelFolder(const std::vector<std::string>& labels) {
    const std::string* inbox = nullptr;
    const std::string* user = nullptr;
    const std::string* archived = nullptr;
    for (const std::string& label : labels) {
        switch (labelRole(label)) {
            case LabelRole::Sent: return label;
            case LabelRole::Inbox:
                if (!inbox) inbox = &label;
                break;
            case LabelRole::User:
                if (!user && !labelFolderPath(label).empty()) user = &label;
                break;
            case LabelRole::Archived:
                if (!archived) archived = &label;
                break;
            default: break;
        }
    }
    if (inbox) return *inbox;
    if (user) return *user;
    if (archived) return *archived;
    return std::string(kArchivedFolder);
}

std::string labelFolderPath(std::string_view label) {
    std::string path;
    size_t start = 0;
    while (start <= label.size()) {
        size_t stop = label.find('/', start);
        if (stop == std::string_view::npos) stop = label.size();
        std::string name;
        for (const char c : label.substr(start, stop - start)) {
            if (c != '\\') name += c;
        }
        const std::string_view trimmed = trimmedBlanks(name);
        if (!trimmed.empty()) {
            if (!path.empty()) path += '/';
            path += trimmed;
        }
        start = stop + 1;
    }
    return path;
}

}  // namespace tessaly
