// The listing commands: stored batches, titles, and the look-ups of
// companies, accounts and branches an operator needs to name in `gerar`.
#pragma once

#include <string>

#include "app/cli_common.h"
#include "app/lotes.h"
#include "host/dataset.h"

namespace app {

int ComandoRemessas(const TGlobais& g, TFiltroRemessas filtro);
int ComandoBoletos(const TGlobais& g, const std::string& empresa, const std::string& remessa,
                   bool documentos);
// A batch's titles after an operation: title, value, situation.
void MostraTitulos(const host::TPacket& p);

int ComandoEmpresas(const TGlobais& g);
int ComandoContas(const TGlobais& g, const std::string& empresa);
int ComandoFiliais(const TGlobais& g, const std::string& empresa);

}  // namespace app
