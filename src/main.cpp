#include "app.h"

int main(int argc, char *argv[])
{
    return mirebo::run(argc, argv);
}
