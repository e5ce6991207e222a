// `remessa retorno ARQUIVO`: a bank's return file applied to the titles it
// names; `remessa retornos`: the files read and what each did.
#pragma once

#include <string>

#include "app/cli_common.h"
#include "host/dataset.h"

namespace app {

struct TPedidoRetorno {
  std::string arquivo, empresa, conta;  // UTF-8 as typed; empresa and conta may be empty
  bool simular = false, parcial = false;
};

// What reading a return file did.
struct TResultadoRetorno {
  bool novo = false;  // false: the same file had been read before, nothing changed
  host::TPacket arquivo, ocorrencias;
};

// Reads the file and applies it in one unit of work (undone when simular).
// Raises with the reader's or the server's words when the file is refused.
TResultadoRetorno LeArquivoRetorno(server::TRemessaServer& s, const TPedidoRetorno& p);

int ComandoRetorno(const TGlobais& g, const TPedidoRetorno& p);
// The company's files read; with numero, that file's occurrences.
int ComandoRetornos(const TGlobais& g, const std::string& empresa, const std::string& numero);

}  // namespace app
