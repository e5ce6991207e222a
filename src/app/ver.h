// `remessa ver ARQUIVO`: what a remittance file holds (its header, one line a
// title, the trailers' counts beside the ones its details give) and every
// fault the file check finds in it, whoever wrote it.
#pragma once

#include <string>

namespace app {

// Prints the file's summary and faults on stdout. Returns 0 for a sound
// file, 1 when it has faults, 2 when it cannot be read (the message on stderr).
int ComandoVer(const std::string& arquivo);

}  // namespace app
