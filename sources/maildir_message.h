// maildir_message.h - one message file of a Maildir or MH folder: reading
// it whole, finding it again after a mail program renamed it, archiving it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "archive/archive_writer.h"
#include "platform/files.h"
#include "sources/message_files.h"

namespace tessaly {

// Reads message files whole, one after the other, into one buffer that is
// kept from file to file. Files from kMapFrom bytes on are mapped instead.
class MessageFileReader {
public:
    enum class Status {
        Ok,
        CannotOpen,  // error() tells why
        Shrank,      // shorter than listed, or it shrank while it was read
        Changed,     // longer than listed, or it grew or was written to while it was read
    };

    static constexpr uint64_t kMapFrom = uint64_t{32} << 20;

    // Reads the file at `path`, which was listed with `listedSize` bytes.
    // The text is valid until the next read.
    Status read(const std::string& path, uint64_t listedSize);
    const char* data() const { return data_; }
    size_t size() const { return size_; }
    const char* end() const { return data_ + size_; }
    // The system error of CannotOpen.
    int error() const { return error_; }
    // True when a mapped file was cut short since it was read: its lost
    // bytes read as zeros.
    bool lost() const { return mapped_.data() && mapped_.truncatedWhileMapped(); }

private:
    Status readOpen(int fd, uint64_t size);

    std::string buffer_;
    MappedFile mapped_;
    const char* data_ = nullptr;
    size_t size_ = 0;
    int error_ = 0;
};

// The path that the Maildir message file `path` (".../cur/NAME" or
// ".../new/NAME") has now that a mail program renamed it: a file of the
// same unique name (the part before ":") in cur/ or new/. Empty when there
// is none.
std::string renamedMessageFile(const std::string& path);

// Reads and archives one listed message file into `target`: a file that
// vanished (looked for once more under its new name in a Maildir), cannot
// be read, or changed while it was read is one problem line and is not
// archived; an empty file is passed over without a word. `chunk` gets the
// bytes of the file scanned so far.
void archiveMessageFile(JobRun& run, const MessageFile& file, bool maildir, TargetFolder& target,
                        MessageFileReader& reader, const std::function<void(size_t scanned)>& chunk);

}  // namespace tessaly
