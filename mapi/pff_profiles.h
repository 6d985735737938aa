// pff_profiles.h - the provider's profiles and their services, kept in the
// current user's registry as MAPI keeps them: one key per profile under
// kProfilesKey, one subkey per service named by its UID in hexadecimal,
// holding the service's properties as values named by their tags.
#pragma once

#include <string>
#include <vector>

#include "mapi/provider.h"

namespace tessaly::pff {

extern const char kProfilesKey[];
// The profile every user has: the .pst files of the documents folder's
// "Outlook Files" folder, where Outlook keeps them.
extern const char kDocumentsProfile[];
// The only service the provider offers: a personal-store file.
extern const char kPstService[];

struct ServiceEntry {
    EntryId uid;  // 16 bytes
    std::string service;
    std::string displayName;
    std::string pstPath;
};

// Profile names in registry order, and the default one ("" when none).
std::vector<std::string> profileNames();
std::string defaultProfile();
bool profileExists(const std::string& name);

// MAPI_E_NO_ACCESS when the profile exists, MAPI_E_INVALID_PARAMETER for a
// name that cannot be a key (empty or holding a backslash).
MapiResult createProfile(const std::string& name);
// MAPI_E_NOT_FOUND when there is no such profile.
MapiResult deleteProfile(const std::string& name);

std::vector<ServiceEntry> profileServices(const std::string& profile);
// MAPI_E_NOT_FOUND for an unknown profile or service name.
MapiResult createService(const std::string& profile, const std::string& service,
                         const std::string& displayName, EntryId& uid);
// Stores PR_PST_PATH and PR_DISPLAY_NAME; other properties are ignored. A
// path that names no readable file is refused with MAPI_E_NOT_FOUND (the
// provider cannot create stores).
MapiResult configureService(const std::string& profile, const EntryId& uid,
                            const PropRow& properties);

// Creates the documents profile when it is missing, as the default profile
// when there is none.
void ensureDocumentsProfile();
// Brings the documents profile's services in line with the .pst files in
// the documents folder's "Outlook Files" folder.
void syncDocumentsProfile();

}  // namespace tessaly::pff
