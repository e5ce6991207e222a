// The server's rules on a PostgreSQL database: the schema SQLite has,
// applied once; numbers drawn once; a title kept out of two batches; a
// bank's return applied.
#include "server/pg_server.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "server/packets.h"
#include "server/sqlite_server.h"
#include "support/pg_teste.h"

namespace {

using host::TPacket;
using host::Value;
using server::TPgRemessaServer;

class PgServidor : public testsupport::PgTeste {
 protected:
  std::unique_ptr<TPgRemessaServer> Abre() { return std::make_unique<TPgRemessaServer>(Conninfo(), Banco()); }
  // A company, its branch and Bradesco account, two titles not yet sent.
  void Loja(TPgRemessaServer& s) {
    s.Database().Exec(
        "INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA, NRINSJUREMPR) VALUES ('01', 'Comércio', "
        "'12345678000190');"
        "INSERT INTO FILIAL (CDFILIAL, CDEMPRESA, NMFILIAL) VALUES ('0001', '01', 'Matriz');"
        "INSERT INTO BANCO (CDBANCO, NMBANCO) VALUES ('237', 'Bradesco');"
        "INSERT INTO CONTCORR (CDREDUCONT, CDEMPRESA, CDBANCO, CDAGENCIA, CDCONTCORR, CDBANCCNAB) "
        "VALUES ('001', '01', '237', '1234', '56789', '237');"
        "INSERT INTO CNABREC (CDEMPRESA, NRCNABREC, CDREDUCONT) VALUES ('01', '7', '001');"
        "INSERT INTO BOLETOREC (CDFILIAL, NRLANBOLREC, CDEMPRESA, CDREDUCONT, VRFINALBREC, IDSITUCNABR) "
        "VALUES ('0001', '1', '01', '001', 150.37, '00'), ('0001', '2', '01', '001', 10, '00');"
        "INSERT INTO DUPLICATA (CDFILIAL, NRLANBOLREC, DUPLICATA, NRPARCELA) VALUES ('0001', '1', '55', "
        "'01')");
  }
  static std::string Situacao(TPgRemessaServer& s, const std::string& nr) {
    return host::ValueToString(s.Database().Scalar("SELECT IDSITUCNABR FROM BOLETOREC WHERE NRLANBOLREC = ?",
                                                   {Value(host::TText(nr))}),
                               host::TFieldType::ftString);
  }
  static TPacket Inclusao(const std::vector<std::string>& titulos) {
    TPacket p;
    p.Fields = {host::StrField("CDFILIAL", 4),    host::StrField("NRLANBOLREC", 10),
                host::StrField("CDEMPRESA", 2),   host::StrField("NRCNABREC", 10),
                host::StrField("IDSITUCNABR", 2), host::StrField("IDOPECNABREC", 1)};
    for (const auto& t : titulos)
      p.Rows.push_back(
          {std::string("0001"), t, std::string("01"), std::string("8"), std::string("10"), std::string("I")});
    return p;
  }
};

TEST_F(PgServidor, TheSchemaIsAppliedOnceAndKept) {
  {
    auto s = Abre();
    EXPECT_EQ(s->SchemaVersion(), server::TSQLiteRemessaServer::LatestSchemaVersion());
    Loja(*s);
  }
  auto again = Abre();
  EXPECT_EQ(again->SchemaVersion(), server::TSQLiteRemessaServer::LatestSchemaVersion());
  EXPECT_EQ(Situacao(*again, "1"), "00");
}

TEST_F(PgServidor, TheRulesRunOnIt) {
  auto s = Abre();
  Loja(*s);
  auto conta = server::CheckResultServ(s->GetContaCorr("01", "001"));
  ASSERT_EQ(conta.Rows.size(), 1u);
  // Numbers continue after the highest stored batch and are never handed out twice.
  EXPECT_EQ(s->PrxCodigo("01", "CNABREC").Text, "8");
  EXPECT_EQ(s->PrxCodigo("01", "CNABREC").Text, "9");
  // The invoice behind a title, for one title and for a list.
  TPacket lista;
  lista.Fields = {host::StrField("CDFILIAL", 4), host::StrField("NRLANBOLREC", 10)};
  lista.Rows.push_back({std::string("0001"), std::string("1")});
  EXPECT_EQ(server::CheckResultServ(s->GetDuplicata("1", "0001")).Rows.size(), 1u);
  EXPECT_EQ(server::CheckResultServ(s->GetRegistrosBoletos("DUPLICATA", lista, "")).Rows.size(), 1u);
  // A title sent is not included again; a refusal stores nothing.
  EXPECT_EQ(s->AlterBoletos(Inclusao({"1"})).Error, "");
  EXPECT_EQ(Situacao(*s, "1"), "10");
  EXPECT_NE(s->AlterBoletos(Inclusao({"2", "1"})).Error.find("enviado na remessa 8"), std::string::npos);
  EXPECT_EQ(Situacao(*s, "2"), "00");
}

TEST_F(PgServidor, TwoWorkstationsNeverDrawOneNumber) {
  Loja(*Abre());
  std::vector<std::string> vistos[2];
  std::thread t[2];
  for (int k = 0; k < 2; ++k)
    t[k] = std::thread([&, k] {
      TPgRemessaServer s(Conninfo(), Banco());
      for (int i = 0; i < 30; ++i) {
        auto r = s.PrxCodigo("01", "LOTE");
        vistos[k].push_back(r.Error.empty() ? r.Text : r.Error);
      }
    });
  for (auto& x : t) x.join();
  std::set<std::string> todos;
  for (auto& v : vistos)
    for (auto& n : v) EXPECT_TRUE(todos.insert(n).second) << "number " << n << " drawn twice";
}

}  // namespace
