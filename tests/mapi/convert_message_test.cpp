// convert_message_test.cpp - Outlook messages from the in-memory library into
// pages: message classes, recipients, bodies, attachments, offline and
// unreadable messages, the EML refusal, RTF synchronisation and dates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "app/run.h"
#include "mapi/convert_message.h"
#include "mapi/fake_mapi.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

FILETIME at(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME time;
    time.wYear = static_cast<uint16_t>(year);
    time.wMonth = static_cast<uint16_t>(month);
    time.wDay = static_cast<uint16_t>(day);
    time.wHour = static_cast<uint16_t>(hour);
    time.wMinute = static_cast<uint16_t>(minute);
    time.wSecond = static_cast<uint16_t>(second);
    FILETIME file;
    systemTimeToFileTime(time, file);
    return file;
}

std::string le32(uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

// RTF in the uncompressed form of PR_RTF_COMPRESSED.
std::string rtfStream(const std::string& rtf) {
    return le32(static_cast<uint32_t>(rtf.size() + 12)) + le32(static_cast<uint32_t>(rtf.size())) + "MELA" +
           le32(0) + rtf;
}

PropRow recipient(const std::string& name, const std::string& address, int64_t type = -1) {
    PropRow row = {textValue(PR_DISPLAY_NAME, name), textValue(PR_EMAIL_ADDRESS, address)};
    if (type >= 0) row.push_back(longValue(PR_RECIPIENT_TYPE, static_cast<uint32_t>(type)));
    return row;
}

// A sent e-mail from Ann to Bob with a plain body.
FakeMessage mail() {
    FakeMessage m;
    m.props = {textValue(PR_MESSAGE_CLASS, "IPM.Note"), textValue(PR_SUBJECT, "Hi"),
               textValue(PR_SENDER_NAME, "Ann"), textValue(PR_SENDER_EMAIL_ADDRESS, "ann@example.com"),
               timeValue(PR_CLIENT_SUBMIT_TIME, at(2002, 9, 5, 14, 30, 7))};
    m.recipients = {recipient("Bob", "bob@example.com", MAPI_TO)};
    m.streams[PR_BODY] = "Hello\r\nWorld\r\n";
    return m;
}

FakeAttachment attachment(uint32_t nameTag, const std::string& name, const std::string& data,
                          const std::string& mime = "") {
    FakeAttachment a;
    a.props = {textValue(nameTag, name)};
    if (!mime.empty()) a.props.push_back(textValue(PR_ATTACH_MIME_TAG, mime));
    a.data = data;
    return a;
}

class ConvertTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* zone = std::getenv("TZ");
        savedZone_ = zone ? zone : "";
        hadZone_ = zone != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
        start(true);
    }
    void TearDown() override {
        if (hadZone_) {
            setenv("TZ", savedZone_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

    // A new run archiving into `root` (pages in the root itself).
    void start(bool html, const std::string& root = "") {
        problems.clear();
        writer.reset();
        run.beginRun(nullptr, nullptr, [this](const std::string& line) { problems += line + "\n"; });
        run.startFolder("Inbox/");
        writer = std::make_unique<ArchiveWriter>(
            run, run.decoder, ArchiveOptions{root.empty() ? dir.path() : root, html ? OutputFormat::Html : OutputFormat::Eml, false});
        target = &writer->openFolder("", "Inbox");
    }

    // One message into the target folder, named `folder` on its page; its
    // files are in place on return.
    void convert(FakeMessage& message, uint32_t options = kSkipRtfSync, const std::string& folder = "Inbox") {
        if (target->folderName() != folder) target = &writer->openFolder("", folder);
        run.startMessage();
        const std::shared_ptr<IMessage> object = makeFakeMessage(world, message);
        ConvertMapiMessage(*target, *library, *object, "LABEL", options);
        run.finishMessage();
        writer->batch().commit();
    }

    // Names of the pages written.
    std::vector<std::string> pages() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            if (entry.path().extension() == ".html") names.push_back(entry.path().filename().string());
        }
        return names;
    }
    std::string page() const {
        const std::vector<std::string> names = pages();
        EXPECT_EQ(names.size(), 1u);
        return names.empty() ? std::string() : readFile(dir.file(names[0]));
    }
    // Attachment file names (the stamp cut off) -> content.
    // The attachment files in place; the folder is open, so staged files
    // made ahead for it lie beside them.
    static std::map<std::string, std::string> savedIn(const std::string& folder) {
        std::map<std::string, std::string> files;
        if (!fs::exists(folder + "/attachments")) return files;  // closed without any
        for (const auto& entry : fs::directory_iterator(folder + "/attachments")) {
            const std::string name = entry.path().filename().string();
            if (!isStaleTemporaryName(name)) files[name] = readFile(entry.path().string());
        }
        return files;
    }
    std::map<std::string, std::string> saved() const { return savedIn(dir.path()); }
    std::string savedEnding(const std::string& suffix) const {
        for (const auto& [name, content] : saved()) {
            if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
                return content;
            }
        }
        ADD_FAILURE() << "no saved file ending " << suffix;
        return {};
    }

    TempDir dir;
    ArchiveRun run;
    std::unique_ptr<ArchiveWriter> writer;
    TargetFolder* target = nullptr;
    std::string problems;
    std::shared_ptr<FakeMapi> world = std::make_shared<FakeMapi>();
    std::unique_ptr<MapiLibrary> library = makeFakeLibrary(world);

private:
    std::string savedZone_;
    bool hadZone_ = false;
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(ConvertTest, OnlyEmailClassesAreArchived) {
    const struct {
        const char* messageClass;  // null: no class at all
        bool archived;
    } cases[] = {
        {"IPM.Note", true},
        {"IPF.Note", true},
        {"IPM.Note.SMIME.MultipartSigned", true},  // the first eight characters count
        {"IPM.Schedule.Meeting.Request", false},
        {"ipm.note", false},                        // letter case counts
        {"IPM.Not", false},                         // shorter than eight
        {nullptr, false},
    };
    for (const auto& c : cases) {
        TempDir fresh;
        FakeMessage m = mail();
        m.props.erase(m.props.begin());
        if (c.messageClass) m.props.push_back(textValue(PR_MESSAGE_CLASS, c.messageClass));
        start(true, fresh.path());
        convert(m, kSkipRtfSync, "In<box");
        writer.reset();  // its empty attachments folder goes
        const bool written = pathExists(fresh.path() + "/*");
        EXPECT_EQ(written, c.archived) << (c.messageClass ? c.messageClass : "none");
        if (c.archived) continue;
        std::string line = "Warning: <a href=\"help:err_mapinotemail.html\">something's not an email</a> in "
                           "In&lt;box - LABEL";
        if (c.messageClass) line += std::string(" It's an ") + c.messageClass;
        EXPECT_EQ(problems, line + "\n");
        EXPECT_FALSE(run.messageHadProblem);
    }
}

TEST_F(ConvertTest, RecipientsByTypeWithBccInCc) {
    FakeMessage m = mail();
    m.recipients = {
        recipient("Bob", "bob@example.com", MAPI_TO),
        recipient("carol@example.com", "carol@example.com", MAPI_CC),  // name equal to address: dropped
        recipient("Dave Exchange", "/O=ORG/CN=DAVE", MAPI_BCC),       // no "@": shown by name only
        recipient("Eve", "eve@example.com"),                           // no type: To
        recipient("", "/O=ORG/CN=NOBODY", MAPI_TO),                   // nothing left to show
        recipient("Mallory", "m@example.com", 0x80000000u | MAPI_CC),  // submitted flag on a Cc
    };
    convert(m);
    // A sent message is named after its first recipient; two or more make " +al".
    ASSERT_EQ(pages().size(), 1u);
    EXPECT_EQ(pages()[0].rfind("Bob +al (to) - Hi - 05092002'143007'", 0), 0u) << pages()[0];
    const std::string text = page();
    EXPECT_TRUE(contains(text, "<div class=\"cc\"><span class=\"title\">Cc:</span> <span class=\"value\">"
                               "<a href=\"mailto:carol@example.com\">&lt;carol@example.com&gt;</a>, Dave Exchange, "
                               "<a href=\"mailto:m@example.com\">Mallory</a> <a href=\"mailto:m@example.com\">"
                               "&lt;m@example.com&gt;</a></span></div>"))
        << text;
    EXPECT_TRUE(contains(text, "<a href=\"mailto:eve@example.com\">Eve</a>"));
    EXPECT_FALSE(contains(text, "NOBODY"));
    EXPECT_TRUE(contains(text, "<div class=\"from\"><span class=\"title\">From:</span> <span class=\"value\">"
                               "<a href=\"mailto:ann@example.com\">Ann</a> <a href=\"mailto:ann@example.com\">"
                               "&lt;ann@example.com&gt;</a></span></div>"));
}

TEST_F(ConvertTest, BodyChoice) {
    const std::string fromText = rtfStream("{\\rtf1\\ansi\\fromtext Hello}");
    const std::string fromHtml =
        rtfStream("{\\rtf1\\ansi\\fromhtml1 {\\*\\htmltag64 <html>}hi{\\*\\htmltag72 </html>}}");
    const std::string realRtf = rtfStream("{\\rtf1\\ansi {\\b bold}}");
    const struct {
        const char* why;
        std::string html;  // PR_BODY_HTML, when not empty
        std::string rtf;   // PR_RTF_COMPRESSED, when not empty
        std::string label; // the link the page shows, empty for none
        std::string savedEnding;
        std::string savedContent;
    } cases[] = {
        {"plain only", "", "", "", "", ""},
        {"HTML is saved and linked", "<p>x</p>", "", "message.html", ".html", "<p>x</p>"},
        {"HTML wins over RTF", "<p>x</p>", realRtf, "message.html", ".html", "<p>x</p>"},
        {"RTF from plain text repeats the plain body", "", fromText, "", "", ""},
        {"RTF around HTML becomes the HTML", "", fromHtml, "message.html", ".html", "<html>hi</html>"},
        {"other RTF is saved as .rtf", "", realRtf, "attachment.rtf", ".rtf", "{\\rtf1\\ansi {\\b bold}}"},
        {"damaged RTF is left out", "", "LZFu garbage", "", "", ""},
    };
    for (const auto& c : cases) {
        TempDir fresh;
        start(true, fresh.path());
        FakeMessage m = mail();
        if (!c.html.empty()) m.streams[PR_BODY_HTML] = c.html;
        if (!c.rtf.empty()) m.streams[PR_RTF_COMPRESSED] = c.rtf;
        convert(m);
        writer->closeFolder();  // before `fresh` goes: nothing more is made in it
        std::string text;
        for (const auto& entry : fs::directory_iterator(fresh.path())) {
            if (entry.path().extension() == ".html") text = readFile(entry.path().string());
        }
        std::map<std::string, std::string> files = savedIn(fresh.path());
        // An HTML body also has its safe copy, which the page shows folded
        // below the plain body.
        const bool html = c.savedEnding == ".html";
        const auto copy = std::find_if(files.begin(), files.end(),
                                       [](const auto& file) { return contains(file.first, " (safe copy).html"); });
        EXPECT_EQ(copy != files.end(), html) << c.why;
        EXPECT_EQ(contains(text, "<details class=\"formatted\">"), html) << c.why;
        if (copy != files.end()) files.erase(copy);
        // The plain body is always the page's text.
        EXPECT_TRUE(contains(text, "<div class=\"flowed\">\r\n<p>Hello</p>\r\n\r\n<p>World</p>")) << c.why;
        if (c.label.empty()) {
            EXPECT_FALSE(contains(text, "class=\"attachments\"")) << c.why;
            EXPECT_TRUE(files.empty()) << c.why;
            continue;
        }
        EXPECT_TRUE(contains(text, ">" + c.label + "</a>")) << c.why;
        ASSERT_EQ(files.size(), 1u) << c.why;
        const std::string& name = files.begin()->first;
        EXPECT_EQ(name.substr(name.size() - c.savedEnding.size()), c.savedEnding) << c.why;
        EXPECT_EQ(files.begin()->second, c.savedContent) << c.why;
    }
}

TEST_F(ConvertTest, AttachmentsByMimeTagExtensionAndMacintoshType) {
    FakeMessage m = mail();
    FakeAttachment mac = attachment(PR_ATTACH_LONG_FILENAME, "letter", "W8BN data");
    mac.props.push_back(binaryValue(PR_ATTACH_ADDITIONAL_INFO, ":MSWD:W8BN"));
    FakeAttachment fails = attachment(PR_ATTACH_LONG_FILENAME, "gone.txt", "x");
    fails.openFails = true;
    FakeAttachment noData = attachment(PR_ATTACH_LONG_FILENAME, "empty.txt", "x");
    noData.dataFails = true;
    m.attachments = {
        attachment(PR_ATTACH_LONG_FILENAME, "pic", "GIF89a", "image/gif"),        // kind and extension by MIME
        attachment(PR_ATTACH_FILENAME, "notes", "note text", "text/plain"),       // shown inline
        attachment(PR_DISPLAY_NAME, "photo.JPG", "jpeg bytes"),                   // image by extension
        attachment(PR_ATTACH_LONG_FILENAME, "report", "doc", "APPLICATION/MSWORD"),  // MIME in capitals
        mac,                                                                       // ".doc" from the creator
        attachment(PR_ATTACH_LONG_FILENAME, "a/b:c?.pdf", "pdf"),                  // cleaned name
        fails,                                                                     // left out
        noData,                                                                    // left out
    };
    convert(m);
    const std::string text = page();
    const std::map<std::string, std::string> files = saved();
    std::vector<std::string> names;
    for (const auto& [name, content] : files) names.push_back(name.substr(0, name.find(" - ")) + name.substr(name.rfind('.')));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"abc.pdf", "letter.doc", "photo.JPG", "pic.gif", "report.doc"}));
    EXPECT_TRUE(contains(text, "<img src=\"attachments/pic - 05092002'143007'"));
    EXPECT_TRUE(contains(text, "<img src=\"attachments/photo - 05092002'143007'"));
    EXPECT_TRUE(contains(text, ">report</a>"));       // labelled with the name as stored
    EXPECT_TRUE(contains(text, "<p>note text</p>"));  // text/plain shown with the bodies
    EXPECT_TRUE(problems.empty()) << problems;
    EXPECT_EQ(run.problemCount, 0u);
}

// Outlook items attached to a message (a forward as attachment), nested:
// each saved as an .eml file built of its properties, its texts shown under
// its own headers, its attachments saved.
TEST_F(ConvertTest, AttachedOutlookItemsAreSavedAndOpened) {
    auto inner = std::make_shared<FakeMessage>(mail());
    inner->props = {textValue(PR_MESSAGE_CLASS, "IPM.Note"), textValue(PR_SUBJECT, "Caf\xC3\xA9 notes"),
                    textValue(PR_SENDER_NAME, "Dave"), textValue(PR_SENDER_EMAIL_ADDRESS, "dave@example.net"),
                    timeValue(PR_CLIENT_SUBMIT_TIME, at(2002, 9, 1, 8, 0, 0))};
    inner->streams[PR_BODY] = "Deepest text\r\n";
    inner->attachments = {attachment(PR_ATTACH_LONG_FILENAME, "deep.pdf", "%PDF-deep")};
    auto middle = std::make_shared<FakeMessage>(mail());
    middle->props[1] = textValue(PR_SUBJECT, "Middle");
    middle->streams[PR_BODY] = "Middle text\r\n";
    FakeAttachment holdsInner = attachment(PR_DISPLAY_NAME, "Cafe notes.msg", "");
    holdsInner.item = inner;
    middle->attachments = {holdsInner};
    FakeMessage m = mail();
    FakeAttachment holdsMiddle = attachment(PR_DISPLAY_NAME, "Middle", "");
    holdsMiddle.item = middle;
    m.attachments = {holdsMiddle};
    convert(m);

    const std::string text = page();
    EXPECT_TRUE(contains(text, ">Middle.eml</a>"));
    EXPECT_TRUE(contains(text, ">Cafe&nbsp;notes.eml</a>"));
    EXPECT_TRUE(contains(text, ">deep.pdf</a>"));
    EXPECT_TRUE(contains(text, "<span class=\"value\">Middle</span>"));
    EXPECT_TRUE(contains(text, "<span class=\"value\">Caf\xC3\xA9 notes</span>"));
    EXPECT_LT(text.find("Middle text"), text.find("Deepest text"));
    EXPECT_EQ(savedEnding(".pdf"), "%PDF-deep");
    // The .eml of the inner item: its headers, its body, its attachment.
    std::string inmost;
    for (const auto& [name, content] : saved()) {
        if (name.rfind("Cafe notes", 0) == 0) inmost = content;
    }
    EXPECT_TRUE(contains(inmost, "From: Dave <dave@example.net>\r\n")) << inmost;
    EXPECT_TRUE(contains(inmost, "Subject: =?UTF-8?B?Q2Fmw6kgbm90ZXM=?=\r\n")) << inmost;
    EXPECT_TRUE(contains(inmost, "Content-Type: multipart/mixed; boundary=\"=_tessaly_1\"")) << inmost;
    EXPECT_TRUE(contains(inmost, "Deepest text")) << inmost;
    EXPECT_TRUE(contains(inmost, "filename=\"deep.pdf\"\r\nContent-Transfer-Encoding: base64") ||
                contains(inmost, "Content-Disposition: attachment; filename=\"deep.pdf\"")) << inmost;
    EXPECT_TRUE(contains(inmost, "JVBERi1kZWVw")) << inmost;  // "%PDF-deep"
    EXPECT_TRUE(problems.empty()) << problems;
}

TEST_F(ConvertTest, EncodingsMacBinaryAndUnknown) {
    std::string macBinary(128, '\0');
    macBinary[1] = 4;
    macBinary.replace(2, 4, "file");
    macBinary[86] = 4;  // data fork of four bytes
    macBinary += "DATArest of the resource fork";

    FakeMessage m = mail();
    FakeAttachment mac = attachment(PR_ATTACH_LONG_FILENAME, "mac.bin", macBinary);
    mac.props.push_back(binaryValue(PR_ATTACH_ENCODING, std::string(OID_MAC_BINARY, kMacBinaryOidLength)));
    FakeAttachment odd = attachment(PR_ATTACH_LONG_FILENAME, "odd.dat", "raw");
    odd.props.push_back(binaryValue(PR_ATTACH_ENCODING, "\x01\x02"));
    FakeAttachment none = attachment(PR_ATTACH_LONG_FILENAME, "plain.dat", "raw2");
    none.props.push_back(binaryValue(PR_ATTACH_ENCODING, ""));  // an empty encoding names none
    m.attachments = {mac, odd, none};
    convert(m);

    EXPECT_EQ(savedEnding(".bin"), "DATA");
    const std::map<std::string, std::string> files = saved();
    for (const auto& [name, content] : files) {
        if (name.rfind("odd", 0) == 0) {
            EXPECT_EQ(content, "raw");
        }
        if (name.rfind("plain", 0) == 0) {
            EXPECT_EQ(content, "raw2");
        }
    }
    ASSERT_EQ(std::count(problems.begin(), problems.end(), '\n'), 1) << problems;
    EXPECT_EQ(problems.rfind("Warning: attachment <a href=\"help:err_mapiencoding.html\">unknown encoding</a> (Inbox/", 0),
              0u)
        << problems;
    EXPECT_EQ(run.problemCount, 1u);
}

TEST_F(ConvertTest, InlineImagesByContentIdAndLocation) {
    FakeMessage m = mail();
    m.streams[PR_BODY_HTML] = "<img src=\"cid:logo@x\"><img src=\"http://x/chart.png\">";
    FakeAttachment logo = attachment(PR_ATTACH_LONG_FILENAME, "logo.gif", "GIF89a", "image/gif");
    logo.props.push_back(textValue(PR_ATTACH_CONTENT_ID, "<logo@x>"));
    FakeAttachment chart = attachment(PR_ATTACH_LONG_FILENAME, "chart.png", "PNG", "image/png");
    chart.props.push_back(textValue(PR_ATTACH_CONTENT_LOCATION, "http://x/chart.png"));
    m.attachments = {logo, chart};
    convert(m);
    const std::string html = savedEnding("(2).html");
    EXPECT_EQ(html.find("cid:"), std::string::npos) << html;
    EXPECT_TRUE(contains(html, "<img src=\"logo - 05092002'143007'")) << html;
    EXPECT_TRUE(contains(html, "<img src=\"chart - 05092002'143007'")) << html;
}

TEST_F(ConvertTest, OfflineUnreadableAndHeaderOnlyMessages) {
    FakeMessage empty = mail();
    empty.streams.clear();
    convert(empty);
    EXPECT_EQ(run.offlineCount, 1u);
    EXPECT_TRUE(pages().empty());

    FakeMessage denied = mail();
    denied.getPropsResult = E_ACCESSDENIED;
    convert(denied);
    EXPECT_EQ(run.offlineCount, 2u);
    EXPECT_EQ(run.problemCount, 0u);
    EXPECT_EQ(problems,
              "Error: <a href=\"help:err_offline.html\">This email was not available offline</a> (Inbox/)\n"
              "Error: <a href=\"help:err_offline.html\">This email was not available offline</a> (Inbox/)"
              " Further errors of this type won't be reported for this folder.\n");

    problems.clear();
    FakeMessage broken = mail();
    broken.getPropsResult = MAPI_E_CALL_FAILED;
    convert(broken);
    EXPECT_EQ(problems, "Error: <a href=\"help:err_mapireadmsg.html\">unable to read a message</a> in Inbox/ - "
                        "MAPI_E_CALL_FAILED\n");
    EXPECT_EQ(run.problemCount, 1u);

    // Internet headers alone are enough for a page.
    FakeMessage headersOnly = mail();
    headersOnly.streams.clear();
    headersOnly.props.push_back(textValue(PR_TRANSPORT_MESSAGE_HEADERS, "Subject: Hi\r\n\r\n"));
    convert(headersOnly);
    EXPECT_EQ(pages().size(), 1u);
}

TEST_F(ConvertTest, EmlIsRefusedOncePerRun) {
    start(false);
    FakeMessage first = mail();
    FakeMessage second = mail();
    convert(first);
    convert(second);
    EXPECT_EQ(problems, "Error: <a href=\"help:err_psteml.html\">Cannot save from Outlook to EML</a>.\n");
    EXPECT_EQ(run.problemCount, 2u);
    EXPECT_TRUE(pages().empty());
}

TEST_F(ConvertTest, RtfSyncOnlyWhenOutOfSyncAndAllowed) {
    FakeMessage m = mail();
    convert(m, kSkipRtfSync);
    EXPECT_EQ(world->count("RTFSync"), 0u);
    convert(m, 0);  // PR_RTF_IN_SYNC missing
    EXPECT_EQ(world->count("RTFSync"), 1u);
    m.props.push_back(boolValue(PR_RTF_IN_SYNC, true));
    convert(m, 0);
    EXPECT_EQ(world->count("RTFSync"), 1u);
    // The read-only library never reports an update, so nothing is saved.
    EXPECT_EQ(world->count("SaveChanges"), 0u);
}

TEST_F(ConvertTest, ReceivedMessagesAndInternetHeaders) {
    FakeMessage m = mail();
    m.props.push_back(textValue(PR_RECEIVED_BY_NAME, "Bob"));
    m.props.push_back(timeValue(PR_MESSAGE_DELIVERY_TIME, at(2002, 9, 5, 14, 31, 0)));
    m.props.push_back(textValue(PR_INTERNET_MESSAGE_ID, "<id@example.com>"));
    convert(m);
    ASSERT_EQ(pages().size(), 1u);
    // Received: named after the sender; the times are the store's, in UTC here.
    EXPECT_EQ(pages()[0].rfind("Ann - Hi - 05092002'143007'", 0), 0u) << pages()[0];
    std::string text = page();
    EXPECT_TRUE(contains(text, "<span class=\"value\">Thu, 5 Sep 2002 14:30:07 +0000 (UTC)</span>")) << text;
    EXPECT_TRUE(contains(text, "Received:</span> <span class=\"value\">Thu, 5 Sep 2002 14:31:00 +0000 (UTC)")) << text;
    EXPECT_TRUE(contains(text, "Message-id:</span> <span class=\"value\">id@example.com</span>"));

    // The internet headers give the dates as written and a newsgroup list.
    TempDir other;
    start(true, other.path());
    FakeMessage news = mail();
    news.props.push_back(textValue(PR_TRANSPORT_MESSAGE_HEADERS,
                                   "Received: from x by y; Wed, 2 Oct 2002 11:00:00 +0200\r\n"
                                   "Date: Tue, 1 Oct 2002 10:00:00 +0200\r\nNewsgroups: comp.mail\r\n\r\n"));
    convert(news);
    writer.reset();
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(other.path())) names.push_back(entry.path().filename().string());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].rfind("Ann - Hi - 01102002'100000'", 0), 0u) << names[0];
    text = readFile(other.file(names[0]));
    EXPECT_TRUE(contains(text, "<div class=\"news\"><span class=\"title\">News:</span>")) << text;
    EXPECT_TRUE(contains(text, "Received:</span> <span class=\"value\">Wed, 2 Oct 2002 11:00:00 +0200")) << text;
}

TEST_F(ConvertTest, NothingOnceStopped) {
    FakeMessage m = mail();
    run.stopRequested = true;
    convert(m);
    EXPECT_TRUE(pages().empty());
}

}  // namespace
}  // namespace tessaly::test
