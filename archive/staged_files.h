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
    explicit MessageFiles(std::string mainPath) : mainPath_(std::move(mainPath)) {}

    // Creates the page or EML file under a temporary name.
    bool createMain() { return main_.createStaged(mainPath_); }
    OutputFile& main() { return main_; }
    const std::string& mainPath() const { return mainPath_; }

    // A completed staged attachment file, put in place with the page.
    void keepAttachment(std::unique_ptr<OutputFile> file);
    // The message cannot be complete (an attachment failed for lack of
    // space, or a write failed): commit puts nothing in place and reports
    // `error`.
    void markIncomplete(int error);

    enum class Outcome {
        InPlace,
        Failed,      // nothing in place; the system error is recorded
        SourceLost,  // nothing in place: the mapped source file shrank
    };
    // Completes the page or EML file and puts every file in place.
    Outcome commit();

private:
    void putBack(const std::vector<std::string>& placed, const std::string& journal);

    std::string mainPath_;
    OutputFile main_;
    std::vector<std::unique_ptr<OutputFile>> attachments_;
    int incompleteError_ = 0;
};

// Whether a failed file operation means the disk (or the file size limit)
// is full, so that a later run may well succeed.
bool isOutOfSpace(int error);

// Clears a target folder of what interrupted runs left: the attachments of
// pages that never arrived (by their journals), journals and temporary
// files, here and in its attachments folder. Call it before the first
// message of the folder.
void removeStaleArchiveFiles(const std::string& folder);

}  // namespace tessaly
