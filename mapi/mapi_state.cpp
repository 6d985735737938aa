// mapi_state.cpp - the one state record of the Outlook source.
#include "mapi/mapi_state.h"

namespace tessaly {

const char kTemporaryProfile[] = "Velmo's Crazy Profile (folvane)";
const char kTemporaryStore[] = "Velmo's Zany Message Store";

MapiState& mapiState() {
    static MapiState state;
    return state;
}

void resetMapiState() {
    MapiState& state = mapiState();
    // Objects of the library go before the library itself.
    state.store.reset();
    state.session.reset();
    state = MapiState{};
}

void traceMapi(const std::string& text) { mapiState().trace += text; }

const std::vector<mapi_TLibraryInfo>& mapiLibraries() { return mapiState().libraries; }
const std::vector<mapi_TStoreInfo>& mapiStores() { return mapiState().stores; }
const std::vector<mapi_TFolderInfo>& mapiFolders() { return mapiState().folders; }
const std::string& mapiTrace() { return mapiState().trace; }
bool mapiStoreOpen() { return mapiState().store != nullptr; }

}  // namespace tessaly
