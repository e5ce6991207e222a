// The listing commands: stored batches, titles, and the look-ups of
// companies, accounts and branches an operator needs to name in `gerar`.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/cli_common.h"
#include "app/lotes.h"
#include "host/dataset.h"

namespace app {

// A table on the terminal: headings (UTF-8) with their widths (0: the rest
// of the line), then the rows' cells (Windows-1252).
void Tabela(const std::vector<std::pair<std::string, int>>& colunas,
            const std::vector<std::vector<std::string>>& linhas);

int ComandoRemessas(const TGlobais& g, TFiltroRemessas filtro);
int ComandoBoletos(const TGlobais& g, const std::string& empresa, const std::string& remessa,
                   bool documentos);
// A batch's titles after an operation: title, value, situation.
void MostraTitulos(const host::TPacket& p);

int ComandoEmpresas(const TGlobais& g);
int ComandoContas(const TGlobais& g, const std::string& empresa);
int ComandoFiliais(const TGlobais& g, const std::string& empresa);

}  // namespace app
