// A bank's return applied to the store: each effect on its title, the files
// refused whole, and a file read twice.
#include <gtest/gtest.h>

#include "fields/datetime.h"
#include "server/fixture.h"
#include "server/packets.h"

namespace {

using namespace server_test;
using host::TPacket;
using host::Value;

struct TOcorr {
  std::string efeito, identif, nosso = "", motivos = "";
  double pago = 0;
};

// The header of account 001 (Bradesco, agency 1234, account 56789) unless changed.
struct TCab {
  std::string banco = "237", agencia = "1234", conta = "56789", inscricao = "12345678000190", seq = "12",
              digest = "d1", reduzida = "";
};

TPacket Cabecalho(const TCab& c) {
  TPacket p;
  p.Fields = server::PacketFields("ARQRETORNO");
  host::Row r(p.Fields.size());
  auto put = [&](const char* n, const std::string& v) { r[p.IndexOf(n)] = Value(host::TText(v)); };
  put("CDREDUCONT", c.reduzida);
  put("CDBANCO", c.banco);
  put("DSLEIAUTE", "Bradesco 400");
  put("DTARQUIVO", "2024-03-20");
  put("NRSEQRETORNO", c.seq);
  put("DSDIGEST", c.digest);
  put("NRINSCRICAO", c.inscricao);
  put("CDAGENCIA", c.agencia);
  put("CDCONTA", c.conta);
  p.Rows.push_back(std::move(r));
  return p;
}

TPacket Ocorrencias(const std::vector<TOcorr>& os) {
  TPacket p;
  p.Fields = server::PacketFields("OCORRETORNO");
  int n = 1;
  for (const auto& o : os) {
    host::Row r(p.Fields.size());
    auto put = [&](const char* f, const std::string& v) { r[p.IndexOf(f)] = Value(host::TText(v)); };
    r[p.IndexOf("NRREGISTRO")] = Value(int64_t{++n});
    put("IDEFEITO", o.efeito);
    put("DSIDENTIF", o.identif);
    put("CDNOSNUM", o.nosso);
    put("DSMOTIVOS", o.motivos);
    put("DTOCORRENCIA", "2024-03-19");
    r[p.IndexOf("VRPAGO")] = Value(o.pago);
    p.Rows.push_back(std::move(r));
  }
  return p;
}

std::string Titulo(server::TRemessaServer& s, const std::string& col, const std::string& filial,
                   const std::string& numero) {
  auto v = s.Conexao().Scalar("SELECT " + col + " FROM BOLETOREC WHERE CDFILIAL = ? AND NRLANBOLREC = ?",
                              {Value(host::TText(filial)), Value(host::TText(numero))});
  return host::ValueToString(v, host::TFieldType::ftString);
}

server::TServerReply Aplica(server::TRemessaServer& s, const std::vector<TOcorr>& os, const TCab& c = {},
                            const std::string& empresa = "01", bool parcial = false) {
  return s.SetRetorno("OP1", empresa, Cabecalho(c), Ocorrencias(os), parcial);
}

TEST(SetRetorno, EachEffectOnItsTitle) {
  struct Case {
    TOcorr o;
    std::string filial, numero, situacao, motivos, pago, alter;
  } cases[] = {
      {{"C", "00023"}, "0002", "3", "20", "", "", "1"},
      {{"R", "00023", "", "48 17"}, "0002", "3", "01", "48 17", "", "1"},
      {{"L", "00023", "", "", 75.0}, "0002", "3", "90", "", "75", "1"},
      {{"B", "00023CART1"}, "0002", "3", "90", "", "", "1"},
      {{"A", "00024"}, "0002", "4", "20", "", "", "1"},
      {{"-", "00024"}, "0002", "4", "20", "", "", "3"},
      {{"C", "00026"}, "0002", "6", "90", "", "", "1"},  // already written off: stays
  };
  for (const auto& c : cases) {
    auto s = Loja();
    auto r = Aplica(*s, {c.o});
    ASSERT_TRUE(r.Error.empty()) << r.Error;
    EXPECT_EQ(r.Text, "1");
    EXPECT_EQ(Titulo(*s, "IDSITUCNABR", c.filial, c.numero), c.situacao) << c.o.efeito;
    EXPECT_EQ(Titulo(*s, "DSMOTIVRET", c.filial, c.numero), c.motivos) << c.o.efeito;
    EXPECT_EQ(Titulo(*s, "VRPAGORET", c.filial, c.numero), c.pago) << c.o.efeito;
    EXPECT_EQ(Titulo(*s, "IDBOLRECALTER", c.filial, c.numero), c.alter) << c.o.efeito;
    EXPECT_EQ(Titulo(*s, "NRRETCNABREC", c.filial, c.numero), "12") << c.o.efeito;
    EXPECT_EQ(Cell(r.Packet, 0, "IDSITUDEPOIS"), c.situacao);
  }
}

TEST(SetRetorno, FindsTheTitleByNossoNumeroAndTheAccountByItsHeader) {
  auto s = Loja();
  s->Conexao().Exec("UPDATE BOLETOREC SET CDNOSNUMREC = '12345678-9' WHERE NRLANBOLREC = '3'");
  TCab c;
  c.agencia = "01234";
  c.conta = "000000056789";
  // No company and no account given: the header names them.
  for (const std::string nosso : {"000000123456789", "12345678"}) {
    c.digest = nosso;
    c.seq = nosso;
    auto r = Aplica(*s, {{"C", "", nosso}}, c, "");
    ASSERT_TRUE(r.Error.empty()) << r.Error;
    EXPECT_EQ(Cell(r.Array[0], 0, "CDREDUCONT"), "001");
    EXPECT_EQ(Cell(r.Packet, 0, "NRLANBOLREC"), "3") << nosso;
  }
}

TEST(SetRetorno, RefusesTheWholeFileAndChangesNothing) {
  TCab outroBanco, outraConta, outraEmpresa;
  outroBanco.banco = "341";
  outraConta.conta = "99999";
  outraConta.reduzida = "001";
  outraEmpresa.inscricao = "99888777000166";
  struct Case {
    const char* nome;
    TCab cab;
    std::vector<TOcorr> os;
    std::string texto;
  } cases[] = {
      {"another bank", outroBanco, {{"C", "00023"}}, "Nenhuma conta corrente da empresa 01 corresponde"},
      {"another account", outraConta, {{"C", "00023"}}, "de outra conta"},
      {"another company", outraEmpresa, {{"C", "00023"}}, "de outra empresa"},
      {"unknown title", {}, {{"C", "00023"}, {"L", "0001999", "", "", 5}}, "sem título correspondente"},
      {"title never sent", {}, {{"C", "00011"}}, "nunca enviado"},
      {"title of another account", {}, {{"C", "00037"}}, "sem título correspondente"},
  };
  for (const auto& c : cases) {
    auto s = Loja();
    auto r = Aplica(*s, c.os, c.cab);
    EXPECT_NE(r.Error.find(Cp(c.texto)), std::string::npos) << c.nome << ": " << r.Error;
    EXPECT_EQ(Titulo(*s, "IDSITUCNABR", "0002", "3"), "10") << c.nome;
    EXPECT_EQ(s->Conexao().Scalar("SELECT COUNT(*) FROM ARQRETORNO"), Value(int64_t{0})) << c.nome;
  }
}

TEST(SetRetorno, PartialAppliesWhatMatchesAndListsTheRest) {
  auto s = Loja();
  auto r = Aplica(*s, {{"C", "00023"}, {"C", "0001999"}}, {}, "01", true);
  ASSERT_TRUE(r.Error.empty()) << r.Error;
  EXPECT_EQ(Titulo(*s, "IDSITUCNABR", "0002", "3"), "20");
  EXPECT_EQ(Cell(r.Array[0], 0, "QTNAOENCONTR"), "1");
  EXPECT_EQ(Cell(r.Packet, 1, "DSRESULTADO"), Cp("título não encontrado"));
  EXPECT_EQ(Cell(server::CheckResultServ(s->GetOcorrRetorno("01", 1)), 1, "DSRESULTADO"),
            Cp("título não encontrado"));
}

TEST(SetRetorno, AFileReadTwiceChangesNothingTheSecondTime) {
  auto s = Loja();
  ASSERT_EQ(Aplica(*s, {{"C", "00023"}}).Text, "1");
  s->Conexao().Exec("UPDATE BOLETOREC SET IDSITUCNABR = '10' WHERE NRLANBOLREC = '3'");
  auto again = Aplica(*s, {{"C", "00023"}});
  ASSERT_TRUE(again.Error.empty()) << again.Error;
  EXPECT_EQ(again.Text, "0");
  EXPECT_EQ(Cell(again.Array[0], 0, "NRARQRETORNO"), "1");
  EXPECT_EQ(Titulo(*s, "IDSITUCNABR", "0002", "3"), "10");
  // The same bank number and date with other bytes is another file under a used name.
  TCab outro;
  outro.digest = "d2";
  EXPECT_NE(Aplica(*s, {{"C", "00023"}}, outro).Error.find(Cp("já foi lido")), std::string::npos);
  EXPECT_EQ(server::CheckResultServ(s->GetRetornos("01")).Rows.size(), 1u);
}

}  // namespace
