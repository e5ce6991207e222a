// The bank's return file sent from the page: read and applied as
// `remessa retorno` does, its outcome as JSON.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "server/remessa_server.h"

namespace app::web {

// The bytes of a base64 text; raises EPedidoInvalido when it is not one.
std::string DeBase64(const std::string& texto);

// Applies the file (bytes, written under pasta as nome) to the titles of the
// company shown; simular undoes it all afterwards. Raises with the reader's or
// the server's words when the file is refused.
nlohmann::json AplicaRetorno(server::TRemessaServer& s, const std::string& empresa, const std::string& pasta,
                             const std::string& nome, const std::string& bytes, bool simular);

}  // namespace app::web
