// store_choice.h - the Linux mail store the settings name: finding it again,
// its folder tree as the store folder page showed it, and the ticked
// folders as entries for the mailbox job.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/url_query.h"
#include "sources/mail_stores.h"

namespace tessaly {

// The kind named by its storeKindName text (exact case).
std::optional<StoreKind> storeKindNamed(const std::string& name);

// The stores of the user's home folder; none when there is no home.
std::vector<MailStore> homeMailStores();

// The store of `storekind` and `storeroot`: one of the home's stores, else
// the store at that root when it still is one of that kind; none when it is
// gone.
std::optional<MailStore> chosenMailStore(const Settings& settings);

// Reads the folder tree of `store` (the chosen one, none when it is gone)
// afresh and keeps it as the list the store folder page shows.
const std::vector<StoreFolder>& keepStoreFolders(Settings& settings, const std::optional<MailStore>& store);
// The same for chosenMailStore.
const std::vector<StoreFolder>& loadStoreFolders(Settings& settings);
// The kept list when it belongs to the chosen store, else read afresh.
const std::vector<StoreFolder>& currentStoreFolders(Settings& settings);

// Whether a folder line can be ticked: a folder (not a heading) with
// messages.
bool isTickableStoreFolder(const StoreFolder& folder);

// What `storefolders` remembers a folder by: where it is on disk (its
// mailbox file, or its Maildir or MH folder), which tells apart the
// "Local Folders/Inbox" of two Thunderbird profiles.
std::string storeFolderKey(const StoreFolder& folder);
// Whether `storefolders` names the folder.
bool isRememberedStoreFolder(const Settings& settings, const StoreFolder& folder);

// The key of each tickable folder of the current list whose "eid" +
// position field is present.
std::vector<std::string> tickedStoreFolders(Settings& settings, const FormFields& fields);

// The ticked folders of the current list, in list order.
std::vector<TDbxFolderInfo> tickedStoreEntries(Settings& settings);

// How pages name a store: "Thunderbird", "Maildir folders", "Evolution",
// "KMail", "MH folders".
std::string storeKindText(StoreKind kind);
// What tells a store from others of its kind: its name (a Thunderbird
// profile's, "On This Computer" for Evolution), but for Maildir and MH trees
// their root, shown as "~/..." inside the home folder.
std::string storeLabel(const MailStore& store);
// A root for people: "~" + the rest when inside the home folder.
std::string shownStoreRoot(const std::string& root);

}  // namespace tessaly
