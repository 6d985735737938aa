// main.cpp - tessaly: the archiving wizard in its window.
#include <gtk/gtk.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/gtk/gtk_shell.h"
#include "mapi/outlook.h"

int main(int argc, char** argv) {
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "tessaly: cannot open a display; tessaly-cli archives without one.\n");
        return 1;
    }
    std::vector<std::string> arguments(argv + 1, argv + argc);
    {
        tessaly::GtkShell shell;
        if (shell.start(arguments)) {
            gtk_main();
        } else {
            shell.closeMainWindow();
        }
    }
    tessaly::CloseMapi();
    return 0;
}
