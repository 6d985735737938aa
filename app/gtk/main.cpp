// main.cpp - tessaly: the archiving wizard in its window, one per session.
#include <gtk/gtk.h>

#include <cstdio>

#include "app/gtk/application.h"
#include "mapi/outlook.h"

int main(int argc, char** argv) {
    // GTK would abort at start-up without a display; say what to do instead.
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "tessaly: cannot open a display; tessaly-cli archives without one.\n");
        return 1;
    }
    g_set_prgname("tessaly");
    int status = 0;
    {
        tessaly::TessalyApplication application;
        status = application.run(argc, argv);
    }
    tessaly::CloseMapi();
    return status;
}
