// Work on stored batches: listing them, their totals, releasing titles for
// alteration and taking titles out, and the run's financial checks.
#include <gtest/gtest.h>

#include "fields/datetime.h"
#include "fixture.h"
#include "server/packets.h"

using namespace server_test;
using host::TPacket;
using host::Value;

namespace {

// The batch's titles as the workspace holds them, with some marked.
TPacket Listed(server::TRemessaServer& s, const std::string& batch,
               std::initializer_list<const char*> marked) {
  std::vector<Value> a = {std::string("01"), batch, std::string(""), std::string("T")};
  for (int i = 5; i <= 38; ++i) a.push_back(std::string("T"));
  for (int i : {12, 13, 19, 20, 30, 31}) a[i - 1] = 0.0;
  for (int i : {35, 36, 37, 38}) a[i - 1] = std::string("");
  auto r = s.GetBoletos(a);
  EXPECT_EQ(r.Error, "");
  TPacket p = r.Packet;
  const int m = p.IndexOf("IDMARCADO");
  for (auto& row : p.Rows) {
    std::string key = host::ValueToString(row[p.IndexOf("CDFILIAL")], host::TFieldType::ftString) + "/" +
                      host::ValueToString(row[p.IndexOf("NRLANBOLREC")], host::TFieldType::ftString);
    for (const char* k : marked)
      if (key == k) row[m] = std::string("S");
  }
  return p;
}

std::string Col(server::TRemessaServer& s, const std::string& sql) {
  Value v = s.Conexao().Scalar(sql);
  return host::ValueToString(v, host::TFieldType::ftString);
}

std::vector<Value> CnabArgs() {
  std::vector<Value> a(28, std::string("T"));
  a[0] = std::string("01");
  for (int i : {2, 3, 7, 8, 15, 16, 18, 19, 25, 26}) a[i - 1] = 0.0;
  for (int i : {5, 10, 12, 13, 21, 23, 28}) a[i - 1] = std::string("");
  return a;
}

std::vector<std::string> Batches(const TPacket& p) {
  std::vector<std::string> out;
  for (size_t r = 0; r < p.Rows.size(); ++r) out.push_back(Cell(p, r, "NRCNABREC"));
  return out;
}

}  // namespace

TEST(GetCNABRec, ListsTheCompanysBatchesNewestFirst) {
  auto s = Loja();
  struct Case {
    const char* name;
    std::map<int, Value> set;
    std::vector<std::string> batches;
  };
  const double mar1 = fields::EncodeDate(2024, 3, 1), mar6 = fields::EncodeDate(2024, 3, 6);
  const Case cases[] = {
      {"all", {}, {"7", "3"}},
      {"dates, to is the day after", {{2, mar1}, {3, mar6}, {4, std::string("")}}, {"7"}},
      {"dates ending the day before",
       {{2, mar1}, {3, fields::EncodeDate(2024, 3, 5)}, {4, std::string("")}},
       {}},
      {"operator list", {{5, std::string("'OP2'")}, {6, std::string("")}}, {"3"}},
      {"batch value", {{7, 300.0}, {8, 400.0}, {9, std::string("")}}, {"7"}},
      {"client of a title", {{10, std::string("C2")}, {11, std::string("")}}, {"7"}},
      {"due date of a title",
       {{18, fields::EncodeDate(2024, 4, 1)}, {19, fields::EncodeDate(2024, 4, 1)}, {20, std::string("")}},
       {"7"}},
      {"account", {{23, std::string("002")}, {24, std::string("")}}, {"3"}},
      {"net value of a title", {{25, 1000.0}, {26, 2000.0}, {27, std::string("")}}, {}},
      {"batch number, zero-filled", {{28, std::string("0000000003")}}, {"3"}},
  };
  for (const auto& c : cases) {
    auto a = CnabArgs();
    for (const auto& [i, v] : c.set) a[i - 1] = v;
    auto r = s->GetCNABRec(a);
    ASSERT_EQ(r.Error, "") << c.name;
    EXPECT_EQ(Batches(r.Packet), c.batches) << c.name;
  }
  auto p = s->GetCNABRec(CnabArgs()).Packet;
  ExpectShape(p, server::PacketFields("CNABREC"));
  EXPECT_EQ(Cell(p, 0, "IDMARCADO"), "N");
}

// Batch numbers are drawn per company: another company's batch 7 is not summed in.
TEST(GetTotRemessa, CountsAndSumsTheCompanysBatchTitles) {
  auto s = Loja();
  s->Conexao().Exec(
      "INSERT INTO BOLETOREC (CDFILIAL, NRLANBOLREC, CDEMPRESA, CDCLIENTE, CDREDUCONT, DTVENBOLREC, "
      "VRFINALBREC, IDSITUCNABR, NRCNABRECREM) VALUES ('0003', '90', '02', 'C1', '003', '2024-03-20', 2000, "
      "'10', '7')");
  const struct {
    const char *empresa, *remessa;
    double qtde, total;
  } casos[] = {{"01", "7", 3, 385}, {"02", "7", 1, 2000}, {"01", "404", 0, 0}};
  for (const auto& c : casos) {
    auto p = s->GetTotRemessa(c.empresa, c.remessa).Packet;
    ExpectShape(p, server::PacketFields("TOTREMESSA"));
    ASSERT_EQ(p.Rows.size(), 1u);
    EXPECT_EQ(std::get<double>(p.Rows[0][0]), c.qtde) << c.empresa << "/" << c.remessa;
    EXPECT_EQ(std::get<double>(p.Rows[0][1]), c.total) << c.empresa << "/" << c.remessa;
  }
}

TEST(AlteraBolRemessa, ReleasesMarkedTitlesTheBankHolds) {
  auto s = Loja();
  EXPECT_EQ(s->AlteraBolRemessa("OP2", Listed(*s, "7", {"0002/3"})).Error, "OPER_INV_ALTERAR");
  EXPECT_EQ(s->AlteraBolRemessa("NOBODY", Listed(*s, "7", {"0002/3"})).Error, "OPER_INV_ALTERAR");
  EXPECT_EQ(Col(*s, "SELECT IDBOLRECALTER FROM BOLETOREC WHERE NRLANBOLREC = '3'"), "1");

  ASSERT_EQ(s->AlteraBolRemessa("OP1", Listed(*s, "7", {"0002/3", "0002/6"})).Error, "");
  EXPECT_EQ(Col(*s, "SELECT IDBOLRECALTER FROM BOLETOREC WHERE NRLANBOLREC = '3'"), "3");
  EXPECT_EQ(Col(*s, "SELECT IDBOLRECALTER FROM BOLETOREC WHERE NRLANBOLREC = '6'"), "1");  // written off
}

TEST(CancelaBolRemessa, TakesMarkedTitlesOutOfTheBatch) {
  auto s = Loja();
  EXPECT_EQ(s->CancelaBolRemessa("OP2", "7", "01", "10", Listed(*s, "7", {"0002/3"})).Error, "OPER_INV");

  ASSERT_EQ(s->CancelaBolRemessa("OP1", "7", "01", "10", Listed(*s, "7", {"0002/3", "0002/6"})).Error, "");
  EXPECT_EQ(Col(*s,
                "SELECT IDSITUCNABR || '|' || COALESCE(NRCNABRECREM, 'null') || '|' || "
                "COALESCE(IDBOLRECALTER, 'null') FROM BOLETOREC WHERE NRLANBOLREC = '3'"),
            "00|null|null");
  EXPECT_EQ(Col(*s, "SELECT NRCNABRECREM FROM BOLETOREC WHERE NRLANBOLREC = '6'"),
            "7");  // written off: stays
  EXPECT_EQ(s->Conexao().Scalar("SELECT QTBOLENVCNABREC FROM CNABREC WHERE NRCNABREC = '7'"), Value(2.0));
  EXPECT_EQ(s->Conexao().Scalar("SELECT VRTOTBOLCNABREC FROM CNABREC WHERE NRCNABREC = '7'"), Value(310.0));
  // The title is no longer in the batch: taking it out again is refused.
  auto again = Listed(*s, "N", {"0002/3"});
  EXPECT_EQ(s->CancelaBolRemessa("OP1", "7", "01", "00", again).Error,
            Cp("Boleto 0002/3 não pertence à remessa 7."));
}

TEST(ValidFinanceiro, BankCreditLimitAndAdvanceCredit) {
  auto s = Loja();
  double over = 1234.5, under = 1000, any = 0;
  EXPECT_EQ(
      s->ValidFinanceiro("CreditoBancario", "001", "0001", over, "", "").Text,
      Cp("Valor de crédito bancário (1.234,50) ultrapassa o limite da conta (1.000,00). Deseja continuar?"));
  EXPECT_EQ(s->ValidFinanceiro("CreditoBancario", "001", "0001", under, "", "").Text, "");
  EXPECT_EQ(s->ValidFinanceiro("CreditoBancario", "002", "0001", over, "", "").Text, "");  // no limit
  EXPECT_EQ(s->ValidFinanceiro("CreditoBancario", "999", "0001", over, "", "").Error,
            Cp("Conta corrente não cadastrada."));
  EXPECT_EQ(s->ValidFinanceiro("Verifica_Adiantamento", "", "", any, "C1", "01").Text, "S");
  EXPECT_EQ(s->ValidFinanceiro("Verifica_Adiantamento", "", "", any, "C2", "01").Text, "N");
  EXPECT_NE(s->ValidFinanceiro("Outra", "", "", any, "", "").Error, "");
}
