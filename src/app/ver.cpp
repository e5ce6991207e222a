#include "app/ver.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "app/cli_common.h"
#include "app/terminal_ui.h"
#include "fields/cp1252.h"
#include "layouts/file_check.h"
#include "layouts/retorno/retorno.h"

namespace app {
namespace {

using layouts::TFamilia;
using std::string;
using std::string_view;

// The records as a bank's reader takes them: CR LF, a bare LF or a bare CR
// ends one (the check names the line ends that are not CR LF).
std::vector<string_view> Registros(string_view c) {
  std::vector<string_view> rs;
  for (size_t at = 0; at < c.size();) {
    const size_t fim = std::min(c.find_first_of("\r\n", at), c.size());
    rs.push_back(c.substr(at, fim - at));
    at = fim + (c.compare(fim, 2, "\r\n") == 0 ? 2 : 1);
  }
  return rs;
}

// The field at 1-based pos, cut short by a short record.
string_view Campo(string_view r, int pos, int tam) {
  if (static_cast<size_t>(pos) > r.size()) return {};
  return r.substr(pos - 1, tam);
}

string Aparado(string_view s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == string_view::npos) return {};
  return string(s.substr(a, s.find_last_not_of(' ') - a + 1));
}

std::optional<long long> Digitos(string_view c) {
  if (c.empty() || c.size() > 18 || c.find_first_not_of("0123456789") != string_view::npos)
    return std::nullopt;
  long long v = 0;
  for (char ch : c) v = v * 10 + (ch - '0');
  return v;
}

// Cents as the operator reads money, whatever the process locale: "1.234,56".
string Centavos(long long v) {
  string inteiro = std::to_string(v / 100), cents = std::to_string(v % 100);
  for (int i = static_cast<int>(inteiro.size()) - 3; i > 0; i -= 3) inteiro.insert(i, ".");
  return inteiro + "," + (cents.size() < 2 ? "0" : "") + cents;
}

// "DDMMAA" or "DDMMAAAA" with its bars; anything else as written.
string Data(string_view d) {
  if (!Digitos(d) || (d.size() != 6 && d.size() != 8)) return Aparado(d);
  return string(d.substr(0, 2)) + "/" + string(d.substr(2, 2)) + "/" + string(d.substr(4));
}

struct TTituloLido {
  string sequencia, documento, uso, nossoNumero, vencimento, valorTexto, tipoInscricao, inscricao, nome,
      movimento;
  std::optional<long long> valor;  // cents; none when the field is not digits
};

struct TLeitura {
  std::vector<std::pair<string, string>> header;  // label (UTF-8), value (Windows-1252)
  std::vector<TTituloLido> titulos;
  std::vector<string> trailers;  // lines (Windows-1252)
  std::map<string, int> outros;  // records not itemised, by kind (UTF-8)
};

void Valor(TTituloLido& t, string_view campo) {
  t.valor = Digitos(campo);
  t.valorTexto = t.valor ? Centavos(*t.valor) : Aparado(campo);
}

// CNAB 400 and 444: the positions the family's banks share; the bank's
// departures move the detail's fields from the movement code on.
TLeitura Le400(const std::vector<string_view>& rs, const layouts::TDesvios& d) {
  TLeitura l;
  const string_view h = rs.front();
  l.header = {{"Banco", Aparado(Campo(h, 77, 3)) + " " + Aparado(Campo(h, 80, 15))},
              {"Empresa", Aparado(Campo(h, 47, 30))},
              {"Data do arquivo", Data(Campo(h, 95, 6))}};
  const int k = d.deslocamento;
  for (size_t i = 1; i < rs.size(); ++i) {
    const string_view r = rs[i];
    const char tipo = r.empty() ? ' ' : r[0];
    if (tipo == '9') {
      l.trailers.push_back(fields::Utf8ToCp1252("Trailer: sequência ") + Aparado(Campo(r, 395, 6)));
    } else if (tipo == '1') {
      TTituloLido t;
      const int seq = layouts::InicioDaSequencia(d, r, 400);
      t.sequencia = Aparado(Campo(r, seq, 401 - seq));
      t.uso = Aparado(Campo(r, 38, 25));
      t.nossoNumero = Aparado(Campo(r, 63, 20));
      t.movimento = Aparado(Campo(r, 109 + k, 2));
      t.documento = Aparado(Campo(r, 111 + k, 10));
      t.vencimento = Data(Campo(r, 121 + k, 6));
      Valor(t, Campo(r, 127 + k, 13));
      t.tipoInscricao = Aparado(Campo(r, 219 + k, 2));
      t.inscricao = Aparado(Campo(r, 221 + k, 14));
      t.nome = Aparado(Campo(r, 235 + k, 40));
      l.titulos.push_back(std::move(t));
    } else {
      ++l.outros["tipo " + Tela(string(1, tipo))];
    }
  }
  return l;
}

// CNAB 240: a title is its segment P and the payer of the segment Q after it.
TLeitura Le240(const std::vector<string_view>& rs) {
  TLeitura l;
  const string_view h = rs.front();
  l.header = {{"Banco", Aparado(Campo(h, 1, 3)) + " " + Aparado(Campo(h, 103, 30))},
              {"Empresa", Aparado(Campo(h, 73, 30))},
              {"Data do arquivo", Data(Campo(h, 144, 8))},
              {"Remessa", Aparado(Campo(h, 158, 6))}};
  for (size_t i = 1; i < rs.size(); ++i) {
    const string_view r = rs[i];
    const char tipo = r.size() >= 8 ? r[7] : ' ';
    const string segmento(Campo(r, 14, 1));
    if (tipo == '3' && segmento == "P") {
      TTituloLido t;
      t.sequencia = string(Campo(r, 4, 4)) + "/" + string(Campo(r, 9, 5));
      t.movimento = Aparado(Campo(r, 16, 2));
      t.nossoNumero = Aparado(Campo(r, 38, 20));
      t.documento = Aparado(Campo(r, 63, 15));
      t.vencimento = Data(Campo(r, 78, 8));
      Valor(t, Campo(r, 86, 15));
      l.titulos.push_back(std::move(t));
    } else if (tipo == '3' && segmento == "Q" && !l.titulos.empty() && l.titulos.back().nome.empty()) {
      TTituloLido& t = l.titulos.back();
      t.tipoInscricao = Aparado(Campo(r, 18, 1));
      t.inscricao = Aparado(Campo(r, 19, 15));
      t.nome = Aparado(Campo(r, 34, 40));
    } else if (tipo == '5') {
      string s =
          "Trailer do lote " + string(Campo(r, 4, 4)) + ": " + Aparado(Campo(r, 18, 6)) + " registro(s)";
      // By portfolio, where the bank writes them: 024-029/030-046 and each 23 positions on.
      long long titulos = 0, total = 0;
      for (int pos = 24; pos <= 93; pos += 23) {
        titulos += Digitos(Campo(r, pos, 6)).value_or(0);
        total += Digitos(Campo(r, pos + 6, 17)).value_or(0);
      }
      if (titulos || total)
        s += ", " + std::to_string(titulos) + fields::Utf8ToCp1252(" título(s), total ") + Centavos(total);
      l.trailers.push_back(s);
    } else if (tipo == '9') {
      l.trailers.push_back("Trailer de arquivo: " + Aparado(Campo(r, 18, 6)) + " lote(s), " +
                           Aparado(Campo(r, 24, 6)) + " registro(s)");
    } else if (tipo == '3') {
      ++l.outros["segmento " + Tela(segmento)];
    } else if (tipo != '0') {
      ++l.outros["tipo " + Tela(string(1, tipo))];
    }
  }
  return l;
}

const char* NomeDaFamilia(TFamilia f) {
  switch (f) {
    case TFamilia::Cnab240:
      return "CNAB 240";
    case TFamilia::Cnab400:
      return "CNAB 400";
    case TFamilia::Cnab444:
      return "CNAB 444";
    default:
      return "desconhecido";
  }
}

// A column heading, written here in UTF-8.
string Titulo(const string& utf8, int largura) {
  return Celula(fields::Utf8ToCp1252(utf8), largura);
}

void Imprime(const TLeitura& l, int registros) {
  for (const auto& [rotulo, valor] : l.header) std::cout << rotulo << ": " << Celula(valor) << "\n";
  std::cout << "\n"
            << Titulo("Sequência", 11) << Titulo("Documento", 16) << Titulo("Uso da empresa", 26)
            << Titulo("Nosso número", 21) << Titulo("Vencimento", 11) << Titulo("Valor", 15)
            << Titulo("Inscrição", 18) << Titulo("Sacado", 41) << "Mov.\n";
  long long total = 0;
  int ilegiveis = 0;
  for (const TTituloLido& t : l.titulos) {
    std::cout << Celula(t.sequencia, 11) << Celula(t.documento, 16) << Celula(t.uso, 26)
              << Celula(t.nossoNumero, 21) << Celula(t.vencimento, 11)
              << Celula(string(t.valorTexto.size() < 14 ? 14 - t.valorTexto.size() : 0, ' ') + t.valorTexto,
                        15)
              << Celula(t.tipoInscricao + " " + t.inscricao, 18) << Celula(t.nome, 41) << Celula(t.movimento)
              << "\n";
    if (t.valor)
      total += *t.valor;
    else
      ++ilegiveis;
  }
  std::cout << "\n";
  for (const string& t : l.trailers) std::cout << Celula(t) << "\n";
  std::cout << "Calculado: " << registros << " registro(s), " << l.titulos.size() << " título(s), total "
            << Centavos(total);
  if (ilegiveis) std::cout << " (" << ilegiveis << " valor(es) ilegível(is) fora do total)";
  std::cout << "\n";
  if (!l.outros.empty()) {
    std::cout << "Outros registros:";
    const char* sep = " ";
    for (const auto& [tipo, n] : l.outros) {
      std::cout << sep << tipo << ": " << n;
      sep = ", ";
    }
    std::cout << "\n";
  }
}

}  // namespace

int ComandoVer(const std::string& arquivo) {
  std::error_code ec;
  std::ifstream in(fields::OsPath(fields::Utf8ToCp1252(arquivo)), std::ios::binary);
  if (!std::filesystem::is_regular_file(arquivo, ec) || !in) {
    std::cerr << "Arquivo ou diretório não existe.\n";
    return 2;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  const string conteudo = ss.str();
  if (in.bad()) {
    std::cerr << "Arquivo ou diretório não existe.\n";
    return 2;
  }
  if (layouts::retorno::FamiliaDeRetorno(conteudo) != TFamilia::Desconhecida)
    return VerRetorno(arquivo, conteudo);
  const layouts::TVerificacao v = layouts::VerificaArquivo(conteudo, {}, true);
  std::cout << "Arquivo: " << arquivo << "\n"
            << "Leiaute: " << NomeDaFamilia(v.familia) << ", " << v.registros << " registro(s)\n";
  const std::vector<string_view> rs = Registros(conteudo);
  if (!rs.empty() && v.familia != TFamilia::Desconhecida)
    Imprime(v.familia == TFamilia::Cnab240 ? Le240(rs) : Le400(rs, v.desvios), static_cast<int>(rs.size()));
  if (!v.ok()) {
    std::cout << "\nFalhas:\n";
    for (const auto& f : v.falhas) std::cout << Celula(layouts::Descreve(f)) << "\n";
  }
  std::cout << "\n" << v.falhas.size() << " falha(s).\n";
  return v.ok() ? 0 : 1;
}

}  // namespace app
