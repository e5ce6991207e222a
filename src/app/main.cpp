// remessa: the command line of the remittance module.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

#include "app/commands.h"

int main(int argc, char** argv) { return app::Main(argc, argv); }
