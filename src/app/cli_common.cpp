#include "app/cli_common.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/arquivo.h"
#include "app/lotes.h"
#include "app/terminal_ui.h"
#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/text.h"
#include "host/context.h"
#include "server/pg_server.h"

namespace app {

using fields::Utf8ToCp1252;

std::string TextoDaFalha(const std::exception& e) {
  if (const auto* s = dynamic_cast<const server::store::Error*>(&e))
    return fields::Utf8ToCp1252(server::store::TextoDaFalha(*s));
  return e.what();
}

// A PostgreSQL connection string rather than a file: a URI or key=value pairs.
bool EhPostgres(const std::string& db) {
  return db.rfind("postgresql://", 0) == 0 || db.rfind("postgres://", 0) == 0 ||
         db.find("dbname=") != std::string::npos || db.find("host=") != std::string::npos;
}

std::filesystem::path PastaDoBanco(const std::string& db) {
  namespace fs = std::filesystem;
  return EhPostgres(db) ? fs::current_path() : fs::absolute(fs::path(db)).parent_path();
}

std::unique_ptr<server::TRemessaServer> Abre(const std::string& db, bool criar) {
  std::unique_ptr<server::TRemessaServer> s;
  // A shared PostgreSQL database is named by its connection string; it must
  // exist (its administrator creates it), and its schema is brought up to
  // date here as a file's is.
  if (EhPostgres(db))
    s = std::make_unique<server::TPgRemessaServer>(db);
  else
    s = std::make_unique<server::TSQLiteRemessaServer>(Utf8ToCp1252(db), criar);
  RecuperaArquivos(*s);
  return s;
}

void AplicaContexto(const TGlobais& g) {
  auto& c = host::Corvane();
  if (!g.operador.empty()) {
    c.Operador = Utf8ToCp1252(g.operador);
    c.NomeOperador = c.Operador;
  }
  if (!g.agora.empty()) {
    fields::TDateTime t;
    if (!fields::TryIsoToDateTime(g.agora, t))
      throw std::runtime_error(Utf8ToCp1252("--agora inválido: use \"AAAA-MM-DD HH:MM:SS\"."));
    c.FixClock(t);
  }
  if (!g.dataProc.empty()) {
    fields::TDateTime d;
    if (!fields::TryStrToDate(g.dataProc, d))
      throw std::runtime_error(Utf8ToCp1252("--data-proc inválida: use DD/MM/AAAA."));
    c.SetDataProc(d);
  }
}

std::string Dinheiro(double v) {
  return fields::FormatFloat("#,##0.00", v);
}

void NomeDoOperador(server::TRemessaServer& s) {
  auto& c = host::Corvane();
  try {
    auto p =
        s.ExecuteQuery("SELECT NMOPERADOR FROM OPERADOR WHERE CDOPERADOR = :P_CD", {{"P_CD", c.Operador}});
    if (!p.Rows.empty()) c.NomeOperador = host::ValueToString(p.Rows[0][0], host::TFieldType::ftString);
  } catch (...) {
  }
}

std::string EmpresaPedida(server::TRemessaServer& s, const std::string& dada, const std::string& remessa) {
  if (!dada.empty()) return Utf8ToCp1252(dada);
  std::string e = EmpresaDaRemessa(s, Utf8ToCp1252(remessa));
  if (e.empty())
    throw std::runtime_error(
        Utf8ToCp1252("Remessa " + remessa + " não encontrada em uma só empresa; informe --empresa."));
  return e;
}

std::string LeArquivo(const std::string& arquivo) {
  std::ifstream in(arquivo, std::ios::binary);
  if (!in) throw std::runtime_error(Utf8ToCp1252("Arquivo não encontrado: " + arquivo));
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string DataIso(const std::string& iso) {
  if (iso.size() < 10) return iso;
  return iso.substr(8, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(0, 4);
}

std::string Celula(const std::string& cp1252, int width) {
  std::string s = cp1252;
  for (char& ch : s)
    if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f) ch = ' ';
  if (width > 0) s = fields::PadR(fields::LeftStr(s, width), width);  // one byte a character in Windows-1252
  return Tela(s);
}

}  // namespace app
