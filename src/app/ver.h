// `remessa ver ARQUIVO`: what a remittance file holds (or a return file: see
// VerRetorno) (its header, one line a
// title, the trailers' counts beside the ones its details give) and every
// fault the file check finds in it, whoever wrote it.
#pragma once

#include <string>

namespace app {

// Prints the file's summary and faults on stdout. Returns 0 for a sound
// file, 1 when it has faults, 2 when it cannot be read (the message on stderr).
int ComandoVer(const std::string& arquivo);

// The same for a bank's return file (conteudo its bytes): 0 when its
// layout reads it, 1 with the fault otherwise.
int VerRetorno(const std::string& arquivo, const std::string& conteudo);

}  // namespace app
