// A small store shared by the server tests: two companies, branches with
// addresses, accounts, clients with accented names, titles in every CNAB
// situation and two stored batches.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fields/cp1252.h"
#include "host/dataset.h"
#include "server/import.h"
#include "server/pg_server.h"
#include "server/sqlite_server.h"
#include "support/pg_teste.h"

namespace server_test {

inline const char* kFixture = R"json({
  "EMPRESA": [
    {"CDEMPRESA": "01", "NMEMPRESA": "Comércio Ação", "IDTPIJUREMPR": "J", "NRINSJUREMPR": "12345678000190",
     "NMRAZSOCEMPR": "Comércio Ação Ltda"},
    {"CDEMPRESA": "02", "NMEMPRESA": "Outra", "IDTPIJUREMPR": "J", "NRINSJUREMPR": "99888777000166",
     "NMRAZSOCEMPR": "Outra SA"}
  ],
  "FILIAL": [
    {"CDFILIAL": "0001", "CDEMPRESA": "01", "NMFILIAL": "Matriz São Paulo", "NRINSJURFILI": "12.345.678/0001-90"},
    {"CDFILIAL": "0002", "CDEMPRESA": "01", "NMFILIAL": "Filial Goiânia", "NRINSJURFILI": "12.345.678/0002-71"},
    {"CDFILIAL": "0003", "CDEMPRESA": "02", "NMFILIAL": "Outra", "NRINSJURFILI": "99.888.777/0001-66"}
  ],
  "MUNICIPIO": [{"CDPAIS": "1058", "SGESTADO": "SP", "CDMUNICIPIO": "3550", "NMMUNICIPIO": "São Paulo"}],
  "ENDEFILI": [
    {"CDFILIAL": "0001", "IDTPENDEFILI": "C", "CDPAIS": "1058", "SGESTADO": "SP", "CDMUNICIPIO": "3550",
     "DSENDEFILI": "Rua da Cobrança, 1"},
    {"CDFILIAL": "0001", "IDTPENDEFILI": "P", "CDPAIS": "1058", "SGESTADO": "SP", "CDMUNICIPIO": "3550",
     "DSENDEFILI": "Av. Paulista, 1000", "NMBAIRFILI": "Bela Vista", "NRCEPFILI": "01310-100"}
  ],
  "BANCO": [
    {"CDBANCO": "237", "NMBANCO": "Bradesco", "CDPICTAGEN": "9999-9", "CDPICTCONT": "9999999-9"},
    {"CDBANCO": "001", "NMBANCO": "Banco do Brasil", "CDPICTAGEN": "9999-9", "CDPICTCONT": "99999999-9"}
  ],
  "CONTCORR": [
    {"CDREDUCONT": "001", "CDEMPRESA": "01", "CDBANCO": "237", "CDAGENCIA": "1234", "CDCONTCORR": "56789",
     "DSCONTCORR": "Conta Movimento", "CDBANCCNAB": "237", "CDFILIAL": "0001", "CDIDRECCONTCORR": "ID-001",
     "NRSEQREMESSAREC": 5, "VRLIMCREDBANC": 1000},
    {"CDREDUCONT": "002", "CDEMPRESA": "01", "CDBANCO": "237", "CDAGENCIA": "1234", "CDCONTCORR": "11111",
     "DSCONTCORR": "Cobrança", "IDCONTCOBR": "S"},
    {"CDREDUCONT": "003", "CDEMPRESA": "02", "CDBANCO": "001", "CDAGENCIA": "4321", "CDCONTCORR": "22222"}
  ],
  "EMPRBANC": [{"CDEMPRESA": "01", "CDBANCO": "237", "CDEMPBANCREC": "4455", "CDCARTCOBR": "109"}],
  "CLIENTE": [
    {"CDCLIENTE": "C1", "NMRAZSOCCLIE": "José Conceição", "CDGRUPOCLIE": "G1", "VRADIANTCLIE": 50},
    {"CDCLIENTE": "C2", "NMRAZSOCCLIE": "Maria Brandão", "CDGRUPOCLIE": "G2"}
  ],
  "ENDECLIE": [
    {"CDCLIENTE": "C1", "IDTPENDECLIE": "C", "CDPAIS": "1058", "SGESTADO": "SP", "CDMUNICIPIO": "3550",
     "DSENDECLIE": "Rua Ipê, 7", "NMBAIRCLIE": "Moóca", "NRCEPCLIE": "03100-000"},
    {"CDCLIENTE": "C2", "IDTPENDECLIE": "E", "DSENDECLIE": "Entrega"}
  ],
  "CNABREC": [
    {"CDEMPRESA": "01", "NRCNABREC": "7", "DTCNABREC": "2024-03-05 10:00:00", "CDOPERADOR": "OP1",
     "CDREDUCONT": "001", "QTBOLENVCNABREC": 3, "VRTOTBOLCNABREC": 385},
    {"CDEMPRESA": "01", "NRCNABREC": "3", "DTCNABREC": "2024-02-01 09:00:00", "CDOPERADOR": "OP2",
     "CDREDUCONT": "002", "QTBOLENVCNABREC": 0, "VRTOTBOLCNABREC": 0},
    {"CDEMPRESA": "02", "NRCNABREC": "9", "DTCNABREC": "2024-03-05 11:00:00", "CDOPERADOR": "OP1"}
  ],
  "BOLETOREC": [
    {"CDFILIAL": "0001", "NRLANBOLREC": "1", "CDEMPRESA": "01", "CDCLIENTE": "C1", "CDREDUCONT": "001",
     "DTVENBOLREC": "2024-03-10", "DTEMISBOLREC": "2024-03-01", "VRFINALBREC": 100, "IDSITUCNABR": "00",
     "DOCUMENTO": "123", "CDFILIBOLREC": "0001", "CDCARTCOBBOL": "09", "IDCARTCOBREC": "1",
     "CDFORMRECE": "BOL", "NRORCAMENTO": "55"},
    {"CDFILIAL": "0001", "NRLANBOLREC": "2", "CDEMPRESA": "01", "CDCLIENTE": "C2", "CDREDUCONT": "001",
     "DTVENBOLREC": "2024-03-15", "DTEMISBOLREC": "2024-03-02", "VRFINALBREC": 250.5, "IDSITUCNABR": "01",
     "DOCUMENTO": "124", "CDFILIBOLREC": "0002", "CDCARTCOBBOL": "017", "IDCARTCOBREC": "4",
     "CDFORMRECE": "DEP"},
    {"CDFILIAL": "0002", "NRLANBOLREC": "3", "CDEMPRESA": "01", "CDCLIENTE": "C1", "CDREDUCONT": "002",
     "DTVENBOLREC": "2024-03-20", "DTEMISBOLREC": "2024-02-15", "VRFINALBREC": 75, "IDSITUCNABR": "10",
     "NRCNABRECREM": "7", "IDBOLRECALTER": "1", "DOCUMENTO": "200", "IDCARTCOBREC": "1",
     "NRRETCNABREC": "3"},
    {"CDFILIAL": "0002", "NRLANBOLREC": "4", "CDEMPRESA": "01", "CDCLIENTE": "C2", "CDREDUCONT": "001",
     "DTVENBOLREC": "2024-04-01", "DTEMISBOLREC": "2024-02-20", "VRFINALBREC": 300, "IDSITUCNABR": "20",
     "NRCNABRECREM": "7", "IDBOLRECALTER": "3", "DOCUMENTO": "201", "IDCARTCOBREC": "2"},
    {"CDFILIAL": "0001", "NRLANBOLREC": "5", "CDEMPRESA": "01", "CDCLIENTE": "C1", "CDREDUCONT": "001",
     "DTVENBOLREC": "2024-03-12", "DTEMISBOLREC": "2024-03-05", "VRFINALBREC": 40, "IDSITUCNABR": null,
     "DOCUMENTO": "125"},
    {"CDFILIAL": "0002", "NRLANBOLREC": "6", "CDEMPRESA": "01", "CDCLIENTE": "C1", "CDREDUCONT": "001",
     "DTVENBOLREC": "2024-04-05", "DTEMISBOLREC": "2024-01-10", "VRFINALBREC": 10, "IDSITUCNABR": "90",
     "NRCNABRECREM": "7", "IDBOLRECALTER": "1", "DOCUMENTO": "300"},
    {"CDFILIAL": "0003", "NRLANBOLREC": "7", "CDEMPRESA": "02", "CDCLIENTE": "C1", "CDREDUCONT": "003",
     "DTVENBOLREC": "2024-03-10", "VRFINALBREC": 5, "IDSITUCNABR": "00", "DOCUMENTO": "1"}
  ],
  "NOTAFISCAL": [
    {"CDFILIAL": "0001", "NRLANCTONF": "NF1", "NRNOTAFISC": "1001", "CDSERIE": "1",
     "NRACESSONFE": "35240312345678000190550010000010011000010010", "VRNOTAFISC": 100,
     "DTEMISSAO": "2024-03-01", "CDFILIRECE": "0002"},
    {"CDFILIAL": "0001", "NRLANCTONF": "NF2", "NRNOTAFISC": "1002", "CDSERIE": "", "CDFILIRECE": "0001"}
  ],
  "DUPLICATA": [
    {"CDFILIAL": "0001", "NRLANBOLREC": "1", "DUPLICATA": "123", "NRPARCELA": "02", "CDFILINF": "0001",
     "NRLANCTONF": "NF2"},
    {"CDFILIAL": "0001", "NRLANBOLREC": "1", "DUPLICATA": "123", "NRPARCELA": "01", "DTEMISSAO": "2024-03-01",
     "CDFILINF": "0001", "NRLANCTONF": "NF1"}
  ],
  "LICENCAUSO": [{"CDFILIAL": "0001", "NRLANBOLREC": "2", "NMRAZSOCLUSO": "Licenciada Ltda", "SGESTADO": "GO"}],
  "PARAMFILIAL": [{"CDFILIAL": "0001", "NRTAMNUMNFUT": 9}],
  "OPERADOR": [
    {"CDOPERADOR": "OP1", "NMOPERADOR": "Ana", "IDALTBOLREM": "S", "IDCANBOLREM": "S"},
    {"CDOPERADOR": "OP2", "NMOPERADOR": "Beto"}
  ],
  "OPEREMPR": [{"CDOPERADOR": "OP1", "CDEMPRESA": "01"}]
})json";

inline std::unique_ptr<server::TSQLiteRemessaServer> Loaded(const std::string& path = ":memory:",
                                                            bool create = true) {
  auto s = std::make_unique<server::TSQLiteRemessaServer>(path, create);
  server::ImportJson(*s, kFixture);
  return s;
}

// A PostgreSQL database of the test's own on REMESSA_PG_TEST's server, with
// the server on it; dropped with the server.
class TLojaPg : public server::TPgRemessaServer {
 public:
  TLojaPg(const std::string& conninfo, const std::string& banco)
      : server::TPgRemessaServer(conninfo, banco), conninfo_(conninfo), banco_(banco) {}
  const std::string& Conninfo() const { return conninfo_; }
  const std::string& Banco() const { return banco_; }
  ~TLojaPg() override {
    Database().Close();
    testsupport::DevolveBanco(conninfo_, banco_);
  }

 private:
  std::string conninfo_, banco_;
};

// The store the rules' tests run on, loaded with the fixture: SQLite in
// memory, or, when REMESSA_TEST_STORE is "pg", PostgreSQL (make test runs
// the rules' suites once more so).
inline std::unique_ptr<server::TRemessaServer> Loja() {
  const char* loja = std::getenv("REMESSA_TEST_STORE");
  if (!loja || std::string(loja) != "pg") return Loaded();
  const char* c = std::getenv("REMESSA_PG_TEST");
  if (!c || !*c)
    throw std::runtime_error("REMESSA_TEST_STORE=pg needs REMESSA_PG_TEST (make test sets both)");
  auto s = std::make_unique<TLojaPg>(c, testsupport::TomaBancoMigrado(c));
  server::ImportJson(*s, kFixture);
  return s;
}

// The fixture's store where several servers (workstations, threads,
// processes) meet: a SQLite file in dir, or the PostgreSQL database of
// Loja(). Abre opens one more server on it.
struct TLojaComum {
  std::unique_ptr<server::TRemessaServer> loja;
  std::string path;  // the SQLite file; empty on PostgreSQL
  std::unique_ptr<server::TRemessaServer> Abre() const {
    if (path.empty()) {
      const auto& pg = dynamic_cast<const TLojaPg&>(*loja);
      return std::make_unique<server::TPgRemessaServer>(pg.Conninfo(), pg.Banco());
    }
    return std::make_unique<server::TSQLiteRemessaServer>(path);
  }
};

inline TLojaComum LojaComum(const std::string& sqlitePath) {
  TLojaComum c;
  c.loja = Loja();
  if (dynamic_cast<TLojaPg*>(c.loja.get())) return c;
  c.loja = Loaded(sqlitePath, true);
  c.path = sqlitePath;
  return c;
}

// System text (Windows-1252) written in the test's UTF-8.
inline std::string Cp(const std::string& utf8) {
  return fields::Utf8ToCp1252(utf8);
}

inline std::string Cell(const host::TPacket& p, size_t row, const std::string& field) {
  int i = p.IndexOf(field);
  EXPECT_GE(i, 0) << field;
  if (i < 0 || row >= p.Rows.size()) return "<none>";
  return host::ValueToString(p.Rows[row][i], p.Fields[i].DataType);
}

// "CDFILIAL/NRLANBOLREC" of every row, in order.
inline std::vector<std::string> Titles(const host::TPacket& p) {
  std::vector<std::string> out;
  for (size_t r = 0; r < p.Rows.size(); ++r)
    out.push_back(Cell(p, r, "CDFILIAL") + "/" + Cell(p, r, "NRLANBOLREC"));
  return out;
}

inline void ExpectShape(const host::TPacket& p, const std::vector<host::TFieldDef>& defs) {
  ASSERT_EQ(p.Fields.size(), defs.size());
  for (size_t i = 0; i < defs.size(); ++i) {
    EXPECT_EQ(p.Fields[i].Name, defs[i].Name);
    EXPECT_EQ(p.Fields[i].DataType, defs[i].DataType) << defs[i].Name;
    EXPECT_EQ(p.Fields[i].Size, defs[i].Size) << defs[i].Name;
  }
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/remessa-server-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace server_test
