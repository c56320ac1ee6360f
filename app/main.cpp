#include "app/ApplicationMain.h"

// The arguments go on unchanged; the application main reads its two options.
int main(int argc, char* argv[])
{
    return quorvell::applicationMain(argc, argv);
}
