// archive_writer.h - the one owner of a run's archive output: the archive
// root, the output format, the subfolder choice, the batch of messages
// waiting to be put in place and the paths written so far, and the target
// folder that each source folder's messages go to.
//
// Every job archives through one: it opens the target folder of a source
// folder, hands it each message, and closes it; closing is the moment a
// folder's files are all in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/commit_batch.h"
#include "archive/duplicates.h"
#include "archive/job_run.h"
#include "message/decoding.h"
#include "message/marker.h"
#include "message/model.h"
#include "platform/confined_root.h"
#include "platform/temporary_pool.h"

namespace tessaly {

enum class OutputFormat { Html, Eml };

struct ArchiveOptions {
    std::string root;  // the archive folder, without a trailing "/"
    OutputFormat format = OutputFormat::Html;
    // Each source folder in a subfolder of its own, or all in the root.
    bool useSubfolders = true;
};

// Creates the archive folder with its parents when it is missing and, for
// pages, writes the stylesheet they import unless the user has one there.
// Failures are silent: the first message that cannot be written reports.
// Every write below the root is confined to it while the returned object
// lives (platform/confined_root.h): keep it for the whole run.
[[nodiscard]] ConfinedRoot prepareArchiveRoot(const std::string& root, bool html);

class ArchiveWriter;

// How sure the job is that a raw message's text reaches its end: the last
// message of a mailbox file may stop where a copy or download of the file
// was cut short.
enum class MessageEnd { Known, MayBeCut };

// Where the messages of one source folder go.
class TargetFolder {
public:
    // Archives one raw RFC 822 message: `text` is its header block onwards
    // (a mailbox's "From " line already dropped), `markers` the boundary
    // lines the job met inside it, in text order. With `normalizeLineEnds`
    // an EML file gets CR LF line ends (mailboxes); DBX texts are written as
    // they are. A text that `MayBeCut` and does stop inside the message (no
    // line end at its end, or no closing line of its multipart) is reported
    // and left for a later run over the whole file. Memory that runs out
    // while the message is converted leaves it archived as it came.
    void archiveRawMessage(const char* text, size_t length, const std::vector<TMarker>& markers,
                           bool normalizeLineEnds, MessageEnd messageEnd = MessageEnd::Known);
    // Archives a message already read into the model (Outlook) as a page;
    // `info` needs its checksum key. Its parts are re-classified and renamed.
    // Memory that runs out on the way leaves the message for a later run.
    void archiveMessage(TMessageInfo& info);

    ArchiveWriter& writer() { return writer_; }
    // Where the page or EML file goes: the root or the subfolder, ending in "/".
    const std::string& directory() const { return directory_; }
    // The subfolder below the root, ending in "/", or empty.
    const std::string& subfolderPath() const { return subfolderPath_; }
    // The subfolder as far as the pages' stylesheet imports see it: empty
    // when every folder goes to the root.
    const std::string& pageSubfolder() const;
    // The source folder as the page's "Folder:" row names it.
    const std::string& folderName() const { return folderName_; }
    // Why the folder could not be made (a system error), 0 when it is there.
    // Its messages then report that cause instead of trying each.
    int creationError() const { return creationError_; }

private:
    friend class ArchiveWriter;
    TargetFolder(ArchiveWriter& writer, std::string subfolderPath, std::string folderName);

    // The message read into its parts and converted.
    void archiveConverted(const char* text, size_t length, const std::vector<TMarker>& markers,
                          bool normalizeLineEnds, MessageEnd messageEnd);
    // After memory ran out converting it: the message as it came, its header
    // block read for its name, an EML file or a page linking the whole text.
    void archiveUnconverted(const char* text, size_t length, bool normalizeLineEnds);

    ArchiveWriter& writer_;
    std::string subfolderPath_;
    std::string directory_;
    std::string folderName_;
    int creationError_ = 0;
};

class ArchiveWriter {
public:
    ArchiveWriter(JobRun& run, DecodeContext& decoder, ArchiveOptions options);
    // Closes the open folder.
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    // The target folder of the source folder at `folderPath` (its names
    // split at "/" or backslash become the subfolder path), named
    // `folderName` on the pages. Creates its folder (and for pages its
    // attachments folder) and clears it of what interrupted runs left
    // there. The folder opened before is closed first.
    TargetFolder& openFolder(std::string_view folderPath, std::string folderName);
    // Puts the open folder's messages in place and removes its attachments
    // folder again when nothing was saved into it.
    void closeFolder();

    const ArchiveOptions& options() const { return options_; }
    bool html() const { return options_.format == OutputFormat::Html; }
    JobRun& run() { return run_; }
    DecodeContext& decoder() { return decoder_; }
    CommitBatch& batch() { return batch_; }
    ArchivedPaths& archived() { return archived_; }
    // The taken numbers of names in the open folder.
    NameNumbers& names() { return names_; }
    // Staged files made ahead in the open folder and its attachments folder.
    TemporaryPool* temporaries() { return temporaries_.get(); }

    // The path of a file in the archive relative to its root.
    std::string relativePath(const std::string& path) const;

    // The catalogue that gets a row for every message put in place.
    void attachCatalogue(std::unique_ptr<Catalogue> catalogue) { batch_.setCatalogue(std::move(catalogue)); }
    // Opens the catalogue when the first folder is opened, so that a run
    // that archives nothing leaves the archive as it was.
    using CatalogueOpener = std::function<std::unique_ptr<Catalogue>()>;
    void setCatalogueOpener(CatalogueOpener opener) { catalogueOpener_ = std::move(opener); }
    // Closes the open folder, puts every message in place and hands the
    // catalogue back (null when none was attached or it was dropped).
    std::unique_ptr<Catalogue> finish();

    // Counts a message that cannot be written in the chosen format; returns
    // the count so far, this one included.
    uint32_t countRefusedMessage() { return ++refusedMessages_; }

private:
    JobRun& run_;
    DecodeContext& decoder_;
    ArchiveOptions options_;
    CommitBatch batch_;
    ArchivedPaths archived_;
    NameNumbers names_;
    std::unique_ptr<TargetFolder> folder_;
    std::unique_ptr<TemporaryPool> temporaries_;
    CatalogueOpener catalogueOpener_;
    uint32_t refusedMessages_ = 0;
};

}  // namespace tessaly
