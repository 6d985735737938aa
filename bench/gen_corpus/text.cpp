// text.cpp - prose, names, addresses and subjects for the generated messages.
#include "gen_corpus/text.h"

#include <iterator>

namespace tessaly::bench {

namespace {

// Roughly in order of frequency: the generator favours the front.
const char* const kWords[] = {
    "the", "of", "and", "to", "a", "in", "is", "it", "that", "for", "you", "was", "on", "with", "as",
    "we", "be", "at", "this", "have", "from", "or", "by", "not", "but", "are", "all", "can", "will",
    "they", "if", "there", "which", "our", "one", "would", "about", "so", "what", "when", "more",
    "your", "out", "up", "time", "some", "them", "could", "new", "other", "then", "been", "also",
    "only", "into", "any", "these", "two", "may", "first", "should", "after", "like", "over", "well",
    "just", "week", "meeting", "report", "project", "next", "please", "thanks", "send", "need",
    "know", "think", "file", "attached", "version", "change", "changes", "server", "people", "still",
    "because", "before", "make", "good", "same", "work", "last", "since", "every", "both", "while",
    "budget", "draft", "review", "team", "office", "monday", "friday", "tomorrow", "morning",
    "evening", "question", "answer", "problem", "issue", "release", "customer", "order", "invoice",
    "schedule", "travel", "conference", "agenda", "minutes", "figures", "quarter", "account",
    "contract", "proposal", "update", "list", "mail", "message", "address", "number", "phone",
    "call", "later", "soon", "again", "early", "late", "probably", "certainly", "perhaps", "agree",
    "suggest", "explain", "remember", "forget", "decide", "finish", "start", "build", "test",
    "garden", "weather", "holiday", "family", "children", "kitchen", "window", "river", "mountain",
    "village", "train", "station", "ticket", "hotel", "dinner", "lunch", "coffee", "paper", "letter",
    "picture", "photo", "camera", "printer", "computer", "network", "backup", "password", "database",
    "library", "software", "manual", "document", "chapter", "section", "table", "summary", "detail",
    "reason", "result", "example", "figure", "price", "cost", "total", "amount", "payment", "bank",
    "delivery", "package", "shipment", "warehouse", "supplier", "machine", "engine", "sample",
    "quality", "standard", "policy", "committee", "board", "member", "chair", "vote", "decision",
    "important", "possible", "different", "available", "necessary", "simple", "difficult", "quick",
    "slow", "small", "large", "long", "short", "old", "young", "happy", "sorry", "ready", "busy",
    "free", "open", "closed", "final", "current", "previous", "following", "several", "many",
    "few", "most", "least", "enough", "quite", "rather", "really", "almost", "already", "always",
    "never", "often", "sometimes", "usually", "indeed", "however", "therefore", "meanwhile",
};

const char* const kLatin1Words[] = {
    "café", "naïve", "résumé", "Grüße", "Straße", "Größe", "Müller", "señor", "mañana", "déjà",
    "façade", "Übersicht", "réunion", "Zürich", "København", "Ångström", "crème", "brûlée",
    "fiancée", "Gödel", "Måløy", "São", "coöperate", "über", "Ärger", "Öl", "piñata", "½", "£50",
    "§3", "«bien»", "±2", "°C", "¿qué?", "¡olé!",
};

const char* const kUtf8Words[] = {
    "€20", "Привет", "日本語", "東京", "Łódź", "Dvořák", "Škoda", "Ελληνικά", "שלום", "مرحبا",
    "İstanbul", "naïve", "—", "“quoted”", "…", "Zürich", "™", "✓", "Kraków", "Ørsted",
};

const char* const kFirstNames[] = {
    "John", "Mary", "Peter", "Susan", "David", "Linda", "Michael", "Karen", "James", "Anna", "Robert",
    "Laura", "Thomas", "Emma", "Paul", "Sarah", "Mark", "Julia", "Steve", "Helen", "Chris", "Nina",
    "Alice", "Bob", "Carol", "Dave", "Eve", "Frank", "Grace", "Heidi", "Ivan", "Judy", "Mallory",
};
const char* const kLatin1FirstNames[] = {"José", "François", "Jürgen", "Søren", "Zoë", "Björn", "Inés", "Réka"};
const char* const kUtf8FirstNames[] = {"Łukasz", "Jiří", "Дмитрий", "太郎", "Ἀλέξανδρος", "Ayşe"};

const char* const kLastNames[] = {
    "Smith", "Jones", "Taylor", "Brown", "Williams", "Wilson", "Johnson", "Davies", "Robinson", "Wright",
    "Thompson", "Evans", "Walker", "White", "Roberts", "Green", "Hall", "Wood", "Jackson", "Clarke",
    "O'Brien", "van der Berg", "Schmidt", "Meyer", "Rossi", "Dubois", "Novak", "Kowalski", "Nakamura",
};
const char* const kLatin1LastNames[] = {"Müller", "García", "Ødegård", "Böhm", "Núñez", "Lefèvre"};
const char* const kUtf8LastNames[] = {"Dvořák", "Wałęsa", "Иванов", "山田", "Yılmaz"};

const char* const kDomains[] = {
    "example.com", "example.org", "example.net", "mail.example.com", "lists.example.org",
    "corp.example.com", "research.example.net", "acme.test", "globex.test", "initech.example",
    "uni-nowhere.test", "post.example", "home.example.net", "dialup.example.com",
};

// Subject words, capitalised here and there.
const char* const kSubjectPhrases[] = {
    "Meeting on Friday", "Budget for next year", "Minutes of the last meeting", "Your order",
    "Invoice", "Holiday photos", "Draft report", "Question about the contract", "Server outage",
    "New version available", "Lunch?", "Agenda", "Travel plans", "Weekly status", "Urgent: password",
    "Re-scheduled", "Call tomorrow", "Figures for Q3", "[announce] release", "The garden",
};

std::string capitalised(std::string word) {
    if (!word.empty() && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 'a' + 'A');
    return word;
}

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// An address part from a name: ASCII letters only.
std::string localPart(const std::string& name) {
    std::string out;
    for (char c : lowerAscii(name)) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) out += c;
    }
    return out;
}

}  // namespace

std::string makeWord(Random& random) {
    constexpr size_t n = std::size(kWords);
    return kWords[random.skewed(n)];
}

std::string makeDomain(Random& random) { return random.pick(kDomains); }

Person makePerson(Random& random, Letters letters) {
    Person person;
    std::string last;
    const uint64_t roll = random.below(100);
    if (letters == Letters::Utf8 && roll < 30) {
        person.first = random.pick(kUtf8FirstNames);
        last = random.pick(kUtf8LastNames);
    } else if (letters != Letters::Ascii && roll < 60) {
        person.first = random.pick(kLatin1FirstNames);
        last = random.pick(kLatin1LastNames);
    } else {
        person.first = random.pick(kFirstNames);
        last = random.pick(kLastNames);
    }
    std::string local = localPart(person.first);
    if (local.empty()) local = "user";
    switch (random.below(4)) {
        case 0: local += "." + localPart(last); break;
        case 1: local = local.substr(0, 1) + localPart(last); break;
        case 2: local += std::to_string(random.below(100)); break;
        default: break;
    }
    if (local.size() < 2) local += std::to_string(random.range(10, 99));
    person.address = local + "@" + makeDomain(random);
    if (!random.chance(1, 12)) person.display = person.first + " " + last;
    return person;
}

std::string makeSentence(Random& random, Letters letters) {
    std::string out;
    const uint64_t count = random.range(4, 18);
    for (uint64_t i = 0; i < count; ++i) {
        std::string word;
        if (letters == Letters::Utf8 && random.chance(1, 14)) {
            word = random.pick(kUtf8Words);
        } else if (letters != Letters::Ascii && random.chance(1, 10)) {
            word = random.pick(kLatin1Words);
        } else {
            word = makeWord(random);
            // "From" opening a sentence is a line's first word now and then.
            while (i == 0 && word == "from" && !random.chance(1, 10)) word = makeWord(random);
        }
        if (i == 0) {
            out += capitalised(word);
        } else {
            out += ' ';
            out += word;
            if (i + 1 < count && random.chance(1, 12)) out += ',';
        }
    }
    const uint64_t end = random.below(20);
    out += end == 0 ? "?" : end == 1 ? "!" : end == 2 ? " = 42." : ".";
    return out;
}

std::string makeParagraph(Random& random, Letters letters) {
    std::string out;
    const uint64_t count = random.range(1, 7);
    for (uint64_t i = 0; i < count; ++i) {
        if (i) out += ' ';
        out += makeSentence(random, letters);
    }
    return out;
}

std::string makeSubject(Random& random, Letters letters) {
    std::string subject;
    const uint64_t roll = random.below(10);
    if (roll < 3) subject = "Re: ";
    if (roll == 3) subject = "Fwd: ";
    if (roll == 4) subject = "RE: AW: ";
    if (random.chance(1, 2)) {
        subject += random.pick(kSubjectPhrases);
    } else {
        subject += capitalised(makeWord(random));
        const uint64_t words = random.range(1, 7);
        for (uint64_t i = 0; i < words; ++i) subject += " " + makeWord(random);
    }
    if (letters == Letters::Utf8) subject += " " + std::string(random.pick(kUtf8Words));
    if (letters == Letters::Latin1) subject += " " + std::string(random.pick(kLatin1Words));
    return subject;
}

std::string wrapParagraph(std::string_view text, size_t width, std::string_view prefix, bool flowed) {
    std::string out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start + width < text.size() ? start + width : text.size();
        if (end < text.size()) {
            size_t blank = text.rfind(' ', end);
            if (blank == std::string_view::npos || blank <= start) {
                blank = text.find(' ', end);  // a word longer than the line
                if (blank == std::string_view::npos) blank = text.size();
            }
            end = blank;
        }
        out += prefix;
        out += text.substr(start, end - start);
        if (flowed && end < text.size()) out += ' ';
        out += '\n';
        start = end < text.size() ? end + 1 : end;
    }
    return out;
}

}  // namespace tessaly::bench
