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

// The fixture and the records above, on the rules' store, or on SQLite for
// what only SQLite's connection tells.
template <class TLoja>
TLoja Prepara(TLoja s) {
  server::ImportJson(*s, kMais);
  // Every title its own origin, so that FILIRECE finds the titles by their keys.
  s->Conexao().Exec("UPDATE BOLETOREC SET CDFILIBOLREC = CDFILIAL WHERE CDFILIBOLREC IS NULL");
  return s;
}
std::unique_ptr<server::TRemessaServer> Store() {
  return Prepara(Loja());
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

using PerTitle =
    std::function<server::TServerReply(server::TRemessaServer&, const std::string&, const std::string&)>;

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
    // Any store's reading of a list, title after title, answers the same.
    EXPECT_EQ(Lines(s->server::TRemessaServer::GetRegistrosBoletos(k.name, titulos, k.banco).Packet),
              Lines(p));
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
  auto s = Prepara(Loaded());
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

// A long list is read in two halves at once, the second on a read-only
// connection that sees only what is committed: the answer must be the one
// a single connection gives, and a list asked inside a transaction must see
// that transaction's own changes.
TEST(RegistrosBoletos, ALongListReadInTwoHalvesIsTheSameAnswer) {
  TempDir dir;
  auto s = Loaded(dir.File("longa.db"));
  auto& db = s->Database();
  db.Exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 6000) "
      "INSERT INTO BOLETOREC (CDFILIAL, NRLANBOLREC, CDEMPRESA, CDFILIBOLREC) "
      "SELECT CASE WHEN i % 2 = 0 THEN '0001' ELSE '0002' END, 'L' || i, '01', "
      "CASE WHEN i % 2 = 0 THEN '0001' ELSE '0002' END FROM n");
  db.Exec(
      "INSERT INTO TXBOLETO (CDFILIAL, NRLANBOLREC, TXMENSBOLBOL) SELECT CDFILIAL, NRLANBOLREC, "
      "'Mensagem ' || NRLANBOLREC FROM BOLETOREC WHERE NRLANBOLREC LIKE 'L%' AND CDFILIAL = '0001'");
  db.Exec(
      "INSERT INTO DUPLICATA (CDFILIAL, NRLANBOLREC, DUPLICATA, NRPARCELA) SELECT CDFILIAL, NRLANBOLREC, "
      "'D' || NRLANBOLREC, p.n FROM BOLETOREC, (SELECT '02' AS n UNION ALL SELECT '01') p "
      "WHERE NRLANBOLREC LIKE 'L%'");
  // Newest first, a title twice far apart, and one that does not exist.
  std::vector<std::pair<std::string, std::string>> keys;
  for (int i = 6000; i >= 1; --i) keys.emplace_back(i % 2 == 0 ? "0001" : "0002", "L" + std::to_string(i));
  keys.emplace_back("0001", "L2");
  keys.emplace_back("0001", "L9999");
  const TPacket titulos = Request(keys);

  for (const char* kind : {"TXBOLETOS", "DOCBOL"}) {
    SCOPED_TRACE(kind);
    const size_t antes = s->ListasEmDuasPartes();
    auto fora = s->GetRegistrosBoletos(kind, titulos, "");
    ASSERT_EQ(fora.Error, "");
    EXPECT_EQ(s->ListasEmDuasPartes(), antes + 1);

    s->StartTransaction();  // one connection only, from here
    auto dentro = s->GetRegistrosBoletos(kind, titulos, "");
    s->Rollback();
    ASSERT_EQ(dentro.Error, "");
    EXPECT_EQ(s->ListasEmDuasPartes(), antes + 1);
    EXPECT_EQ(Lines(fora.Packet), Lines(dentro.Packet));
    // One row per title with an invoice (its first), or per title with a message.
    EXPECT_EQ(fora.Packet.Rows.size(), std::string(kind) == "DOCBOL" ? 6001u : 3001u);
    EXPECT_EQ(Cell(fora.Packet, 0, "NRORDEM"), "0");
    EXPECT_EQ(Cell(fora.Packet, fora.Packet.Rows.size() - 1, "NRORDEM"), "6000");
  }
  auto doc = s->GetRegistrosBoletos("DOCBOL", titulos, "").Packet;
  EXPECT_EQ(Cell(doc, 0, "DUPLICATA") + "/" + Cell(doc, 0, "NRPARCELA"), "DL6000/01");

  // What the transaction wrote, and has not committed, is part of its answer.
  s->StartTransaction();
  db.Exec("INSERT INTO TXBOLETO (CDFILIAL, NRLANBOLREC, TXMENSBOLBOL) VALUES ('0002', 'L1', 'Nova')");
  auto nova = s->GetRegistrosBoletos("TXBOLETOS", titulos, "").Packet;
  s->Rollback();
  ASSERT_EQ(nova.Rows.size(), 3002u);
  EXPECT_EQ(Cell(nova, 3000, "NRORDEM") + " " + Cell(nova, 3000, "TXMENSBOLBOL"), "5999 Nova");
  EXPECT_EQ(s->GetRegistrosBoletos("TXBOLETOS", titulos, "").Packet.Rows.size(), 3001u);
}
