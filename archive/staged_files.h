// staged_files.h - the files of one archived message, written under
// temporary names and put in place together, and the clearing of what an
// interrupted run left behind.
//
// A page or EML file that is in place counts as archived for every later
// run, so it must never be there with less than its whole content, nor
// without the attachment files it was written with. The attachments go in
// place first and the page last; while they move, a journal beside the
// page lists them, so that removeStaleArchiveFiles can take back the
// attachments of a page that never arrived.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace tessaly {

class MessageFiles {
public:
    // `mainPath`: the page or EML file.
    explicit MessageFiles(std::string mainPath)
        : mainPath_(std::move(mainPath)), main_(std::make_unique<OutputFile>()) {}
    MessageFiles(MessageFiles&& other) noexcept = default;
    MessageFiles& operator=(MessageFiles&&) = delete;
    // Files not put in place are removed.
    ~MessageFiles();

    // Creates the page or EML file under a temporary name (one of `pool`'s
    // when it has one ready).
    bool createMain(TemporaryPool* pool = nullptr) { return main_->createStaged(mainPath_, pool); }
    OutputFile& main() { return *main_; }
    const std::string& mainPath() const { return mainPath_; }

    // A completed staged attachment file, put in place with the page.
    void keepAttachment(std::unique_ptr<OutputFile> file);
    // The message cannot be complete (an attachment could not be created or
    // written, or its source ended early): commit puts nothing in place and
    // reports `error`.
    void markIncomplete(int error);

    enum class Outcome {
        InPlace,     // complete: ready to be put in place; putInPlace: done
        Failed,      // nothing in place; the system error is recorded
        SourceLost,  // nothing in place: the mapped source file shrank
    };
    // Closes every file, nothing in place yet. The bytes reach the disk
    // with putInPlaceTogether.
    Outcome complete();
    // complete and putInPlaceTogether for this message alone.
    Outcome commit();

    // Puts the files of complete messages in place together: one journal
    // per folder of pages lists their attachments, one sync makes every
    // file durable, then each message's attachments and page get their
    // final names and the journals go. Returns each message's system error,
    // 0 for one now in place; a message that failed keeps no file.
    // On a disk too full for the journals the newest messages are left
    // out, with the error, until the others fit.
    static std::vector<int> putInPlaceTogether(const std::vector<MessageFiles*>& messages);

    // Page or EML file and attachments: the bytes written.
    uint64_t bytesWritten() const;
    // The final paths of every file, the page or EML file first.
    std::vector<std::string> paths() const;
    // The bytes written to the attachment file whose final path is `path`,
    // 0 for none.
    uint64_t attachmentSize(const std::string& path) const;

private:
    // Journals, sync and final names for the first `count` messages; their
    // errors go to `errors`. Returns the error that kept the journals from
    // being written, with every file still staged, or 0.
    static int placeTogether(const std::vector<MessageFiles*>& messages, size_t count, std::vector<int>& errors);
    // What the journal must hold while this message's files move (empty
    // without attachments).
    std::string journalGroup() const;
    // Where the files lie until they are put in place.
    std::vector<std::string> temporaryPaths() const;
    // After the journal and the sync: attachments first, then the page.
    Outcome putInPlace();
    void discardAll();
    void putBack(const std::vector<std::string>& placed);

    std::string mainPath_;
    std::unique_ptr<OutputFile> main_;
    std::vector<std::unique_ptr<OutputFile>> attachments_;
    mutable size_t nextAsked_ = 0;  // where attachmentSize looks first
    int incompleteError_ = 0;
};

// Clears a target folder of what interrupted runs left: the attachments of
// pages that never arrived (by their journals), journals and temporary
// files, here and in its attachments folder. Call it before the first
// message of the folder.
void removeStaleArchiveFiles(const std::string& folder);

}  // namespace tessaly
