// mapi_job.cpp - the Outlook archiving job: the ticked folders of the open
// store, message by message.
#include <algorithm>

#include "archive/out_of_memory.h"
#include "mapi/convert_message.h"
#include "mapi/mapi_dates.h"
#include "mapi/mapi_state.h"
#include "message/text.h"

namespace tessaly {

namespace {

const char kOverall[] = "Overall";
const char kScanning[] = "Scanning folders...";

std::string displayPath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::shared_ptr<IMAPIFolder> openFolder(IMsgStore& store, const mapi_TFolderInfo& info) {
    uint32_t type = 0;
    std::shared_ptr<IMAPIProp> object;
    if (mapiFailed(store.OpenEntry(info.entryId.bytes, type, object)) || type != MAPI_FOLDER) return nullptr;
    return std::dynamic_pointer_cast<IMAPIFolder>(object);
}

// "date - sender - subject", each part made safe for HTML.
std::string progressLabel(const PropRow& row) {
    const PropValue* delivered = findProp(row, PR_MESSAGE_DELIVERY_TIME);
    std::string sender = propBytes(row, PR_SENDER_NAME);
    if (sender.empty()) sender = propBytes(row, PR_SENT_REPRESENTING_NAME);
    return htmlEscape(delivered ? localDateText(delivered->time) : std::string()) + " - " +
           htmlEscape(sender) + " - " + htmlEscape(propBytes(row, PR_SUBJECT));
}

void archiveOneFolder(ArchiveWriter& writer, IMsgStore& store, MapiLibrary& library,
                      const mapi_TFolderInfo& info, uint32_t& done, uint32_t total) {
    JobRun& run = writer.run();
    run.startFolder(htmlEscape(displayPath(info.path) + "/"));
    // What a run cut short left there goes before the first message.
    TargetFolder& target = writer.openFolder(info.path, info.name);
    run.setProgress(kOverall, ratio(done, total), info.name, 0);

    std::shared_ptr<IMAPITable> table;
    RowSet rows;
    const std::shared_ptr<IMAPIFolder> source = openFolder(store, info);
    if (source && !mapiFailed(source->GetContentsTable(0, table)) && table &&
        !mapiFailed(table->QueryAllRows({}, rows))) {
        for (const PropRow& row : rows) {
            if (run.shouldStop()) break;
            run.startMessage();
            const std::string label = progressLabel(row);
            run.setProgress(kOverall, ratio(done, total), label,
                            ratio(run.messagesInFolder() - 1, static_cast<double>(rows.size())));
            uint32_t type = 0;
            std::shared_ptr<IMAPIProp> object;
            const MapiResult opened = source->OpenEntry(propBytes(row, PR_ENTRYID), type, object);
            const std::shared_ptr<IMessage> message = std::dynamic_pointer_cast<IMessage>(object);
            if (mapiFailed(opened) || type != MAPI_MESSAGE || !message) {
                logUnreadableMessage(run, opened);
            } else {
                // Reading its properties and streams may not fit.
                const bool read = withinMemory(writer.decoder(), [&] {
                    ConvertMapiMessage(target, library, *message, label, kSkipRtfSync);
                });
                if (!read) reportNotArchived(run);
            }
            run.finishMessage();
            ++done;
        }
    }
    writer.closeFolder();
}

}  // namespace

void RunMapiJob(ArchiveWriter& writer, const std::vector<std::string>& tickedFolders,
                const std::vector<std::string>& tickedIds) {
    JobRun& run = writer.run();
    if (!writer.html()) {
        run.runProblem("Error: <a href=\"help:err_psteml.html\">Cannot save from Outlook to EML</a>.");
        return;
    }
    run.setProgress(kScanning, 0, "", 0);
    MapiState& state = mapiState();
    if (!state.store || !state.library) return;

    // Held here: pages shown while the run pumps messages may reload the
    // state's lists.
    const std::shared_ptr<IMsgStore> store = state.store;
    MapiLibrary& library = *state.library;

    // The ticked ids select their folders; ticked names, the first folder
    // of each name. Each folder once.
    std::vector<size_t> indexes;
    const auto choose = [&](const auto& matches) {
        for (size_t i = 0; i < state.folders.size(); ++i) {
            if (!matches(state.folders[i])) continue;
            if (std::find(indexes.begin(), indexes.end(), i) == indexes.end()) indexes.push_back(i);
            break;
        }
    };
    for (const std::string& id : tickedIds) choose([&](const mapi_TFolderInfo& f) { return f.entryId.bytes == id; });
    // Ids of another store's folders choose nothing here: the names do.
    if (indexes.empty()) {
        for (const std::string& name : tickedFolders) choose([&](const mapi_TFolderInfo& f) { return f.name == name; });
    }
    std::vector<mapi_TFolderInfo> chosen;
    for (const size_t i : indexes) chosen.push_back(state.folders[i]);

    uint32_t total = 0;
    for (size_t i = 0; i < chosen.size(); ++i) {
        run.setProgress(kScanning, ratio(static_cast<double>(i + 1), static_cast<double>(chosen.size())),
                        chosen[i].name, 0);
        PropRow values;
        const std::shared_ptr<IMAPIFolder> folder = openFolder(*store, chosen[i]);
        if (folder && !mapiFailed(folder->GetProps({PR_CONTENT_COUNT}, values))) {
            total += propNumber(values, PR_CONTENT_COUNT);
        }
    }

    run.expectMessages(total);
    uint32_t done = 0;
    for (const mapi_TFolderInfo& info : chosen) {
        if (run.shouldStop()) break;
        archiveOneFolder(writer, *store, library, info, done, total);
    }
}

}  // namespace tessaly
