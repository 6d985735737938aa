// naming.cpp - archive folder, file name and stamp of a message.
#include "archive/naming.h"

#include <cstdio>

#include "message/charsets.h"
#include "message/text.h"
#include "platform/ascii.h"

namespace tessaly {

std::string archiveDirectory(const std::string& archiveFolder, const std::string& subfolderPath,
                             bool useSubfolders) {
    return archiveFolder + "/" + (useSubfolders ? subfolderPath : std::string());
}

std::string safeFolderName(std::string_view component) {
    constexpr size_t kMaxNameBytes = 255;
    // A name from an old system (an Outlook Express folder, a file name in
    // another code page) is read as windows-1252 unless it is UTF-8.
    std::string safe = safeFileText(ensureUtf8(component));
    if (safe.size() > kMaxNameBytes) {
        // The cut may bare a blank that safeFileText would have trimmed.
        safe = trimWhite(std::string_view(safe).substr(0, utf8Prefix(safe, kMaxNameBytes)));
    }
    if (!safe.empty() && safe.find_first_not_of('.') == std::string::npos) safe.assign(safe.size(), '_');
    // The archive keeps its catalogue and index files there.
    if (equalsIgnoringCase(safe, ".tessaly")) safe[0] = '_';
    return safe;
}

std::string safeFolderPath(std::string_view folderPath) {
    std::string relative;
    size_t start = 0;
    while (start <= folderPath.size()) {
        size_t stop = folderPath.find_first_of("/\\", start);
        if (stop == std::string_view::npos) stop = folderPath.size();
        const std::string safe = safeFolderName(folderPath.substr(start, stop - start));
        if (!safe.empty()) {
            if (!relative.empty()) relative += '/';
            relative += safe;
        }
        start = stop + 1;
    }
    return relative;
}

ArchiveName archiveBaseName(const TMessageInfo& info) {
    // Received mail is named after its sender, sent mail after its recipient.
    std::string who;
    if (info.hasReceived) {
        who = info.fromName.substr(0, utf8Prefix(info.fromName, 24));
    } else {
        const std::string& name = info.toName.empty() ? info.ccName : info.toName;
        who = name.substr(0, utf8Prefix(name, 24)) + " (to)";
    }
    // Cut at a character boundary: a name is always UTF-8.
    std::string subject = safeFileText(info.subjectName);
    subject.resize(utf8Prefix(subject, 40));

    const SYSTEMTIME& t = info.sentTime;
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02i%02i%04i'%02i%02i%02i'", t.wDay, t.wMonth, t.wYear,
                  t.wHour, t.wMinute, t.wSecond);
    return {who + " - " + subject + " - ", stamp + info.checksumKey};
}

std::string describeMessage(const TMessageInfo& info, const std::string& name) {
    const std::string& date = info.hasReceived ? info.received : info.date;
    return htmlEscape(textBeforeSign(date)) + htmlEscape(name);
}

std::string escapedFileName(const std::string& path) { return htmlEscape(baseName(path)); }

}  // namespace tessaly
