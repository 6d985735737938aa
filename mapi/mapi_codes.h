// mapi_codes.h - MAPI result codes with the values MAPI publishes, and
// their names for problem lines and the trace.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

// An HRESULT as MAPI returns it: the top bit marks a failure.
using MapiResult = uint32_t;

constexpr bool mapiFailed(MapiResult result) { return (result & 0x80000000u) != 0; }

constexpr MapiResult SUCCESS_SUCCESS = 0x00000000;
constexpr MapiResult MAPI_E_CALL_FAILED = 0x80004005;
constexpr MapiResult MAPI_E_NOT_ENOUGH_MEMORY = 0x8007000E;
constexpr MapiResult MAPI_E_INVALID_PARAMETER = 0x80070057;
constexpr MapiResult MAPI_E_INTERFACE_NOT_SUPPORTED = 0x80004002;
constexpr MapiResult MAPI_E_NO_ACCESS = 0x80070005;
constexpr MapiResult E_ACCESSDENIED = MAPI_E_NO_ACCESS;
constexpr MapiResult MAPI_E_NO_SUPPORT = 0x80040102;
constexpr MapiResult MAPI_E_BAD_CHARWIDTH = 0x80040103;
constexpr MapiResult MAPI_E_STRING_TOO_LONG = 0x80040105;
constexpr MapiResult MAPI_E_UNKNOWN_FLAGS = 0x80040106;
constexpr MapiResult MAPI_E_INVALID_ENTRYID = 0x80040107;
constexpr MapiResult MAPI_E_INVALID_OBJECT = 0x80040108;
constexpr MapiResult MAPI_E_OBJECT_CHANGED = 0x80040109;
constexpr MapiResult MAPI_E_OBJECT_DELETED = 0x8004010A;
constexpr MapiResult MAPI_E_BUSY = 0x8004010B;
constexpr MapiResult MAPI_E_NOT_ENOUGH_DISK = 0x8004010D;
constexpr MapiResult MAPI_E_NOT_ENOUGH_RESOURCES = 0x8004010E;
constexpr MapiResult MAPI_E_NOT_FOUND = 0x8004010F;
constexpr MapiResult MAPI_E_VERSION = 0x80040110;
constexpr MapiResult MAPI_E_LOGON_FAILED = 0x80040111;
constexpr MapiResult MAPI_E_SESSION_LIMIT = 0x80040112;
constexpr MapiResult MAPI_E_USER_CANCEL = 0x80040113;
constexpr MapiResult MAPI_E_UNABLE_TO_ABORT = 0x80040114;
constexpr MapiResult MAPI_E_NETWORK_ERROR = 0x80040115;
constexpr MapiResult MAPI_E_DISK_ERROR = 0x80040116;
constexpr MapiResult MAPI_E_TOO_COMPLEX = 0x80040117;
constexpr MapiResult MAPI_E_BAD_COLUMN = 0x80040118;
constexpr MapiResult MAPI_E_EXTENDED_ERROR = 0x80040119;
constexpr MapiResult MAPI_E_COMPUTED = 0x8004011A;
constexpr MapiResult MAPI_E_CORRUPT_DATA = 0x8004011B;
constexpr MapiResult MAPI_E_END_OF_SESSION = 0x80040200;
constexpr MapiResult MAPI_E_UNKNOWN_ENTRYID = 0x80040201;
constexpr MapiResult MAPI_E_MISSING_REQUIRED_COLUMN = 0x80040202;
constexpr MapiResult MAPI_W_NO_SERVICE = 0x00040203;
constexpr MapiResult MAPI_E_BAD_VALUE = 0x80040301;
constexpr MapiResult MAPI_E_INVALID_TYPE = 0x80040302;
constexpr MapiResult MAPI_E_TYPE_NO_SUPPORT = 0x80040303;
constexpr MapiResult MAPI_E_UNEXPECTED_TYPE = 0x80040304;
constexpr MapiResult MAPI_E_TOO_BIG = 0x80040305;
constexpr MapiResult MAPI_W_ERRORS_RETURNED = 0x00040380;
constexpr MapiResult MAPI_E_UNABLE_TO_COMPLETE = 0x80040400;
constexpr MapiResult MAPI_E_TABLE_EMPTY = 0x80040402;
constexpr MapiResult MAPI_E_TABLE_TOO_BIG = 0x80040403;
constexpr MapiResult MAPI_E_INVALID_BOOKMARK = 0x80040405;
constexpr MapiResult MAPI_W_POSITION_CHANGED = 0x00040481;
constexpr MapiResult MAPI_W_APPROX_COUNT = 0x00040482;
constexpr MapiResult MAPI_E_WAIT = 0x80040500;
constexpr MapiResult MAPI_E_CANCEL = 0x80040501;
constexpr MapiResult MAPI_E_NOT_ME = 0x80040502;
constexpr MapiResult MAPI_W_CANCEL_MESSAGE = 0x00040580;
constexpr MapiResult MAPI_E_CORRUPT_STORE = 0x80040600;
constexpr MapiResult MAPI_E_NOT_IN_QUEUE = 0x80040601;
constexpr MapiResult MAPI_E_NO_SUPPRESS = 0x80040602;
constexpr MapiResult MAPI_E_COLLISION = 0x80040604;
constexpr MapiResult MAPI_E_NOT_INITIALIZED = 0x80040605;
constexpr MapiResult MAPI_E_NON_STANDARD = 0x80040606;
constexpr MapiResult MAPI_E_NO_RECIPIENTS = 0x80040607;
constexpr MapiResult MAPI_E_SUBMITTED = 0x80040608;
constexpr MapiResult MAPI_E_HAS_FOLDERS = 0x80040609;
constexpr MapiResult MAPI_E_HAS_MESSAGES = 0x8004060A;
constexpr MapiResult MAPI_E_FOLDER_CYCLE = 0x8004060B;
constexpr MapiResult MAPI_W_PARTIAL_COMPLETION = 0x00040680;
constexpr MapiResult MAPI_E_AMBIGUOUS_RECIP = 0x80040700;
constexpr MapiResult E_NOTIMPL = 0x80004001;
constexpr MapiResult E_UNEXPECTED = 0x8000FFFF;
constexpr MapiResult E_POINTER = 0x80004003;
constexpr MapiResult E_HANDLE = 0x80070006;
constexpr MapiResult E_ABORT = 0x80004004;

// The MAPI name of a result code ("MAPI_E_NOT_FOUND"), or "hr???" for a
// code the table does not hold.
std::string mapiErrorName(MapiResult result);

}  // namespace tessaly
