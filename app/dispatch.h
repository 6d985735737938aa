// dispatch.h - every user action arrives as a URL: a run, an external link,
// a dialog, a move in the page history or a page to build and show.
#pragma once

#include <string>

#include "app/url_query.h"
#include "app/wizard.h"

namespace tessaly {

// The single entry point for URLs (links, submitted forms, keys, the first
// page, dialogs that move on).
void dispatch(Wizard& wizard, const std::string& url);

// A clicked link or submitted form: ignored while a run is in progress;
// otherwise its fields are stored and its URL dispatched.
void followLink(Wizard& wizard, const std::string& url, const FormFields& fields);

// The dialog actions behind "dlg:" (dialogs.cpp): "save" exactly chooses
// the archive folder; "dbx_dir...", "bmf_dir...", "mapi_dir..." pick files;
// "browse..." opens the archive folder; anything else does nothing.
void runDialogAction(Wizard& wizard, const std::string& action);

}  // namespace tessaly
