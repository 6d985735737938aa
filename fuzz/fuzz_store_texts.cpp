// fuzz_store_texts.cpp - the texts the store discovery reads: IMAP folder
// names in modified UTF-7, Thunderbird's prefs.js and profiles.ini, and
// Gmail's label fields.
#include <string>
#include <string_view>

#include "fuzz/targets.h"
#include "message/charsets.h"
#include "message/gmail_labels.h"
#include "message/imap_utf7.h"
#include "sources/thunderbird_prefs.h"
#include "sources/thunderbird_profiles.h"

namespace tessaly::fuzz {

// Input: a byte that picks the reader, then its text.
void fuzzStoreTexts(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 4) {
        case 0: {
            // Names are shown on pages: valid UTF-8 input must stay valid.
            const std::string name = decodeImapUtf7(text);
            if (isValidUtf8(text) && !isValidUtf8(name)) propertyFailed("a decoded folder name is not UTF-8");
            break;
        }
        case 1: parsePrefs(text); break;
        case 2: parseProfilesIni(text); break;
        case 3: {
            Charsets charsets;
            for (const std::string& label : parseGmailLabels(charsets, text)) {
                if (!isValidUtf8(label)) propertyFailed("a label is not UTF-8");
                labelFolderPath(label);
            }
            labelFolder(parseGmailLabels(charsets, text));
            // The same bytes as a header block.
            gmailLabelsOf(charsets, text.data(), text.data() + text.size());
            break;
        }
    }
}

}  // namespace tessaly::fuzz
