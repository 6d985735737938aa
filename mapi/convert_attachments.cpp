// convert_attachments.cpp - the attachments of an Outlook message as parts:
// names, Macintosh types, MacBinary, content ids and kinds.

#include "mapi/convert_message.h"
#include "mapi/memory_stream.h"
#include "message/text.h"
#include "platform/ascii.h"

namespace tessaly {

namespace {

enum : size_t {
    kAdditionalInfo,
    kDisplayName,
    kExtension,
    kShortName,
    kLongName,
    kEncoding,
    kMimeTag,
    kContentId,
    kContentLocation,
};

const std::vector<uint32_t> kAttachTags = {
    PR_ATTACH_ADDITIONAL_INFO, PR_DISPLAY_NAME,  PR_ATTACH_EXTENSION,
    PR_ATTACH_FILENAME,        PR_ATTACH_LONG_FILENAME, PR_ATTACH_ENCODING,
    PR_ATTACH_MIME_TAG,        PR_ATTACH_CONTENT_ID,    PR_ATTACH_CONTENT_LOCATION,
};

std::string valueText(const PropRow& values, size_t i) {
    return i < values.size() && !isErrorValue(values[i]) ? values[i].bytes : std::string();
}

struct KindAndExtension {
    PartKind kind = PartKind::Attachment;
    std::string extension;
    bool known = false;
};

KindAndExtension byMimeTag(const std::string& tag) {
    const std::string mime = asciiLower(tag);
    if (mime == "text/plain" || mime == "text") return {PartKind::Text, ".txt", true};
    if (mime == "text/html") return {PartKind::Html, ".html", true};
    if (mime == "application/msword") return {PartKind::Attachment, ".doc", true};
    if (mime == "application/vnd.ms-excel") return {PartKind::Attachment, ".xls", true};
    if (mime == "image/gif") return {PartKind::Image, ".gif", true};
    if (mime == "image/jpg" || mime == "image/jpeg") return {PartKind::Image, ".jpeg", true};
    return {};
}

PartKind byExtension(const std::string& name) {
    const std::string ext = asciiLower(extensionOf(name));
    if (ext == ".txt") return PartKind::Text;
    if (ext == ".html" || ext == ".htm") return PartKind::Html;
    if (ext == ".gif" || ext == ".jpg" || ext == ".jpeg") return PartKind::Image;
    return PartKind::Attachment;
}

// A Macintosh attachment names its creator and type as ":CREA:TYPE".
std::string macintoshExtension(const std::string& info) {
    if (info.size() < 10 || info[0] != ':' || info[5] != ':') return {};
    const MacExtensions ext = macExtension(info.substr(6, 4), info.substr(1, 4));
    return ext.creatorExtension.empty() ? ext.pairExtension : ext.creatorExtension;
}

void addAttachment(JobRun& run, const PropRow& values, std::string data, MessageParts& parts,
                   tagMessagePart* parent) {
    std::string name = valueText(values, kLongName);
    if (name.empty()) name = valueText(values, kShortName);
    if (name.empty()) name = valueText(values, kDisplayName);
    const std::string declared = safeFileText(name);
    std::string fileName = declared;
    if (extensionOf(fileName).empty()) fileName += macintoshExtension(valueText(values, kAdditionalInfo));

    BodyFormat format = BodyFormat::None;
    // An empty encoding names none.
    const std::string encoding = valueText(values, kEncoding);
    if (!encoding.empty()) {
        if (encoding == std::string(OID_MAC_BINARY, kMacBinaryOidLength)) {
            format = BodyFormat::MacBinary;
        } else {
            run.messageProblem("Warning: attachment <a href=\"help:err_mapiencoding.html\">unknown encoding</a>");
        }
    }

    const std::string mimeTag = valueText(values, kMimeTag);
    KindAndExtension kind = byMimeTag(mimeTag);
    if (kind.known) {
        if (extensionOf(fileName).empty()) fileName += kind.extension;
    } else {
        kind.kind = byExtension(fileName);
    }

    tagMessagePart& part = parts.add(std::move(data), kind.kind, format, fileName, parent);
    part.declaredName = declared;
    part.contentType = mimeTag;
    const std::string contentId = valueText(values, kContentId);
    const std::string location = valueText(values, kContentLocation);
    if (!contentId.empty()) {
        part.contentId = "cid:" + stripEnclosing(contentId);
    } else if (!location.empty()) {
        // HTML bodies may refer to an attachment by its location instead.
        part.contentId = location;
    }
}

}  // namespace

void readMapiAttachments(JobRun& run, MapiLibrary& library, IMessage& message, MessageParts& parts,
                         tagMessagePart* parent, int depth) {
    std::shared_ptr<IMAPITable> table;
    RowSet rows;
    if (mapiFailed(message.GetAttachmentTable(0, table)) || !table ||
        mapiFailed(table->QueryAllRows({PR_ATTACH_SIZE, PR_ATTACH_NUM, PR_ATTACH_METHOD}, rows))) {
        return;
    }
    for (const PropRow& row : rows) {
        const PropValue* number = findProp(row, PR_ATTACH_NUM);
        if (!number) continue;
        std::shared_ptr<IAttach> attach;
        if (mapiFailed(message.OpenAttach(number->number, attach)) || !attach) continue;
        PropRow values;
        if (mapiFailed(attach->GetProps(kAttachTags, values))) continue;
        std::shared_ptr<IStream> stream;
        std::string data;
        if (mapiFailed(attach->OpenProperty(PR_ATTACH_DATA_BIN, stream)) || !stream ||
            mapiFailed(readWholeStream(*stream, data))) {
            // No bytes: an attachment that holds an Outlook item.
            std::shared_ptr<IMessage> item;
            if (!mapiFailed(attach->OpenEmbeddedMessage(item)) && item) {
                std::string name = valueText(values, kLongName);
                if (name.empty()) name = valueText(values, kDisplayName);
                addEmbeddedMessage(run, library, *item, name, parts, parent, depth);
            }
            continue;
        }
        addAttachment(run, values, std::move(data), parts, parent);
    }
}

}  // namespace tessaly
