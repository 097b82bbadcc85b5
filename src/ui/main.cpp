// Orvanel: an interactive rendezvous and docking simulator.
#include <cstdio>

#include "window.h"

int main(int argc, char** argv)
{
    // Line by line, so that a console or a pipe sees each trace line at once.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    print_banner(&argc, argv);
    setup_window(&argc, argv);
}
