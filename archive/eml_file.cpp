// eml_file.cpp - archiving a raw message as one .eml file.
#include "archive/eml_file.h"

#include <utility>

#include "archive/duplicates.h"
#include "archive/naming.h"
#include "message/decoding.h"

namespace tessaly {

void writeEmlMessage(ArchiveRun& run, const char* text, const char* textEnd,
                     const TMessageInfo& info, const std::string& archiveFolder,
                     const std::string& subfolderPath, bool useSubfolders, bool normalizeLineEnds) {
    if (run.stopRequested) return;
    const ArchiveName name = archiveBaseName(info);
    const std::string path =
        archiveDirectory(archiveFolder, subfolderPath, useSubfolders) + name.name + name.stamp + ".eml";
    run.currentMessageText = describeMessage(info, name.name);
    if (checkAlreadyArchived(run, path)) return;
    recordArchivedPath(run, path, subfolderPath);

    MessageFiles files(path);
    if (!files.createMain()) {
        reportCreateFailure(run, path);
        return;
    }
    OutputFile& file = files.main();

    const char* start = text;
    const char* end = textEnd;
    if (normalizeLineEnds) {
        run.stepText = info.subject;
        // The conversion always runs to its end; a stop takes effect at the
        // next message.
        beginDecoding([&run](double fraction) {
            run.stepProgress(fraction);
            return true;
        });
        if (!normaliseLineEnds(start, end)) {
            start = text;
            end = textEnd;
        }
        endDecoding();
    }
    file.write(start, static_cast<size_t>(end - start));
    const bool endsInCrLf = textEnd - text >= 2 && textEnd[-2] == '\r' && textEnd[-1] == '\n';
    if (!endsInCrLf) file.write("\r\n\r\n", 4);

    finishArchiveFile(run, std::move(files), info.fileTime);
}

}  // namespace tessaly
