// `remessa web`: the operator's screen as a local web page over the same
// form the command line drives.
#pragma once

#include <string>

namespace app {

struct TGlobais;

struct TOpcoesWeb {
  int porta = 8080;  // 0: any free port (the one taken is printed)
  std::string endereco = "127.0.0.1";
};

// Serves until the process ends. Prints the page's address (with the access
// token when the address is not this machine's loopback).
int ComandoWeb(const TGlobais& g, const TOpcoesWeb& o);

}  // namespace app
