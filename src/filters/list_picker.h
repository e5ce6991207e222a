// The host's list picker (PesquisaLista) behind the filter dialogs' list
// buttons: a button opens its look-up, an empty look-up stops with the
// dialog's own message, and the picker writes the chosen keys into the list.
#pragma once

#include <functional>
#include <string>

#include "host/dataset.h"
#include "host/query.h"

namespace filters {

// Shows the rows of source, lets the operator pick keys by keyField and
// writes them into list (codes separated by commas). False when cancelled.
using TPesquisaLista = std::function<bool(host::TClientDataSet& source, const std::string& keyField,
                                          const std::string& title, std::string& list)>;
void SetPesquisaLista(TPesquisaLista picker);

// One list button: reopens q, stops with textoVazio (under chaveVazia) when
// it has no row and a text is given, then lets the picker write into list.
// Returns the rows offered, for a front end that shows them itself.
host::TClientDataSet& AbreLista(host::TADOIBQuery& q, const std::string& keyField, const std::string& title,
                                std::string& list, const std::string& chaveVazia = {},
                                const std::string& textoVazio = {});

}  // namespace filters
