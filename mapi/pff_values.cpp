// pff_values.cpp - reading MAPI properties out of libpff record entries.
#include "mapi/pff_values.h"

#include "message/charsets.h"

#ifdef TESSALY_HAVE_LIBPFF

namespace tessaly::pff {

namespace {

constexpr uint8_t kAnyType =
    LIBPFF_ENTRY_VALUE_FLAG_MATCH_ANY_VALUE_TYPE | LIBPFF_ENTRY_VALUE_FLAG_IGNORE_NAME_TO_ID_MAP;

class RecordSet {
public:
    RecordSet(libpff_item_t* item, int set) {
        Error error;
        if (libpff_item_get_record_set_by_index(item, set, &set_, error.out()) != 1) set_ = nullptr;
    }
    ~RecordSet() {
        if (set_) libpff_record_set_free(&set_, nullptr);
    }
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;
    libpff_record_set_t* get() const { return set_; }

private:
    libpff_record_set_t* set_ = nullptr;
};

class Entry {
public:
    Entry(const RecordSet& set, uint32_t id) {
        if (!set.get()) return;
        Error error;
        if (libpff_record_set_get_entry_by_type(set.get(), id, 0, &entry_, kAnyType, error.out()) != 1) {
            entry_ = nullptr;
        }
    }
    ~Entry() {
        if (entry_) libpff_record_entry_free(&entry_, nullptr);
    }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    libpff_record_entry_t* get() const { return entry_; }
    uint32_t type() const {
        uint32_t type = 0;
        Error error;
        if (!entry_ || libpff_record_entry_get_value_type(entry_, &type, error.out()) != 1) return 0;
        return type;
    }

private:
    libpff_record_entry_t* entry_ = nullptr;
};

bool isText(uint32_t type) { return type == PT_STRING8 || type == PT_UNICODE; }

bool rawBytes(libpff_record_entry_t* entry, std::string& bytes) {
    size_t size = 0;
    Error error;
    if (libpff_record_entry_get_data_size(entry, &size, error.out()) != 1) return false;
    bytes.assign(size, '\0');
    if (size == 0) return true;
    Error readError;
    return libpff_record_entry_get_data(entry, reinterpret_cast<uint8_t*>(bytes.data()), size,
                                        readError.out()) == 1;
}

// UTF-8 with the terminating NUL dropped.
bool entryText(libpff_record_entry_t* entry, std::string& text) {
    size_t size = 0;
    Error error;
    if (libpff_record_entry_get_data_as_utf8_string_size(entry, &size, error.out()) != 1) return false;
    text.assign(size, '\0');
    if (size > 0) {
        Error readError;
        if (libpff_record_entry_get_data_as_utf8_string(entry, reinterpret_cast<uint8_t*>(text.data()),
                                                        size, readError.out()) != 1) {
            return false;
        }
    }
    const size_t end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    return true;
}

// An 8-bit string of a message, decoded with the message's code page.
bool messageText(libpff_item_t* item, uint32_t id, std::string& text) {
    size_t size = 0;
    Error error;
    if (libpff_message_get_entry_value_utf8_string_size(item, id, &size, error.out()) != 1) return false;
    text.assign(size, '\0');
    if (size > 0) {
        Error readError;
        if (libpff_message_get_entry_value_utf8_string(item, id, reinterpret_cast<uint8_t*>(text.data()),
                                                       size, readError.out()) != 1) {
            return false;
        }
    }
    const size_t end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    return true;
}

// The code page of a record set's 8-bit strings, 0 when it names none.
uint32_t codePageOf(const RecordSet& records) {
    for (const uint32_t tag : {PR_MESSAGE_CODEPAGE, PR_INTERNET_CPID}) {
        const Entry entry(records, propId(tag));
        uint32_t number = 0;
        Error error;
        if (entry.get() && entry.type() == PT_LONG &&
            libpff_record_entry_get_data_as_32bit_integer(entry.get(), &number, error.out()) == 1 && number) {
            return number;
        }
    }
    return 0;
}

bool readText(libpff_item_t* item, int set, TextSource source, const RecordSet& records, const Entry& entry,
              uint32_t id, std::string& text) {
    const bool converted = entry.type() == PT_STRING8 && source == TextSource::Message && set == 0
                               ? messageText(item, id, text)
                               : entryText(entry.get(), text);
    if (converted) return true;
    // libpff gives up on code pages it lacks (65001, 50220, ...) and on
    // UTF-16 with a broken surrogate pair: such text is converted here, so
    // that none of it is lost.
    std::string raw;
    if (!rawBytes(entry.get(), raw)) return false;
    if (entry.type() == PT_UNICODE) {
        text = utf16leToUtf8(raw);
    } else {
        static thread_local Charsets charsets;
        text = charsets.toUtf8(raw, codePageCharset(codePageOf(records)), false);
    }
    const size_t end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    return true;
}

// One value converted to the type the tag asks for.
PropValue readValue(libpff_item_t* item, int set, TextSource source, const RecordSet& records,
                    uint32_t tag) {
    const uint32_t id = propId(tag);
    const Entry entry(records, id);
    if (!entry.get()) return errorValue(tag, MAPI_E_NOT_FOUND);
    const uint32_t stored = entry.type();
    const uint32_t wanted = propType(tag);
    libpff_record_entry_t* e = entry.get();
    Error error;
    PropValue value;
    value.tag = tag;
    switch (wanted) {
        case PT_STRING8:
        case PT_UNICODE:
            value.tag = changePropType(tag, PT_STRING8);
            if (isText(stored) ? readText(item, set, source, records, entry, id, value.bytes)
                               : stored == PT_BINARY && rawBytes(e, value.bytes)) {
                // A stored subject may open with a marker of its prefix
                // ("RE: " and the like): byte 01 and the prefix's length.
                if (id == propId(PR_SUBJECT) && value.bytes.size() >= 2 && value.bytes[0] == '\x01') {
                    value.bytes.erase(0, 2);
                }
                return value;
            }
            break;
        case PT_BINARY:
            if (isText(stored) ? readText(item, set, source, records, entry, id, value.bytes)
                               : stored == PT_BINARY && rawBytes(e, value.bytes)) {
                return value;
            }
            break;
        case PT_LONG: {
            if (stored == PT_LONG &&
                libpff_record_entry_get_data_as_32bit_integer(e, &value.number, error.out()) == 1) {
                value.wide = value.number;
                return value;
            }
            uint16_t shortValue = 0;
            if (stored == PT_SHORT &&
                libpff_record_entry_get_data_as_16bit_integer(e, &shortValue, error.out()) == 1) {
                value.number = value.wide = shortValue;
                return value;
            }
            break;
        }
        case PT_BOOLEAN: {
            uint8_t flag = 0;
            if (stored == PT_BOOLEAN &&
                libpff_record_entry_get_data_as_boolean(e, &flag, error.out()) == 1) {
                value.number = value.wide = flag ? 1 : 0;
                return value;
            }
            uint32_t number = 0;
            if (stored == PT_LONG &&
                libpff_record_entry_get_data_as_32bit_integer(e, &number, error.out()) == 1) {
                value.number = value.wide = number ? 1 : 0;
                return value;
            }
            break;
        }
        case PT_SYSTIME: {
            uint64_t ticks = 0;
            if (stored == PT_SYSTIME &&
                libpff_record_entry_get_data_as_filetime(e, &ticks, error.out()) == 1) {
                value.time = makeFileTime(ticks);
                return value;
            }
            break;
        }
        case PT_I8: {
            uint64_t number = 0;
            if (stored == PT_I8 &&
                libpff_record_entry_get_data_as_64bit_integer(e, &number, error.out()) == 1) {
                value.wide = number;
                value.number = static_cast<uint32_t>(number);
                return value;
            }
            break;
        }
        default: break;
    }
    return errorValue(tag, MAPI_E_NOT_FOUND);
}

}  // namespace

MapiResult readProps(libpff_item_t* item, int set, TextSource source,
                     const std::vector<uint32_t>& tags, PropRow& values) {
    values.clear();
    const RecordSet records(item, set);
    bool missing = false;
    for (const uint32_t tag : tags) {
        values.push_back(readValue(item, set, source, records, tag));
        missing = missing || isErrorValue(values.back());
    }
    return missing ? MAPI_W_ERRORS_RETURNED : SUCCESS_SUCCESS;
}

MapiResult readPropBytes(libpff_item_t* item, int set, TextSource source, uint32_t tag,
                         std::string& bytes) {
    const RecordSet records(item, set);
    const Entry entry(records, propId(tag));
    bytes.clear();
    if (!entry.get()) return MAPI_E_NOT_FOUND;
    const uint32_t stored = entry.type();
    const bool ok = isText(stored) ? readText(item, set, source, records, entry, propId(tag), bytes)
                                   : rawBytes(entry.get(), bytes);
    return ok ? SUCCESS_SUCCESS : MAPI_E_CORRUPT_DATA;
}

int recordSetCount(libpff_item_t* item) {
    int count = 0;
    Error error;
    if (libpff_item_get_number_of_record_sets(item, &count, error.out()) != 1) return 0;
    return count;
}

}  // namespace tessaly::pff

#endif
