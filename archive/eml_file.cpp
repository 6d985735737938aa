// eml_file.cpp - archiving a raw message as one .eml file.
#include "archive/eml_file.h"

#include <utility>

#include "archive/duplicates.h"
#include "archive/message_row.h"
#include "archive/naming.h"
#include "message/decoding.h"
#include "platform/errors.h"

namespace tessaly {

void writeEmlMessage(TargetFolder& target, const char* text, const char* textEnd, const TMessageInfo& info,
                     bool normalizeLineEnds) {
    ArchiveWriter& writer = target.writer();
    JobRun& run = writer.run();
    // A stop that came with the progress of this message: it is not archived.
    if (run.shouldStop()) {
        run.uncountMessage();
        return;
    }
    const ArchiveName name = archiveBaseName(info);
    run.setMessageText(describeMessage(info, name.name));
    if (const int error = target.creationError()) {
        setLastSystemError(error);
        reportCreateFailure(run, target.directory() + name.name + name.stamp + ".eml");
        return;
    }
    const std::string path = claimArchivePath(run, writer.batch(), writer.archived(), writer.names(),
                                              target.directory() + name.name + name.stamp, ".eml",
                                              target.subfolderPath(), info.contentKey);
    if (path.empty()) return;

    MessageFiles files(path);
    if (!files.createMain(writer.temporaries())) {
        reportCreateFailure(run, path);
        return;
    }
    OutputFile& file = files.main();

    const char* start = text;
    const char* end = textEnd;
    if (normalizeLineEnds) {
        run.setStepText(info.subject);
        DecodeContext& decoder = writer.decoder();
        // The conversion always runs to its end; a stop takes effect at the
        // next message.
        decoder.beginDecoding([&run](double fraction) {
            run.stepProgress(fraction);
            return true;
        });
        if (!normaliseLineEnds(decoder, start, end)) {
            start = text;
            end = textEnd;
        }
        decoder.endDecoding();
    }
    file.write(start, static_cast<size_t>(end - start));
    const bool endsInCrLf = textEnd - text >= 2 && textEnd[-2] == '\r' && textEnd[-1] == '\n';
    if (!endsInCrLf) file.write("\r\n\r\n", 4);

    CatalogueRow row;
    if (writer.batch().catalogue()) row = rowFromMessage(writer.decoder(), info, writer.relativePath(path));
    finishArchiveFile(run, writer.batch(), std::move(files), info.fileTime, info.contentKey, std::move(row));
}

}  // namespace tessaly
