// What the page shows of the form, as JSON (UTF-8): the controls, the
// commands, the counts and totals, and pages of the two grids.
#pragma once

#include <nlohmann/json.hpp>

#include "host/dataset.h"

namespace workspace {
class TfrmRemessaCNAB;
}

namespace app::web {

using nlohmann::json;

json EstadoDoForm(workspace::TfrmRemessaCNAB& f);

// Rows [inicio, inicio + quantos) of the titles grid, the current title kept.
json PaginaBoletos(workspace::TfrmRemessaCNAB& f, int inicio, int quantos);
// The same of the batch list.
json PaginaRemessas(workspace::TfrmRemessaCNAB& f, int inicio, int quantos);
// A look-up's rows (every column as text), as a search button offers them.
json LinhasPesquisa(host::TClientDataSet* ds);

}  // namespace app::web
