#include "app/ApplicationMain.h"

// No options and no settings are read here: the arguments go on unchanged.
int main(int argc, char* argv[])
{
    return quorvell::applicationMain(argc, argv);
}
