// The writes of a generation run: the batch row and the new state of its titles.
#include <gtest/gtest.h>

#include "fixture.h"
#include "host/messages.h"
#include "server/packets.h"

using namespace server_test;
using host::TPacket;
using host::TUpdateStatus;
using host::Value;

namespace {

TPacket Batch(const std::string& nr, TUpdateStatus status = TUpdateStatus::usInserted, double total = 100) {
  TPacket p;
  p.Fields = server::PacketFields("CNABREC");
  host::Row r(p.Fields.size());
  r[p.IndexOf("CDEMPRESA")] = std::string("01");
  r[p.IndexOf("NRCNABREC")] = nr;
  r[p.IndexOf("DTCNABREC")] = fields::EncodeDate(2024, 3, 9) + fields::EncodeTime(14, 30, 0);
  r[p.IndexOf("CDREDUCONT")] = std::string("001");
  r[p.IndexOf("QTBOLENVCNABREC")] = 1.0;
  r[p.IndexOf("VRTOTBOLCNABREC")] = total;
  p.Rows.push_back(r);
  p.Status.push_back(status);
  p.Original.push_back(status == TUpdateStatus::usInserted ? host::Row(p.Fields.size()) : r);
  return p;
}

struct Sent {
  const char* fil;
  const char* nr;
  const char* empresa = "01";
  const char* op = "I";
};

TPacket Alter(const std::string& batch, std::initializer_list<Sent> titles) {
  TPacket p;
  p.Fields = server::PacketFields("ALTERABOLETOS");
  for (const auto& t : titles) {
    host::Row r(p.Fields.size());
    r[p.IndexOf("CDFILIAL")] = std::string(t.fil);
    r[p.IndexOf("NRLANBOLREC")] = std::string(t.nr);
    r[p.IndexOf("NRCNABREC")] = batch;
    r[p.IndexOf("CDREDUCONT")] = std::string("001");
    r[p.IndexOf("CDNOSNUMREC")] = std::string("NN") + t.nr;
    r[p.IndexOf("IDSITUCNABR")] = std::string("10");
    r[p.IndexOf("IDBOLRECALTER")] = std::string("1");
    r[p.IndexOf("IDOPECNABREC")] = std::string(t.op);
    r[p.IndexOf("CDEMPRESA")] = std::string(t.empresa);
    p.Rows.push_back(r);
  }
  return p;
}

std::string Title(server::TRemessaServer& s, const char* fil, const char* nr) {
  auto st = s.Conexao().Prepare(
      "SELECT COALESCE(IDSITUCNABR,'') || '|' || COALESCE(NRCNABRECREM,'') || '|' || "
      "COALESCE(IDBOLRECALTER,'') || "
      "'|' || COALESCE(IDOPECNABREC,'') || '|' || COALESCE(CDNOSNUMREC,'') FROM BOLETOREC "
      "WHERE CDFILIAL = ? AND NRLANBOLREC = ?");
  st.BindAll({std::string(fil), std::string(nr)});
  return st.Step() ? st.Text(0) : "<none>";
}

bool HasBatch(server::TRemessaServer& s, const std::string& nr) {
  return !std::holds_alternative<std::monostate>(
      s.Conexao().Scalar("SELECT 1 FROM CNABREC WHERE CDEMPRESA = '01' AND NRCNABREC = ?", {nr}));
}

}  // namespace

TEST(GenerationRun, CommitStoresTheBatchAndItsTitles) {
  auto s = Loja();
  s->StartTransaction();
  ASSERT_EQ(s->SetCNABRec(Batch("8")).Error, "");
  ASSERT_EQ(s->AlterBoletos(Alter("8", {{"0001", "1"}, {"0001", "5"}})).Error, "");
  s->Commit();
  EXPECT_TRUE(HasBatch(*s, "8"));
  EXPECT_EQ(Title(*s, "0001", "1"), "10|8|1|I|NN1");
  EXPECT_EQ(Title(*s, "0001", "5"), "10|8|1|I|NN5");
  EXPECT_EQ(std::get<host::TText>(s->Conexao().Scalar("SELECT DTCNABREC FROM CNABREC WHERE NRCNABREC = '8'")),
            "2024-03-09 14:30:00");
}

TEST(GenerationRun, RollbackLeavesNothing) {
  auto s = Loja();
  s->StartTransaction();
  ASSERT_EQ(s->SetCNABRec(Batch("8")).Error, "");
  ASSERT_EQ(s->AlterBoletos(Alter("8", {{"0001", "1"}})).Error, "");
  s->Rollback();
  EXPECT_FALSE(s->InTransaction());
  EXPECT_FALSE(HasBatch(*s, "8"));
  EXPECT_EQ(Title(*s, "0001", "1"), "00||||");
}

TEST(GenerationRun, TransactionsDoNotNest) {
  auto s = Loja();
  s->StartTransaction();
  EXPECT_THROW(s->StartTransaction(), host::EServerError);
  s->Rollback();
  EXPECT_THROW(s->Commit(), host::EServerError);
  EXPECT_NO_THROW(s->Rollback());
}

// The titles' new states as the store's own server stores them (SQLite: a
// temporary table; PostgreSQL: arrays; one statement each) and as any store
// does (title after title): the same rules.
class AlterBoletos : public ::testing::TestWithParam<bool> {
 protected:
  static server::TServerReply Altera(server::TRemessaServer& s, const TPacket& p) {
    return GetParam() ? s.server::TRemessaServer::AlterBoletos(p) : s.AlterBoletos(p);
  }
};

TEST_P(AlterBoletos, ATitleAlreadySentIsNotIncludedAgain) {
  auto s = Loja();
  EXPECT_EQ(Altera(*s, Alter("8", {{"0002", "3"}})).Error, Cp("Boleto 0002/3 já enviado na remessa 7."));
  // The same title twice in one send is refused the second time.
  EXPECT_EQ(Altera(*s, Alter("8", {{"0001", "1"}, {"0001", "1"}})).Error,
            Cp("Boleto 0001/1 já enviado na remessa 8."));
  EXPECT_EQ(Title(*s, "0001", "1"), "00||||");
  // An alteration batch may carry titles the bank already has.
  Sent altered{"0002", "3"};
  altered.op = "A";
  EXPECT_EQ(Altera(*s, Alter("8", {altered})).Error, "");
  EXPECT_EQ(Title(*s, "0002", "3"), "10|8|1|A|NN3");
}

TEST_P(AlterBoletos, ATitleNamedAgainTakesItsStatesInTurn) {
  auto s = Loja();
  TPacket p = Alter("8", {{"0002", "3", "01", "A"}, {"0001", "1"}, {"0002", "3", "01", "A"}});
  p.Rows[2][p.IndexOf("CDNOSNUMREC")] = std::string("ULTIMO");
  p.Rows[2][p.IndexOf("IDBOLRECALTER")] = std::string("3");
  ASSERT_EQ(Altera(*s, p).Error, "");
  EXPECT_EQ(Title(*s, "0002", "3"), "10|8|3|A|ULTIMO");
  EXPECT_EQ(Title(*s, "0001", "1"), "10|8|1|I|NN1");
}

TEST_P(AlterBoletos, AllTitlesOrNone) {
  auto s = Loja();
  Sent foreign{"0003", "7"};
  struct Case {
    const char* name;
    TPacket packet;
    std::string error;
  };
  const Case cases[] = {
      {"already sent", Alter("8", {{"0001", "1"}, {"0001", "2"}, {"0002", "4"}}),
       Cp("Boleto 0002/4 já enviado na remessa 7.")},
      {"unknown title", Alter("8", {{"0001", "1"}, {"0009", "99"}}), Cp("Boleto 0009/99 não cadastrado.")},
      {"other company", Alter("8", {{"0001", "1"}, foreign}), Cp("Boleto 0003/7 não pertence à empresa 01.")},
      // Of several refused titles, the first in the packet's order is named.
      {"first of two", Alter("8", {{"0009", "99"}, {"0002", "4"}}), Cp("Boleto 0009/99 não cadastrado.")},
      {"first of two, reversed", Alter("8", {{"0002", "4"}, {"0009", "99"}}),
       Cp("Boleto 0002/4 já enviado na remessa 7.")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Altera(*s, c.packet).Error, c.error) << c.name;
    EXPECT_EQ(Title(*s, "0001", "1"), "00||||") << c.name;
    EXPECT_EQ(Title(*s, "0001", "2"), "01||||") << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Lojas, AlterBoletos, ::testing::Bool(),
                         [](const auto& i) { return i.param ? "TituloATitulo" : "DaLoja"; });

TEST(AlterBoletosNaTransacao, AFailureInsideTheRunUndoesOnlyItself) {
  auto s = Loja();
  s->StartTransaction();
  ASSERT_EQ(s->SetCNABRec(Batch("8")).Error, "");
  EXPECT_NE(s->AlterBoletos(Alter("8", {{"0001", "1"}, {"0002", "3"}})).Error, "");
  EXPECT_EQ(Title(*s, "0001", "1"), "00||||");
  EXPECT_TRUE(HasBatch(*s, "8"));  // still pending in the run's transaction
  s->Rollback();
  EXPECT_FALSE(HasBatch(*s, "8"));
}

// The titles' state stored on a thread of the server's while the caller goes
// on: only in a unit of work of a file store; meanwhile reads answer as the
// store was committed, and the reply comes when asked for.
TEST(AlterBoletos, StartedBesideTheCaller) {
  auto memoria = Loaded();
  TPacket p = Alter("8", {{"0001", "1"}});
  memoria->StartTransaction();
  EXPECT_FALSE(memoria->IniciaAlterBoletos(p));
  EXPECT_EQ(p.Rows.size(), 1u);  // not taken: the caller sends it itself
  memoria->Rollback();

  TempDir dir;
  auto s = Loaded(dir.File("r.db"));
  EXPECT_FALSE(s->IniciaAlterBoletos(p));  // no unit of work
  EXPECT_NE(s->FimAlterBoletos().Error, "");
  auto situacao = [&] {
    return host::ValueToString(
        s->ExecuteQuery("SELECT IDSITUCNABR FROM BOLETOREC WHERE CDFILIAL = '0001' AND NRLANBOLREC = '1'", {})
            .Rows.at(0)
            .at(0),
        host::TFieldType::ftString);
  };

  s->StartTransaction();
  ASSERT_EQ(s->SetCNABRec(Batch("8")).Error, "");
  ASSERT_TRUE(s->IniciaAlterBoletos(p));
  EXPECT_TRUE(p.Rows.empty());
  EXPECT_EQ(situacao(), "00");  // the committed state, however far the update is
  EXPECT_EQ(s->FimAlterBoletos().Error, "");
  EXPECT_EQ(situacao(), "10");                // the unit of work's own, once the update is over
  EXPECT_NE(s->FimAlterBoletos().Error, "");  // one reply per update
  s->Commit();
  EXPECT_EQ(Title(*s, "0001", "1"), "10|8|1|I|NN1");

  // A refusal is the update's reply; a call other than a read waits for the
  // update, and the rollback leaves nothing.
  s->StartTransaction();
  ASSERT_EQ(s->SetCNABRec(Batch("9")).Error, "");
  TPacket recusado = Alter("9", {{"0001", "2"}, {"0009", "99"}});
  ASSERT_TRUE(s->IniciaAlterBoletos(recusado));
  s->Rollback();
  EXPECT_EQ(s->FimAlterBoletos().Error, Cp("Boleto 0009/99 não cadastrado."));
  EXPECT_FALSE(HasBatch(*s, "9"));
  EXPECT_EQ(Title(*s, "0001", "2"), "01||||");
  EXPECT_EQ(s->AlteracoesAoLado(), 2u);
}

// Started again, the update forgets the reply nobody asked for; a server
// closed while its update runs waits for it, and the unit of work it was part
// of is undone with everything in it.
TEST(AlterBoletos, StartedAgainOrClosedWhileItRuns) {
  TempDir dir;
  auto s = Loaded(dir.File("r.db"));
  s->StartTransaction();
  ASSERT_EQ(s->SetCNABRec(Batch("8")).Error, "");
  TPacket recusado = Alter("8", {{"0009", "99"}});
  ASSERT_TRUE(s->IniciaAlterBoletos(recusado));
  TPacket aceito = Alter("8", {{"0001", "1"}});
  ASSERT_TRUE(s->IniciaAlterBoletos(aceito));
  EXPECT_EQ(s->FimAlterBoletos().Error, "");  // the second update's, not the refusal
  TPacket ultimo = Alter("8", {{"0001", "2"}});
  ASSERT_TRUE(s->IniciaAlterBoletos(ultimo));
  s.reset();

  server::TSQLiteRemessaServer reaberto(dir.File("r.db"));
  EXPECT_FALSE(HasBatch(reaberto, "8"));
  EXPECT_EQ(Title(reaberto, "0001", "1"), "00||||");
  EXPECT_EQ(Title(reaberto, "0001", "2"), "01||||");
}

TEST(SetCNABRec, AppliesInsertsChangesAndDeletions) {
  auto s = Loja();
  ASSERT_EQ(s->SetCNABRec(Batch("8")).Error, "");
  EXPECT_EQ(s->SetCNABRec(Batch("8")).Error, Cp("Remessa 8 da empresa 01 já cadastrada."));

  TPacket mod = Batch("8", TUpdateStatus::usModified, 55.5);
  mod.Rows[0][mod.IndexOf("IDMARCADO")] = std::string("S");
  ASSERT_EQ(s->SetCNABRec(mod).Error, "");
  EXPECT_EQ(
      std::get<double>(s->Conexao().Scalar("SELECT VRTOTBOLCNABREC FROM CNABREC WHERE NRCNABREC = '8'")),
      55.5);

  EXPECT_EQ(s->SetCNABRec(Batch("44", TUpdateStatus::usModified)).Error,
            Cp("Remessa 44 da empresa 01 não encontrada."));
  ASSERT_EQ(s->SetCNABRec(Batch("8", TUpdateStatus::usDeleted)).Error, "");
  EXPECT_FALSE(HasBatch(*s, "8"));
}
