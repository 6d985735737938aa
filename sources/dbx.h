// dbx.h - the DBX reader: Outlook Express folder files, their trees, records
// and message texts, and the tests for a mail folder file.
//
// Usage: map the file with imemfile, read the header, read the tree of the
// file's kind from its root and count, decode the record at each tree value
// as DbxMessageInfo or DbxFolderInfo, and gather a message's text with
// DbxMessage from the record's "message address". Every format error raises
// DbxException; the callers decide what a failure means.
#pragma once

#include "sources/dbx_bytes.h"
#include "sources/dbx_checks.h"
#include "sources/dbx_exception.h"
#include "sources/dbx_file_info.h"
#include "sources/dbx_header.h"
#include "sources/dbx_indexed.h"
#include "sources/dbx_message.h"
#include "sources/dbx_tree.h"
#include "sources/imemfile.h"
