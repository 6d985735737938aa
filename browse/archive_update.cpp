// archive_update.cpp - catalogue and browse files around a run.
#include "browse/archive_update.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "archive/catalogue_rebuild.h"
#include "archive/duplicates.h"
#include "browse/browse_pages.h"
#include "browse/browse_paths.h"
#include "message/text.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace tessaly {

namespace {

constexpr const char* kReadingArchive = "Reading the archive for its catalogue";
constexpr const char* kWritingPages = "Writing the archive's index and search pages";

// A full disk is told once, by the line that stops the run (and stands for
// these pages too: the next run writes them anew).
void warn(JobRun& run, const std::string& root, const std::string& what) {
    const int error = lastSystemError();
    if (isDiskFull(error) || fileSystemFull(root)) {
        stopWhenDiskLost(run, isDiskFull(error) ? error : ENOSPC);
        return;
    }
    run.runProblem("Warning: " + htmlEscape(what));
}

// Rows that a run cut short left out of the search files: their texts are
// read back from their files.
void searchEarlierRows(DecodeContext& decoder, RunCatalogue& state) {
    Catalogue& catalogue = *state.catalogue;
    catalogue.forEachUnsearched([&](const CatalogueRow& stored) {
        if (stored.id > state.lastEarlierId) return;
        CatalogueRow row;
        if (!rowFromArchiveFile(decoder, catalogue.root(), stored.path, row)) return;
        row.id = stored.id;
        row.date = stored.date;
        state.search->addEarlier(row);
    });
}

void writePages(JobRun& run, Catalogue& catalogue) {
    const std::string& root = catalogue.root();
    const std::vector<std::string> stale = catalogue.staleFolders();
    const std::vector<std::string> staleLabels = catalogue.staleLabels();
    ArchiveSummary summary;
    for (const CatalogueFolder& folder : catalogue.folders()) {
        summary.folders.push_back({folder.dir, folder.name, folder.messages, folder.first, folder.last});
        summary.messages += folder.messages;
    }
    summary.years = catalogue.years();
    const std::vector<CatalogueLabel> labels = catalogue.labels();
    std::vector<std::string> names;
    for (const CatalogueLabel& label : labels) names.push_back(label.label);
    const auto pages = labelPagesFolders(names);
    for (const CatalogueLabel& label : labels) {
        summary.labels.push_back({label.label, pages.at(label.label), label.messages, label.first, label.last});
    }

    const double steps = static_cast<double>(stale.size() + staleLabels.size() + 1);
    std::vector<std::string> written;
    for (size_t i = 0; i < stale.size(); ++i) {
        run.setProgress(kWritingPages, static_cast<double>(i + 1) / steps, stale[i], -1);
        FolderSummary folder{stale[i], "", 0, 0, 0};
        for (const FolderSummary& known : summary.folders) {
            if (known.dir == stale[i]) folder = known;
        }
        if (writeFolderPages(root, folder, catalogue.rowsIn(stale[i]))) {
            written.push_back(stale[i]);
        } else {
            warn(run, root, "the index pages of the folder " + (stale[i].empty() ? std::string("/") : stale[i]) +
                          " could not be written");
        }
    }
    catalogue.markFoldersCurrent(written);

    written.clear();
    for (size_t i = 0; i < staleLabels.size(); ++i) {
        run.setProgress(kWritingPages, static_cast<double>(stale.size() + i + 1) / steps, staleLabels[i], -1);
        const auto known = std::find_if(summary.labels.begin(), summary.labels.end(),
                                        [&](const LabelSummary& label) { return label.label == staleLabels[i]; });
        // A label no message has any more has no pages to show.
        if (known == summary.labels.end() || writeLabelPages(root, *known, catalogue.rowsLabelled(known->label))) {
            written.push_back(staleLabels[i]);
        } else {
            warn(run, root, "the index pages of the label " + staleLabels[i] + " could not be written");
        }
    }
    catalogue.markLabelsCurrent(written);
    if (!writeRootIndex(root, summary)) warn(run, root, "the archive's index.html could not be written");
}

}  // namespace

RunCatalogue openRunCatalogue(JobRun& run, DecodeContext& decoder, const std::string& root, bool rebuild) {
    RunCatalogue state;
    std::string note;
    state.catalogue = Catalogue::open(root, &note);
    if (!note.empty()) run.runProblem("Warning: " + htmlEscape(note));
    if (!state.catalogue) {
        run.runProblem("Warning: " + htmlEscape("the archive's catalogue cannot be kept in " + root +
                                                "/.tessaly; no index pages are written"));
        return state;
    }
    Catalogue& catalogue = *state.catalogue;
    catalogue.settleInterrupted();
    const bool anew = rebuild || catalogue.isNew();
    state.search = std::make_unique<SearchFeeder>(root, anew);
    if (!anew) {
        state.lastEarlierId = catalogue.lastId();
        return state;
    }
    run.setProgress(kReadingArchive, 0, "", -1);
    SearchFeeder& search = *state.search;
    rebuildCatalogue(
        catalogue, decoder,
        [&run](uint64_t files) {
            run.setProgress(kReadingArchive, -1, std::to_string(files) + " files read", -1);
            return !run.shouldStop();
        },
        [&search](const CatalogueRow& row) { search.add(row); });
    return state;
}

void updateBrowseFiles(JobRun& run, DecodeContext& decoder, RunCatalogue& state) {
    if (!state.catalogue || !state.search) return;
    Catalogue& catalogue = *state.catalogue;
    run.setProgress(kWritingPages, 0, "search files", -1);
    // What a run cut short while writing index.html, search.html or the
    // stylesheet left under a temporary name (the root is no target folder
    // of an EML archive, so nothing else clears it); before the search
    // files are written, which stage files there too.
    removeStaleTemporaries(catalogue.root());
    removeStaleTemporaries(catalogue.root() + "/.tessaly");
    searchEarlierRows(decoder, state);
    // The search files are written on the search thread while this one
    // writes the index pages: they share no file.
    state.search->finishInBackground();
    writePages(run, catalogue);
    if (state.search->finish()) {
        catalogue.markSearched(INT64_MAX);
    } else {
        warn(run, catalogue.root(), "the archive's search files could not be written");
    }
    state.search.reset();
}

}  // namespace tessaly
