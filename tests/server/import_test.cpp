#include <gtest/gtest.h>

#include "fixture.h"
#include "server/packets.h"

using namespace server_test;
using server::ImportJson;
using server::TImportError;
using server::TSQLiteRemessaServer;

namespace {

std::string ImportError(TSQLiteRemessaServer& s, const std::string& json) {
  try {
    ImportJson(s, json);
  } catch (const TImportError& e) {
    return fields::Cp1252ToUtf8(e.what());
  }
  return "";
}

int64_t Count(TSQLiteRemessaServer& s, const std::string& table) {
  return std::get<int64_t>(s.Database().Scalar("SELECT COUNT(*) FROM " + table));
}

}  // namespace

TEST(Import, LoadsEveryRowAndCountsThem) {
  TSQLiteRemessaServer s(":memory:");
  EXPECT_EQ(ImportJson(
                s, R"({"empresa": [{"cdempresa": "01"}, {"CDEMPRESA": "02"}], "Banco": [{"CDBANCO": "1"}]})"),
            3u);
  EXPECT_EQ(Count(s, "EMPRESA"), 2);
}

// Each bad document names where it went wrong and loads nothing, not even
// the good rows before the bad one.
TEST(Import, BadInputNamesTableRowAndFieldAndLoadsNothing) {
  struct Case {
    const char* json;
    const char* expected;  // part of the message
  };
  const std::string ok = R"("EMPRESA": [{"CDEMPRESA": "01"}], )";
  const Case cases[] = {
      {R"("NOPE": [{}]})", "Tabela desconhecida: NOPE"},
      {R"("BANCO": [{"CDBANCO": "1"}, {"CDBANCO": "2", "XX": "a"}]})", "Tabela BANCO, linha 2, campo XX"},
      {R"("BANCO": [{"CDBANCO": "1", "NMBANCO": {"a": 1}}]})", "Tabela BANCO, linha 1, campo NMBANCO"},
      {R"("BANCO": [{"CDBANCO": "1", "NMBANCO": [1]}]})", "linha 1, campo NMBANCO: valor do tipo lista"},
      {R"("BANCO": [{"CDBANCO": 237}]})", "campo CDBANCO: esperado texto"},
      {R"("BANCO": [{"CDBANCO": "12345"}]})", "campo CDBANCO: texto com 5 caracteres excede o tamanho 3"},
      {R"("CLIENTE": [{"CDCLIENTE": "C", "VRADIANTCLIE": "12,5"}]})",
       "campo VRADIANTCLIE: '12,5' não é um número"},
      // Beyond a double's range, as a number and as a text: never an infinite amount.
      {R"("CLIENTE": [{"CDCLIENTE": "C", "VRADIANTCLIE": 1e400}]})", "JSON inválido"},
      {R"("CLIENTE": [{"CDCLIENTE": "C", "VRADIANTCLIE": "1e400"}]})", "campo VRADIANTCLIE: '1e400' não é"},
      {R"("CLIENTE": [{"CDCLIENTE": "C", "VRADIANTCLIE": true}]})",
       "campo VRADIANTCLIE: valor do tipo lógico"},
      {R"("NOTAFISCAL": [{"CDFILIAL": "1", "NRLANCTONF": "1", "DTEMISSAO": "2024-02-30"}]})",
       "Tabela NOTAFISCAL, linha 1, campo DTEMISSAO"},
      {R"("NOTAFISCAL": [{"CDFILIAL": "1", "NRLANCTONF": "1", "DTEMISSAO": "01/03/2024"}]})",
       "campo DTEMISSAO"},
      {R"("BANCO": [{"CDBANCO": "1"}, {"CDBANCO": "1"}]})", "Tabela BANCO, linha 2, campo CDBANCO"},
      {R"("BANCO": [{"NMBANCO": "sem código"}]})", "Tabela BANCO, linha 1, campo CDBANCO"},
      {R"("FILIAL": [{"CDFILIAL": "0001", "CDEMPRESA": "01"}, {"CDFILIAL": "0002", "CDEMPRESA": "99"}]})",
       "Tabela FILIAL, linha 2, campo CDEMPRESA: não há registro correspondente em EMPRESA"},
      {R"("BANCO": [{"CDBANCO": "1", "NMBANCO": "a", "nmbanco": "b"}]})", "campo NMBANCO: campo repetido"},
      {R"("BANCO": [{"CDBANCO": "1", "NMBANCO": "Ω"}]})", "campo NMBANCO: texto tem caracteres"},
      {R"("BANCO": {"CDBANCO": "1"}})", "Tabela BANCO: esperada uma lista"},
      {R"("BANCO": [{"CDBANCO": "1"},]})", "JSON inválido"},
  };
  for (const auto& c : cases) {
    TSQLiteRemessaServer s(":memory:");
    std::string err = ImportError(s, "{" + ok + c.json);
    EXPECT_NE(err.find(c.expected), std::string::npos) << c.json << "\n  got: " << err;
    EXPECT_EQ(Count(s, "EMPRESA"), 0) << c.json;
    EXPECT_EQ(Count(s, "BANCO"), 0) << c.json;
  }
}

TEST(Import, RejectsInvalidUtf8) {
  TSQLiteRemessaServer s(":memory:");
  std::string bad = "{\"BANCO\": [{\"CDBANCO\": \"1\", \"NMBANCO\": \"a\xC3\x28\"}]}";
  EXPECT_NE(ImportError(s, bad), "");
  EXPECT_EQ(Count(s, "BANCO"), 0);
}

TEST(Import, ReferencesMayComeBeforeWhatTheyReferTo) {
  TSQLiteRemessaServer s(":memory:");
  EXPECT_EQ(
      ImportJson(
          s, R"({"FILIAL": [{"CDFILIAL": "0001", "CDEMPRESA": "01"}], "EMPRESA": [{"CDEMPRESA": "01"}]})"),
      2u);
}

// Accented names go in as UTF-8, travel as Windows-1252 and come back the same.
TEST(Import, AccentedTextRoundTripsThroughThePackets) {
  auto s = Loaded();
  auto p = s->GetFilial("0001", "01").Packet;
  ASSERT_EQ(p.Rows.size(), 1u);
  const std::string name = Cell(p, 0, "NMFILIAL");
  EXPECT_EQ(name, Cp("Matriz São Paulo"));
  EXPECT_EQ(name.size(), std::string("Matriz Sao Paulo").size());  // one byte per character
  EXPECT_EQ(fields::Cp1252ToUtf8(name), "Matriz São Paulo");
  // And back in through a packet: the database holds UTF-8 again.
  host::TPacket delta;
  delta.Fields = server::PacketFields("CNABREC");
  host::Row row(delta.Fields.size());
  row[delta.IndexOf("CDEMPRESA")] = std::string("01");
  row[delta.IndexOf("NRCNABREC")] = std::string("50");
  row[delta.IndexOf("NMOPERADOR")] = Cp("João Ânimo");
  delta.Rows.push_back(row);
  delta.Status.push_back(host::TUpdateStatus::usInserted);
  delta.Original.push_back(host::Row(delta.Fields.size()));
  ASSERT_EQ(s->SetCNABRec(delta).Error, "");
  EXPECT_EQ(
      std::get<host::TText>(s->Database().Scalar("SELECT NMOPERADOR FROM CNABREC WHERE NRCNABREC = '50'")),
      "João Ânimo");
}
