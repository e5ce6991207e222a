// The records of many titles in one call must be exactly what the per-title
// calls give, or a remittance written from a run differs from one written
// title by title.
#include <gtest/gtest.h>

#include <functional>

#include "fixture.h"

using namespace server_test;
using host::TPacket;

namespace {

// Several instalments out of order, records for some titles only, and
// instructions for two banks.
const char* kMais = R"json({
  "NOTAFISCAL": [
    {"CDFILIAL": "0002", "NRLANCTONF": "NF3", "NRNOTAFISC": "2001", "VRNOTAFISC": 40, "CDFILIRECE": "0001"},
    {"CDFILIAL": "0002", "NRLANCTONF": "NF4", "NRNOTAFISC": "2002", "DTEMISSAO": "2024-02-20", "CDFILIRECE": "0002"}
  ],
  "DUPLICATA": [
    {"CDFILIAL": "0002", "NRLANBOLREC": "4", "DUPLICATA": "200", "NRPARCELA": "03", "CDFILINF": "0002", "NRLANCTONF": "NF4"},
    {"CDFILIAL": "0002", "NRLANBOLREC": "4", "DUPLICATA": "201", "NRPARCELA": "01", "CDFILINF": "0002", "NRLANCTONF": "NF3"},
    {"CDFILIAL": "0002", "NRLANBOLREC": "4", "DUPLICATA": "201", "NRPARCELA": "02", "CDFILINF": "0002", "NRLANCTONF": "NF4"},
    {"CDFILIAL": "0001", "NRLANBOLREC": "2", "DUPLICATA": "124", "NRPARCELA": "01", "CDFILINF": "0002", "NRLANCTONF": "NF3"}
  ],
  "LICENCAUSO": [{"CDFILIAL": "0002", "NRLANBOLREC": "6", "NMRAZSOCLUSO": "Licença Dois"}],
  "TXBOLETO": [
    {"CDFILIAL": "0001", "NRLANBOLREC": "1", "TXMENSBOLBOL": "Não receber após o vencimento"},
    {"CDFILIAL": "0002", "NRLANBOLREC": "3", "TXMENSBOLBOL": "Multa de 2%"}
  ],
  "INSTRUBOL": [
    {"CDBANCO": "237", "CDFILIAL": "0001", "NRLANBOLREC": "1", "INSTRU1": "Protestar", "INSTRU2": "5 dias"},
    {"CDBANCO": "001", "CDFILIAL": "0001", "NRLANBOLREC": "1", "INSTRU1": "Outro banco"},
    {"CDBANCO": "237", "CDFILIAL": "0002", "NRLANBOLREC": "4", "INSTRU1": "Baixar"}
  ]
})json";

std::unique_ptr<server::TSQLiteRemessaServer> Store() {
  auto s = Loaded();
  server::ImportJson(*s, kMais);
  // Every title its own origin, so that FILIRECE finds the titles by their keys.
  s->Database().Exec("UPDATE BOLETOREC SET CDFILIBOLREC = CDFILIAL WHERE CDFILIBOLREC IS NULL");
  return s;
}

TPacket Request(const std::vector<std::pair<std::string, std::string>>& keys) {
  TPacket p;
  p.Fields = {host::StrField("CDFILIAL", 4), host::StrField("NRLANBOLREC", 10)};
  for (const auto& [fil, nr] : keys) p.Rows.push_back({fil, nr});
  return p;
}

// Rows as text from field `from` on; a null shows apart from an empty text.
std::vector<std::string> Lines(const TPacket& p, size_t from = 0) {
  std::vector<std::string> out;
  for (const auto& r : p.Rows) {
    std::string l;
    for (size_t i = from; i < r.size(); ++i)
      l += (std::holds_alternative<std::monostate>(r[i]) ? "~"
                                                         : host::ValueToString(r[i], p.Fields[i].DataType)) +
           "|";
    out.push_back(l);
  }
  return out;
}

using PerTitle = std::function<server::TServerReply(server::TSQLiteRemessaServer&, const std::string&,
                                                    const std::string&)>;

struct Kind {
  const char* name;
  const char* banco;
  PerTitle one;
};

const Kind kKinds[] = {
    {"DOCBOL", "", [](auto& s, auto& f, auto& n) { return s.GetDocBol(n, f); }},
    {"DUPLICATA", "", [](auto& s, auto& f, auto& n) { return s.GetDuplicata(n, f); }},
    {"LICENCAUSO", "", [](auto& s, auto& f, auto& n) { return s.GetLicencaUso(f, n); }},
    {"TXBOLETOS", "", [](auto& s, auto& f, auto& n) { return s.GetTxBoletos(f, n); }},
    {"INSTRUBOL", "237", [](auto& s, auto& f, auto& n) { return s.GetInstruBol("237", f, n); }},
    {"INSTRUBOL", "001", [](auto& s, auto& f, auto& n) { return s.GetInstruBol("001", f, n); }},
    {"FILIRECE", "", [](auto& s, auto& f, auto& n) { return s.GetFiliRece(f, n); }},
};

// Every fixture title, one that does not exist, and the first title again.
const std::vector<std::pair<std::string, std::string>> kTitles = {
    {"0001", "1"}, {"0001", "2"}, {"0002", "3"},  {"0002", "4"}, {"0001", "5"},
    {"0002", "6"}, {"0003", "7"}, {"0009", "99"}, {"0001", "1"}};

}  // namespace

TEST(RegistrosBoletos, EachTitlesShareIsItsPerTitleAnswer) {
  auto s = Store();
  const TPacket titulos = Request(kTitles);
  for (const auto& k : kKinds) {
    SCOPED_TRACE(std::string(k.name) + " " + k.banco);
    auto bulk = s->GetRegistrosBoletos(k.name, titulos, k.banco);
    ASSERT_EQ(bulk.Error, "");
    const TPacket& p = bulk.Packet;
    ASSERT_FALSE(p.Fields.empty());
    EXPECT_EQ(p.Fields[0].Name, "NRORDEM");
    std::vector<std::vector<std::string>> share(kTitles.size());
    int64_t last = -1;
    const auto lines = Lines(p, 1);
    for (size_t r = 0; r < p.Rows.size(); ++r) {
      const int64_t ordem = std::get<int64_t>(p.Rows[r][0]);
      ASSERT_GE(ordem, last);  // in the order of the request
      ASSERT_LT(ordem, static_cast<int64_t>(kTitles.size()));
      last = ordem;
      share[static_cast<size_t>(ordem)].push_back(lines[r]);
    }
    size_t rows = 0;
    for (size_t t = 0; t < kTitles.size(); ++t) {
      SCOPED_TRACE(kTitles[t].first + "/" + kTitles[t].second);
      auto one = k.one(*s, kTitles[t].first, kTitles[t].second);
      ASSERT_EQ(one.Error, "");
      EXPECT_EQ(share[t], Lines(one.Packet));
      rows += one.Packet.Rows.size();
      if (t == 0) ExpectShape(one.Packet, {p.Fields.begin() + 1, p.Fields.end()});
    }
    EXPECT_EQ(p.Rows.size(), rows);
  }
  // The data reaches the cases it is there for: the repeated title answered
  // at both places, and title 0002/4's first instalment among several.
  auto doc = s->GetRegistrosBoletos("DOCBOL", titulos, "").Packet;
  std::vector<std::string> got;
  for (size_t r = 0; r < doc.Rows.size(); ++r)
    got.push_back(Cell(doc, r, "NRORDEM") + "/" + Cell(doc, r, "DUPLICATA") + "/" +
                  Cell(doc, r, "NRPARCELA"));
  EXPECT_EQ(got, (std::vector<std::string>{"0/123/01", "1/124/01", "3/201/01", "8/123/01"}));
}

TEST(RegistrosBoletos, RefusesWhatItCannotAnswer) {
  auto s = Store();
  EXPECT_NE(s->GetRegistrosBoletos("BORDERO", Request(kTitles), "").Error, "");
  TPacket semChave;
  semChave.Fields = {host::StrField("NRLANBOLREC", 10)};
  semChave.Rows = {{std::string("1")}};
  EXPECT_NE(s->GetRegistrosBoletos("DOCBOL", semChave, "").Error, "");
}

// A run asks inside the unit of work that stores the batch; a rollback must
// neither end early nor leave the call's own keys standing for another list.
TEST(RegistrosBoletos, WorksInsideATransactionAndLeavesNothingOpen) {
  auto s = Store();
  const TPacket a = Request({{"0001", "1"}, {"0002", "3"}}), b = Request({{"0002", "3"}, {"0001", "1"}});
  const auto ofA = Lines(s->GetRegistrosBoletos("TXBOLETOS", a, "").Packet);
  const auto ofB = Lines(s->GetRegistrosBoletos("TXBOLETOS", b, "").Packet);
  ASSERT_EQ(ofA.size(), 2u);
  EXPECT_NE(ofA, ofB);
  EXPECT_TRUE(s->Database().AutoCommit());

  ASSERT_EQ(Lines(s->GetRegistrosBoletos("TXBOLETOS", a, "").Packet), ofA);
  s->StartTransaction();
  EXPECT_EQ(Lines(s->GetRegistrosBoletos("TXBOLETOS", b, "").Packet), ofB);
  EXPECT_TRUE(s->InTransaction());
  s->Rollback();
  EXPECT_TRUE(s->Database().AutoCommit());
  // The rollback took list b's keys back: b and a are each answered as theirs.
  EXPECT_EQ(Lines(s->GetRegistrosBoletos("TXBOLETOS", b, "").Packet), ofB);
  EXPECT_EQ(Lines(s->GetRegistrosBoletos("TXBOLETOS", a, "").Packet), ofA);
}
