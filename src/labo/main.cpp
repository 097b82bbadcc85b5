// Orvanel Labo: the teaching edition of the rendezvous and docking simulator.
#include <cstdio>

#include "labo.h"

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    run_labo_window(&argc, argv);
}
