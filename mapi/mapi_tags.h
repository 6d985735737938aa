// mapi_tags.h - MAPI property tags, types, flags and object types, with the
// values MAPI publishes.
#pragma once

#include <cstdint>

namespace tessaly {

// A property tag: the property id in the high 16 bits, its type in the low.
constexpr uint32_t propId(uint32_t tag) { return tag >> 16; }
constexpr uint32_t propType(uint32_t tag) { return tag & 0xFFFF; }
constexpr uint32_t changePropType(uint32_t tag, uint32_t type) { return (tag & 0xFFFF0000u) | type; }

constexpr uint32_t PT_UNSPECIFIED = 0x0000;
constexpr uint32_t PT_SHORT = 0x0002;
constexpr uint32_t PT_LONG = 0x0003;
constexpr uint32_t PT_ERROR = 0x000A;
constexpr uint32_t PT_BOOLEAN = 0x000B;
constexpr uint32_t PT_OBJECT = 0x000D;
constexpr uint32_t PT_I8 = 0x0014;
constexpr uint32_t PT_STRING8 = 0x001E;
constexpr uint32_t PT_UNICODE = 0x001F;
constexpr uint32_t PT_SYSTIME = 0x0040;
constexpr uint32_t PT_BINARY = 0x0102;

// Message properties.
constexpr uint32_t PR_MESSAGE_CLASS = 0x001A001E;
constexpr uint32_t PR_SUBJECT = 0x0037001E;
constexpr uint32_t PR_CLIENT_SUBMIT_TIME = 0x00390040;
constexpr uint32_t PR_RECEIVED_BY_ENTRYID = 0x003F0102;
constexpr uint32_t PR_RECEIVED_BY_NAME = 0x0040001E;
constexpr uint32_t PR_SENT_REPRESENTING_NAME = 0x0042001E;
constexpr uint32_t PR_SENT_REPRESENTING_EMAIL_ADDRESS = 0x0065001E;
constexpr uint32_t PR_RECEIVED_BY_EMAIL_ADDRESS = 0x0076001E;
constexpr uint32_t PR_TRANSPORT_MESSAGE_HEADERS = 0x007D001E;
constexpr uint32_t PR_RECIPIENT_TYPE = 0x0C150003;
constexpr uint32_t PR_SENDER_NAME = 0x0C1A001E;
constexpr uint32_t PR_SENDER_EMAIL_ADDRESS = 0x0C1F001E;
constexpr uint32_t PR_DISPLAY_TO = 0x0E04001E;
constexpr uint32_t PR_MESSAGE_DELIVERY_TIME = 0x0E060040;
constexpr uint32_t PR_MESSAGE_SIZE = 0x0E080003;
constexpr uint32_t PR_MESSAGE_RECIPIENTS = 0x0E12000D;
constexpr uint32_t PR_MESSAGE_ATTACHMENTS = 0x0E13000D;
constexpr uint32_t PR_RTF_IN_SYNC = 0x0E1F000B;
constexpr uint32_t PR_ATTACH_SIZE = 0x0E200003;
constexpr uint32_t PR_ATTACH_NUM = 0x0E210003;
constexpr uint32_t PR_BODY = 0x1000001E;
constexpr uint32_t PR_INTERNET_CPID = 0x3FDE0003;     // code page of the internet body
constexpr uint32_t PR_MESSAGE_CODEPAGE = 0x3FFD0003;  // code page of the 8-bit strings
constexpr uint32_t PR_RTF_COMPRESSED = 0x10090102;
constexpr uint32_t PR_BODY_HTML = 0x1013001E;
constexpr uint32_t PR_INTERNET_MESSAGE_ID = 0x1035001E;

// Common object properties.
constexpr uint32_t PR_ENTRYID = 0x0FFF0102;
constexpr uint32_t PR_OBJECT_TYPE = 0x0FFE0003;
constexpr uint32_t PR_RECORD_KEY = 0x0FF90102;
constexpr uint32_t PR_DISPLAY_NAME = 0x3001001E;
constexpr uint32_t PR_EMAIL_ADDRESS = 0x3003001E;
constexpr uint32_t PR_RESOURCE_FLAGS = 0x30090003;

// Store and folder properties.
constexpr uint32_t PR_VALID_FOLDER_MASK = 0x35DF0003;
constexpr uint32_t PR_IPM_SUBTREE_ENTRYID = 0x35E00102;
constexpr uint32_t PR_IPM_OUTBOX_ENTRYID = 0x35E20102;
constexpr uint32_t PR_IPM_WASTEBASKET_ENTRYID = 0x35E30102;
constexpr uint32_t PR_IPM_SENTMAIL_ENTRYID = 0x35E40102;
constexpr uint32_t PR_CONTENT_COUNT = 0x36020003;
constexpr uint32_t PR_SUBFOLDERS = 0x360A000B;
constexpr uint32_t PR_CONTAINER_HIERARCHY = 0x360E000D;
constexpr uint32_t PR_CONTAINER_CONTENTS = 0x360F000D;
constexpr uint32_t PR_CONTAINER_CLASS = 0x3613001E;
constexpr uint32_t PR_IPM_APPOINTMENT_ENTRYID = 0x36D00102;
constexpr uint32_t PR_IPM_CONTACT_ENTRYID = 0x36D10102;
constexpr uint32_t PR_IPM_JOURNAL_ENTRYID = 0x36D20102;
constexpr uint32_t PR_IPM_NOTE_ENTRYID = 0x36D30102;
constexpr uint32_t PR_IPM_TASK_ENTRYID = 0x36D40102;
constexpr uint32_t PR_IPM_DRAFTS_ENTRYID = 0x36D70102;

// Attachment properties.
constexpr uint32_t PR_ATTACH_DATA_BIN = 0x37010102;
constexpr uint32_t PR_ATTACH_ENCODING = 0x37020102;
constexpr uint32_t PR_ATTACH_EXTENSION = 0x3703001E;
constexpr uint32_t PR_ATTACH_FILENAME = 0x3704001E;
constexpr uint32_t PR_ATTACH_METHOD = 0x37050003;
constexpr uint32_t PR_ATTACH_LONG_FILENAME = 0x3707001E;
constexpr uint32_t PR_ATTACH_MIME_TAG = 0x370E001E;
constexpr uint32_t PR_ATTACH_ADDITIONAL_INFO = 0x370F0102;
constexpr uint32_t PR_ATTACH_CONTENT_ID = 0x3712001E;
constexpr uint32_t PR_ATTACH_CONTENT_LOCATION = 0x3713001E;

// Profile and service properties.
constexpr uint32_t PR_DEFAULT_PROFILE = 0x3D04000B;
constexpr uint32_t PR_SERVICE_NAME = 0x3D09001E;
constexpr uint32_t PR_SERVICE_UID = 0x3D0C0102;
constexpr uint32_t PR_PST_PATH = 0x6700001E;

// Object types.
constexpr uint32_t MAPI_STORE = 1;
constexpr uint32_t MAPI_FOLDER = 3;
constexpr uint32_t MAPI_MESSAGE = 5;
constexpr uint32_t MAPI_ATTACH = 7;

// Recipient types.
constexpr uint32_t MAPI_TO = 1;
constexpr uint32_t MAPI_CC = 2;
constexpr uint32_t MAPI_BCC = 3;

// Flags.
constexpr uint32_t MAPI_NEW_SESSION = 0x00000002;
constexpr uint32_t MAPI_EXTENDED = 0x00000020;
constexpr uint32_t MAPI_NO_MAIL = 0x00008000;
constexpr uint32_t MAPI_PASSWORD_UI = 0x00020000;
constexpr uint32_t MDB_NO_MAIL = 0x00000080;
constexpr uint32_t SERVICE_UI_ALLOWED = 0x00000010;
constexpr uint32_t RTF_SYNC_BODY_CHANGED = 0x00000002;
constexpr uint32_t STATUS_DEFAULT_STORE = 0x00000002;

// The entry identifier of MacBinary in PR_ATTACH_ENCODING (OID_MAC_BINARY).
constexpr char OID_MAC_BINARY[] = "\x2A\x86\x48\x86\xF7\x14\x03\x0B\x01";
constexpr unsigned kMacBinaryOidLength = 9;

}  // namespace tessaly
