// The JSON API of `remessa web`: each call validated, then run on the
// session's form through the form's own commands.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "app/web/sessao.h"

namespace app::web {

using nlohmann::json;

struct TPedido {
  std::string metodo, caminho;  // caminho without "/api/"
  json corpo;                   // POST: the JSON body (an object)
  std::map<std::string, std::string> params;
};

struct TResposta {
  int status = 200;
  std::string corpo;
  std::string tipo = "application/json; charset=utf-8";
  std::string nomeArquivo;  // set: offered as a download
};

// A request the API does not take: 400 with the text.
class EPedidoInvalido : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The folder where the session's borderôs and views are written.
TResposta Trata(TSessao& s, const TPedido& p, const std::string& pastaSessao);

}  // namespace app::web
