// What the return layouts' tests share: records built by hand from the
// published positions, a file of them, a read file laid flat for comparison
// and the message of a refused file.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fields/cp1252.h"
#include "layouts/retorno/retorno.h"

namespace retorno_teste {

using namespace layouts::retorno;
using TLinhas = std::vector<std::string>;

// A record of len blanks with each value at its 1-based position.
inline std::string Linha(int len, std::initializer_list<std::pair<int, std::string_view>> campos) {
  std::string r(static_cast<size_t>(len), ' ');
  for (const auto& [pos, v] : campos) {
    if (pos < 1 || pos - 1 + v.size() > r.size())
      ADD_FAILURE() << "field at " << pos << " does not fit";
    else
      r.replace(static_cast<size_t>(pos - 1), v.size(), v);
  }
  return r;
}

// Overwrites positions of the n-th record (from 1), as a damaged file would.
inline void Poe(TLinhas& l, int n, int pos, std::string_view v) {
  std::string& r = l.at(static_cast<size_t>(n - 1));
  ASSERT_LE(pos - 1 + v.size(), r.size()) << "record " << n << " at " << pos;
  std::copy(v.begin(), v.end(), r.begin() + (pos - 1));
}

inline std::string Arquivo(const TLinhas& linhas, std::string_view fim = "\r\n") {
  std::string s;
  for (const auto& l : linhas) s.append(l).append(fim);
  return s;
}

// The hand-built file of each layout (in its own test source).
TLinhas ArquivoCnab240();
TLinhas ArquivoBradesco();
TLinhas ArquivoItau();

// A read file as name -> value, the effect by its letter; the description
// is the table's, checked on its own.
inline std::map<std::string, std::string> Plano(const TRetorno& r) {
  std::map<std::string, std::string> p{{"familia", std::to_string(static_cast<int>(r.familia))},
                                       {"leiaute", r.leiaute},
                                       {"banco", r.banco},
                                       {"inscricao", r.inscricao},
                                       {"agencia", r.agencia},
                                       {"conta", r.conta},
                                       {"codigoEmpresa", r.codigoEmpresa},
                                       {"empresa", r.empresa},
                                       {"data", r.data},
                                       {"sequencia", r.sequencia},
                                       {"ocorrencias", std::to_string(r.ocorrencias.size())}};
  for (size_t i = 0; i < r.ocorrencias.size(); ++i) {
    const TOcorrencia& o = r.ocorrencias[i];
    const std::string k = std::to_string(i + 1) + ".";
    const std::pair<const char*, std::string> campos[] = {{"registro", std::to_string(o.registro)},
                                                          {"ocorrencia", o.ocorrencia},
                                                          {"efeito", Letra(o.efeito)},
                                                          {"motivos", o.motivos},
                                                          {"identificacao", o.identificacao},
                                                          {"nossoNumero", o.nossoNumero},
                                                          {"carteira", o.carteira},
                                                          {"documento", o.documento},
                                                          {"vencimento", o.vencimento},
                                                          {"dataOcorrencia", o.dataOcorrencia},
                                                          {"dataCredito", o.dataCredito},
                                                          {"valorTitulo", std::to_string(o.valorTitulo)},
                                                          {"valorPago", std::to_string(o.valorPago)},
                                                          {"tarifa", std::to_string(o.tarifa)},
                                                          {"juros", std::to_string(o.juros)},
                                                          {"desconto", std::to_string(o.desconto)},
                                                          {"abatimento", std::to_string(o.abatimento)}};
    for (const auto& [nome, valor] : campos) p[k + nome] = valor;
  }
  return p;
}

// Every expected field of the read file, by name.
inline void Confere(const TRetorno& r, const std::vector<std::pair<std::string, std::string>>& esperado) {
  const auto p = Plano(r);
  for (const auto& [campo, valor] : esperado) {
    const auto it = p.find(campo);
    ASSERT_NE(it, p.end()) << campo;
    EXPECT_EQ(it->second, valor) << campo;
  }
}

// The message (in UTF-8) a refused file gets; empty when it was read.
inline std::string Recusa(const std::function<void()>& f) {
  try {
    f();
  } catch (const ERetorno& e) {
    return fields::Cp1252ToUtf8(e.what());
  }
  return {};
}

}  // namespace retorno_teste
