#pragma once

namespace app {

// Runs the command line; returns the process exit code.
int Main(int argc, char** argv);

}  // namespace app
