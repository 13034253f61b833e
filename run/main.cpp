#include "run/entry.h"

int main(int argc, char **argv)
{
    return run_prcfix(argc, argv);
}
