// gtk_dialogs.h - the GTK form of the file dialogs' filters.
#pragma once

#include <gtk/gtk.h>

#include "app/file_filters.h"

namespace tessaly {

// A new (floating) GtkFileFilter with the filter's label, globs and content
// types.
GtkFileFilter* newGtkFileFilter(const FileFilter& filter);

}  // namespace tessaly
