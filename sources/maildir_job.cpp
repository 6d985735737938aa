// maildir_job.cpp - placeholder until the Maildir and MH job lands.
#include "sources/maildir_job.h"

namespace tessaly {

void archiveMessageFiles(JobRun&, const TDbxFolderInfo&, TargetFolder&, const FileShare&) {}

}  // namespace tessaly
