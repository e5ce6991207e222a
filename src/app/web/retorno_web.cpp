#include "app/web/retorno_web.h"

#include <filesystem>
#include <fstream>

#include "app/retorno.h"
#include "app/web/api.h"
#include "fields/cp1252.h"

namespace app::web {

using nlohmann::json;

std::string DeBase64(const std::string& texto) {
  static const std::string kAlfabeto = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string r;
  unsigned acumulado = 0;
  int bits = 0;
  size_t fim = texto.size();
  while (fim > 0 && texto[fim - 1] == '=') --fim;
  if (texto.size() % 4 != 0 || texto.size() - fim > 2)
    throw EPedidoInvalido("O conteúdo não está em base64.");
  for (size_t i = 0; i < fim; ++i) {
    const auto p = kAlfabeto.find(texto[i]);
    if (p == std::string::npos) throw EPedidoInvalido("O conteúdo não está em base64.");
    acumulado = (acumulado << 6) | static_cast<unsigned>(p);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      r += static_cast<char>((acumulado >> bits) & 0xFF);
    }
  }
  return r;
}

namespace {

// A packet's rows with every column as text, for the page to show as a table.
json Tabela(const host::TPacket& p) {
  json r = {{"colunas", json::array()}, {"linhas", json::array()}};
  for (const auto& f : p.Fields) r["colunas"].push_back(f.Name);
  for (const auto& row : p.Rows) {
    json l = json::array();
    for (size_t i = 0; i < row.size() && i < p.Fields.size(); ++i)
      l.push_back(fields::Cp1252ToUtf8(host::ValueToString(row[i], p.Fields[i].DataType)));
    r["linhas"].push_back(std::move(l));
  }
  return r;
}

}  // namespace

json AplicaRetorno(server::TRemessaServer& s, const std::string& empresa, const std::string& pasta,
                   const std::string& nome, const std::string& bytes, bool simular) {
  // The name the operator's file had, without any folder of theirs.
  std::string base = std::filesystem::path(nome).filename().string();
  if (base.empty() || base == "." || base == "..") base = "retorno.ret";
  const std::string path = pasta + "/" + base;
  std::ofstream(path, std::ios::binary) << bytes;
  TPedidoRetorno p;
  p.arquivo = fields::Cp1252ToUtf8(path);
  p.empresa = fields::Cp1252ToUtf8(empresa);
  p.simular = simular;
  TResultadoRetorno r = LeArquivoRetorno(s, p);
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return {{"novo", r.novo},
          {"simulado", simular},
          {"arquivo", Tabela(r.arquivo)},
          {"ocorrencias", Tabela(r.ocorrencias)}};
}

}  // namespace app::web
