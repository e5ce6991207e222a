// Field lists of the packets the server sends, which are also the persistent
// fields of the workspace's data sets.
#pragma once

#include <string_view>
#include <vector>

#include "host/dataset.h"

namespace server {

// Known names: CNABREC, BOLETOS, ALTERABOLETOS, DOCUMENTOS, TOTREMESSA, DOCBOL,
// LICENCAUSO, TXBOLETOS, DUPLICATA, INSTRUBOL, EMPRBANC, IDCONTA, CONTACORR,
// CONTACORRCOBR, FILIAL, FILIALCC, FILIRECE, PARAMFILIAL, DADOSREL, BORDERO,
// OPCOESFILTRO, ARQRETORNO, OCORRETORNO. An unknown name is a programming
// error and raises std::out_of_range.
const std::vector<host::TFieldDef>& PacketFields(std::string_view name);

}  // namespace server
