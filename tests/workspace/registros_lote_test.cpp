// A run's records must load into the writers' data sets exactly as the
// per-title calls load them; the run only saves round trips.
#include "workspace/registros_lote.h"

#include <gtest/gtest.h>

#include "support/fixture.h"
#include "support/store.h"

using namespace testsupport;
using workspace::TRegistrosLote;

namespace {

// A record of title 0001/nr with the given fields.
json reg(const std::string& nr, json campos) {
  campos["CDFILIAL"] = "0001";
  campos["NRLANBOLREC"] = nr;
  return campos;
}

std::string store_json() {
  json j;
  j["CONTCORR"] = {Conta("237")};
  j["BOLETOREC"] = {Titulo("1"), Titulo("2"), Titulo("3")};
  j["CLIENTE"] = {{{"CDCLIENTE", "C2"}, {"NMRAZSOCCLIE", "Cliente Dois"}}};
  j["ENDECLIE"] = {{{"CDCLIENTE", "C2"}, {"IDTPENDECLIE", "C"}, {"DSENDECLIE", "Rua Dois, 2"}}};
  j["NOTAFISCAL"] = {
      {{"CDFILIAL", "0001"}, {"NRLANCTONF", "NF1"}, {"NRNOTAFISC", "101"}, {"CDFILIRECE", "0001"}},
      {{"CDFILIAL", "0001"}, {"NRLANCTONF", "NF2"}, {"NRNOTAFISC", "102"}}};
  auto dup = [](const char* nr, const char* parcela, const char* nf) {
    return reg(nr, {{"DUPLICATA", nr}, {"NRPARCELA", parcela}, {"CDFILINF", "0001"}, {"NRLANCTONF", nf}});
  };
  j["DUPLICATA"] = {dup("1", "02", "NF2"), dup("1", "01", "NF1"), dup("3", "01", "NF1")};
  j["LICENCAUSO"] = {reg("2", {{"NMRAZSOCLUSO", "Licenciada"}})};
  j["TXBOLETO"] = {reg("3", {{"TXMENSBOLBOL", "Mensagem"}})};
  j["INSTRUBOL"] = {reg("1", {{"CDBANCO", "237"}, {"INSTRU1", "Protestar"}}),
                    reg("3", {{"CDBANCO", "341"}, {"INSTRU1", "Outro"}})};
  return j.dump();
}

std::string lines(const host::TClientDataSet& ds) {
  auto p = ds.Data();
  std::string out;
  for (const auto& f : p.Fields) out += f.Name + ":" + std::to_string(f.Size) + " ";
  for (const auto& r : p.Rows) {
    out += "\n";
    for (size_t i = 0; i < r.size(); ++i)
      out +=
          (std::holds_alternative<std::monostate>(r[i]) ? "~"
                                                        : host::ValueToString(r[i], p.Fields[i].DataType)) +
          "|";
  }
  return out;
}

// Counts the host queries that reach the database.
struct TContaConsultas : host::IHostDatabase {
  host::IHostDatabase& db;
  int n = 0;
  explicit TContaConsultas(host::IHostDatabase& d) : db(d) {}
  host::TPacket ExecuteQuery(const std::string& sql, const std::map<std::string, std::string>& p) override {
    ++n;
    return db.ExecuteQuery(sql, p);
  }
};

}  // namespace

TEST(RegistrosLote, FillsEachKindAsThePerTitleCall) {
  TStore s(store_json());
  auto& srv = s.Server();
  using Um = std::function<server::TServerReply(const std::string&)>;
  const std::pair<const char*, Um> kinds[] = {
      {"DOCBOL", [&](auto& n) { return srv.GetDocBol(n, "0001"); }},
      {"DUPLICATA", [&](auto& n) { return srv.GetDuplicata(n, "0001"); }},
      {"LICENCAUSO", [&](auto& n) { return srv.GetLicencaUso("0001", n); }},
      {"TXBOLETOS", [&](auto& n) { return srv.GetTxBoletos("0001", n); }},
      {"INSTRUBOL", [&](auto& n) { return srv.GetInstruBol("237", "0001", n); }},
      {"FILIRECE", [&](auto& n) { return srv.GetFiliRece("0001", n); }},
  };
  TRegistrosLote lote;
  host::TClientDataSet ds("ds"), um("um");
  EXPECT_FALSE(lote.Preenche("DOCBOL", "0001", "1", ds));  // no run on
  lote.Inicia(srv, {{"0001", "3"}, {"0001", "1"}, {"0001", "2"}, {"0001", "3"}}, "237");
  // One data set per kind goes from title to title, as a writer's does: a
  // title's rows never carry over to the next.
  for (const auto& [kind, call] : kinds) {
    for (const char* nr : {"1", "2", "3", "1", "3"}) {
      SCOPED_TRACE(std::string(kind) + " " + nr);
      ASSERT_TRUE(lote.Preenche(kind, "0001", nr, ds, kind == std::string("INSTRUBOL") ? "237" : ""));
      um.SetData(server::CheckResultServ(call(nr)));
      EXPECT_EQ(lines(ds), lines(um));
      EXPECT_EQ(ds.RecNo(), um.RecNo());
    }
  }
  EXPECT_FALSE(lote.Preenche("DOCBOL", "0001", "9", ds));            // not one of the run's titles
  EXPECT_FALSE(lote.Preenche("DOCBOL", "0002", "1", ds));            // same number, another branch
  EXPECT_FALSE(lote.Preenche("INSTRUBOL", "0001", "3", ds, "341"));  // another bank's instructions
  EXPECT_TRUE(lote.Preenche("DOCBOL", "0001", "2", ds));
  lote.Encerra();
  EXPECT_FALSE(lote.Ativo());
  EXPECT_FALSE(lote.Preenche("DOCBOL", "0001", "1", ds));
}

TEST(RegistrosLote, AbreAsksOncePerValueDuringARunOnly) {
  TStore s(store_json());
  TContaConsultas conta(s.Server());
  host::TADOIBQuery q("q"), direta("direta");
  for (auto* x : {&q, &direta}) {
    x->SetConnection(&conta);
    x->SQL =
        "SELECT DSENDECLIE, SGESTADO FROM ENDECLIE WHERE CDCLIENTE = :P_CDCLIENTE AND IDTPENDECLIE = 'C'";
  }
  auto abre_direta = [&](const std::string& cliente) {
    direta.Close();
    direta.ParamByName("P_CDCLIENTE", cliente);
    direta.Open();
    return lines(direta);
  };
  TRegistrosLote lote;
  lote.Abre(q, "P_CDCLIENTE", "C1");
  lote.Abre(q, "P_CDCLIENTE", "C1");
  EXPECT_EQ(conta.n, 2);  // no run: every open asks

  lote.Inicia(s.Server(), {{"0001", "1"}}, "237");
  conta.n = 0;
  for (const char* c : {"C1", "C2", "C1", "C9", "C2", "C9"}) {
    SCOPED_TRACE(c);
    lote.Abre(q, "P_CDCLIENTE", c);
    EXPECT_TRUE(q.Active());
    const auto got = lines(q);
    EXPECT_EQ(got, abre_direta(c));
  }
  EXPECT_EQ(conta.n, 3 + 6);  // C1, C2 and C9 once each, plus the direct opens
  lote.Encerra();
  conta.n = 0;
  lote.Abre(q, "P_CDCLIENTE", "C1");
  EXPECT_EQ(conta.n, 1);  // the run's answers end with it
}
