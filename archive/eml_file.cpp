// eml_file.cpp - archiving a raw message as one .eml file.
#include "archive/eml_file.h"

#include <algorithm>
#include <utility>

#include "archive/duplicates.h"
#include "archive/message_row.h"
#include "archive/naming.h"
#include "message/decoding.h"
#include "platform/errors.h"

namespace tessaly {

namespace {

// The text converted a piece at a time: a message of any size needs only a
// piece's room.
constexpr size_t kPieceBytes = size_t{4} << 20;

// Writes [text, end) with every bare LF made CR LF. A piece never ends
// between a CR and the LF after it, which would then count as bare.
void writeWithCrLf(DecodeContext& decoder, JobRun& run, OutputFile& file, const char* text, const char* end) {
    const double total = static_cast<double>(end - text);
    const char* piece = text;
    // The conversion always runs to its end; a stop takes effect at the
    // next message.
    decoder.beginDecoding([&](double fraction) {
        run.stepProgress(std::min(1.0, ratio(static_cast<double>(piece - text) + fraction * kPieceBytes, total)));
        return true;
    });
    while (piece < end) {
        const char* pieceEnd = end - piece > static_cast<ptrdiff_t>(kPieceBytes) ? piece + kPieceBytes : end;
        if (pieceEnd < end && pieceEnd[-1] == '\r') ++pieceEnd;
        const char* start = piece;
        const char* stop = pieceEnd;
        if (!normaliseLineEnds(decoder, start, stop)) {
            start = piece;
            stop = pieceEnd;
        }
        file.write(start, static_cast<size_t>(stop - start));
        piece = pieceEnd;
    }
    decoder.endDecoding();
}

}  // namespace

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

    if (normalizeLineEnds) {
        run.setStepText(info.subject);
        writeWithCrLf(writer.decoder(), run, file, text, textEnd);
    } else {
        file.write(text, static_cast<size_t>(textEnd - text));
    }
    const bool endsInCrLf = textEnd - text >= 2 && textEnd[-2] == '\r' && textEnd[-1] == '\n';
    if (!endsInCrLf) file.write("\r\n\r\n", 4);

    CatalogueRow row;
    if (writer.batch().catalogue()) row = rowFromMessage(writer.decoder(), info, writer.relativePath(path));
    finishArchiveFile(run, writer.batch(), std::move(files), info.fileTime, info.contentKey, std::move(row));
}

}  // namespace tessaly
