// The per-title record kinds (documents, invoices, licences, fees,
// instructions, receiving branch): how each is read for one title, and for
// a list of titles joined from a temporary table of their keys.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/dataset.h"

namespace server::detail {

// The title's invoices, first instalment first.
inline constexpr const char* kDuplicataOrder = " ORDER BY D.NRPARCELA, D.DUPLICATA, D.rowid";

// How one kind of per-title record is read: the same select serves the call
// for one title and the call for a whole list of titles.
struct TRegistroTitulo {
  const char* packet;  // packet fields, also the kind's name in GetRegistrosBoletos
  const char* alias;
  std::map<std::string, std::string> exprs;  // fields read from elsewhere than alias
  const char* from;
  const char* branch;  // the columns the title's two keys are compared with
  const char* number;
  const char* order;
  bool first;         // only the first row (the first invoice) counts
  bool bank = false;  // also filtered by bank
  // The selects, built once: for one title, and for the list in LOTEBOLETO.
  std::string umTitulo = {}, lista = {};
};

const std::vector<TRegistroTitulo>& RegistrosTitulo();
// The kind of that name (its packet's); refused when there is none.
const TRegistroTitulo& RegistroTitulo(std::string_view packet);

// What a call for a list of titles starts from: the kind, the places of
// the list's two keys (refused when it lacks one), and the reply's fields
// (NRORDEM, the title's place in the list, first).
struct TPedidoLista {
  const TRegistroTitulo& r;
  int iFil, iNr;
  host::TPacket resposta;
};
TPedidoLista PedidoLista(const std::string& registro, const host::TPacket& titulos);

}  // namespace server::detail
