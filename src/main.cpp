#include "app.h"
#include "shell/platform.h"

int main(int argc, char *argv[])
{
    Platform::restrictDllSearch();
    return mirebo::run(argc, argv);
}
