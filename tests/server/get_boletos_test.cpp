#include <gtest/gtest.h>

#include <map>

#include "fields/datetime.h"
#include "fixture.h"
#include "server/packets.h"

using namespace server_test;
using host::Value;

namespace {

// The form's call for a new batch with every criterion lifted.
std::vector<Value> Unrestricted() {
  std::vector<Value> a = {
      std::string("01"),
      std::string("N"),  // 1, 2
      std::string(""),
      std::string("T"),  // 3, 4 client
      std::string(""),
      std::string(""),
      std::string("T"),  // 5-7 document
      std::string(""),
      std::string("T"),
      std::string(""),
      std::string("T"),  // 8-11 branches
      0.0,
      0.0,
      std::string("T"),  // 12-14 due date
      std::string(""),
      std::string("T"),  // 15, 16 form of receipt
      std::string(""),
      std::string("T"),  // 17, 18 account
      0.0,
      0.0,
      std::string("T"),  // 19-21 net value
      std::string(""),
      std::string("T"),  // 22, 23 situation
      std::string(""),
      std::string("T"),  // 24, 25 portfolio
      std::string(""),
      std::string("T"),  // 26, 27 portfolio kinds
      std::string(" "),
      std::string("T"),  // 28, 29 client group
      0.0,
      0.0,
      std::string("T"),  // 30-32 issue date
      std::string(" "),
      std::string("T"),  // 33, 34 alteration
      std::string(""),
      std::string(""),
      std::string(""),
      std::string(""),  // 35-38
  };
  return a;
}

double Day(int y, int m, int d) {
  return fields::EncodeDate(y, m, d);
}
Value S(const char* s) {
  return std::string(s);
}

struct Case {
  const char* name;
  std::map<int, Value> set;  // 1-based argument -> value
  std::vector<std::string> titles;
};

}  // namespace

TEST(GetBoletos, EachCriterionSelectsTheTitlesItDescribes) {
  auto s = Loja();
  const std::string all[] = {"0001/1", "0001/5", "0001/2", "0002/3", "0002/4", "0002/6"};
  const Case cases[] = {
      {"no restriction, by due date", {}, {std::begin(all), std::end(all)}},
      {"situations of an inclusion; no situation counts as 00",
       {{22, S("_00_01")}, {23, S("")}},
       {"0001/1", "0001/5", "0001/2"}},
      {"situations of an exclusion", {{22, S("_10_20")}, {23, S("")}}, {"0002/3", "0002/4"}},
      {"stored batch", {{2, S("7")}}, {"0002/3", "0002/4", "0002/6"}},
      {"stored batch, zero-filled", {{2, S("0000000007")}}, {"0002/3", "0002/4", "0002/6"}},
      {"one client", {{3, S("C2")}, {4, S("")}}, {"0001/2", "0002/4"}},
      {"picked client list", {{3, S("'C1','C2'")}, {4, S("")}}, {std::begin(all), std::end(all)}},
      {"document range, zero-filled to 20",
       {{5, S("00000000000000000124")}, {6, S("00000000000000000200")}, {7, S("")}},
       {"0001/5", "0001/2", "0002/3"}},
      {"branch of origin", {{8, S("0002")}, {9, S("")}}, {"0001/2"}},
      {"branch of entry", {{10, S("0002")}, {11, S("")}}, {"0002/3", "0002/4", "0002/6"}},
      {"due dates, both ends included",
       {{12, Day(2024, 3, 12)}, {13, Day(2024, 3, 20)}, {14, S("")}},
       {"0001/5", "0001/2", "0002/3"}},
      {"form of receipt", {{15, S("DEP")}, {16, S("")}}, {"0001/2"}},
      {"account", {{17, S("002")}, {18, S("")}}, {"0002/3"}},
      {"net value", {{19, 50.0}, {20, 100.0}, {21, S("")}}, {"0001/1", "0002/3"}},
      {"portfolio 17 matches 017", {{24, S("17")}, {25, S("")}}, {"0001/2"}},
      {"portfolio 09", {{24, S("09")}, {25, S("")}}, {"0001/1"}},
      {"portfolio kinds simple and discounted",
       {{26, S("_1_4")}, {27, S("")}},
       {"0001/1", "0001/2", "0002/3"}},
      {"client group", {{28, S("G2")}, {29, S(" ")}}, {"0001/2", "0002/4"}},
      {"issue dates",
       {{30, Day(2024, 3, 1)}, {31, Day(2024, 3, 5)}, {32, S("")}},
       {"0001/1", "0001/5", "0001/2"}},
      {"altered titles", {{33, S("3")}, {34, S("")}}, {"0002/4"}},
      {"titles not altered; never altered counts as 1",
       {{33, S("1_2")}, {34, S("")}},
       {"0001/1", "0001/5", "0001/2", "0002/3", "0002/6"}},
      {"remittance number", {{35, S("0000000007")}}, {"0002/3", "0002/4", "0002/6"}},
      {"empty remittance number zero-filled", {{35, S("0000000000")}}, {std::begin(all), std::end(all)}},
      {"return number", {{36, S("0000000003")}}, {"0002/3"}},
      {"budget range", {{37, S("0000000050")}, {38, S("0000000060")}}, {"0001/1"}},
      {"other company", {{1, S("02")}}, {"0003/7"}},
      {"criteria combine", {{3, S("C1")}, {4, S("")}, {22, S("_00_01")}, {23, S("")}}, {"0001/1", "0001/5"}},
  };
  for (const auto& c : cases) {
    auto args = Unrestricted();
    for (const auto& [i, v] : c.set) args[i - 1] = v;
    auto r = s->GetBoletos(args);
    ASSERT_EQ(r.Error, "") << c.name;
    EXPECT_EQ(Titles(r.Packet), c.titles) << c.name;
  }
}

TEST(GetBoletos, RowsCarryTheTitleItsClientAndItsAccount) {
  auto s = Loja();
  auto args = Unrestricted();
  args[2] = S("C2");
  args[3] = S("");
  auto p = s->GetBoletos(args).Packet;
  ExpectShape(p, server::PacketFields("BOLETOS"));
  ASSERT_EQ(Titles(p).front(), "0001/2");
  EXPECT_EQ(Cell(p, 0, "IDMARCADO"), "N");
  EXPECT_EQ(Cell(p, 0, "NMRAZSOCCLIE"), Cp("Maria Brandão"));
  EXPECT_EQ(Cell(p, 0, "DSCONTCORR"), "Conta Movimento");
  EXPECT_EQ(Cell(p, 0, "CDBANCO"), "237");
  EXPECT_EQ(Cell(p, 0, "CDPICTCONT"), "9999999-9");
  EXPECT_EQ(Cell(p, 0, "CDCARTCOBBOL"), "017");
  EXPECT_EQ(std::get<double>(p.Rows[0][p.IndexOf("VRFINALBREC")]), 250.5);
  EXPECT_EQ(std::get<double>(p.Rows[0][p.IndexOf("DTVENBOLREC")]), Day(2024, 3, 15));
}

TEST(GetBoletos, RefusesAWrongArgumentCount) {
  auto s = Loja();
  auto args = Unrestricted();
  args.pop_back();
  EXPECT_NE(s->GetBoletos(args).Error.find("38"), std::string::npos);
}
