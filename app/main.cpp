#include "app/startup.h"

int main(int argc, char **argv)
{
    return tabel::runProgram(argc, argv, tabel::currentBuildStamp());
}
