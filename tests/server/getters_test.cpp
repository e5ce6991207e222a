// The look-ups the workspace and the layout writers make, and the host's own
// queries run against the same database.
#include <gtest/gtest.h>

#include "fields/datetime.h"
#include "fixture.h"
#include "server/packets.h"

using namespace server_test;
using host::TFieldType;

TEST(Getters, RepliesUseThePacketFieldLists) {
  auto s = Loja();
  struct Case {
    const char* packet;
    server::TServerReply reply;
    size_t rows;
  };
  const Case cases[] = {
      {"DOCBOL", s->GetDocBol("1", "0001"), 1},
      {"DUPLICATA", s->GetDuplicata("1", "0001"), 1},
      {"LICENCAUSO", s->GetLicencaUso("0001", "2"), 1},
      {"LICENCAUSO", s->GetLicencaUso("0001", "1"), 0},
      {"TXBOLETOS", s->GetTxBoletos("0001", "1"), 0},
      {"INSTRUBOL", s->GetInstruBol("237", "0001", "1"), 0},
      {"EMPRBANC", s->GetEmprBanc("237", "01"), 1},
      {"FILIRECE", s->GetFiliRece("0001", "1"), 2},
      {"IDCONTA", s->GetIdConta("001"), 1},
      {"DOCUMENTOS", s->GetDocumentos("0001", "1"), 2},
      {"PARAMFILIAL", s->GetParamFilial("0001"), 1},
      {"CONTACORR", s->GetContaCorr("01", "T"), 2},
      {"CONTACORR", s->GetContaCorr("01", "003"), 0},  // another company's account
      {"CONTACORRCOBR", s->GetContaCorrCobr("01", "T", "237"), 1},
      {"CONTACORRCOBR", s->GetContaCorrCobr("01", "T", "001"), 0},
      {"FILIAL", s->GetFilial("", "01"), 2},
      {"FILIALCC", s->GetFilialCC("237", "1234", "56789", "001"), 1},
      {"FILIALCC", s->GetFilialCC("237", "1234", "11111", "002"), 0},  // account without a branch
  };
  for (const auto& c : cases) {
    ASSERT_EQ(c.reply.Error, "") << c.packet;
    ExpectShape(c.reply.Packet, server::PacketFields(c.packet));
    EXPECT_EQ(c.reply.Packet.Rows.size(), c.rows) << c.packet;
  }
}

TEST(Getters, TitleRecordsComeFromItsFirstInstalment) {
  auto s = Loja();
  auto doc = s->GetDocBol("1", "0001").Packet;
  EXPECT_EQ(Cell(doc, 0, "NRPARCELA"), "01");
  EXPECT_EQ(Cell(doc, 0, "NRNOTAFISC"), "1001");
  EXPECT_EQ(std::get<double>(doc.Rows[0][doc.IndexOf("DTEMISSAO")]), fields::EncodeDate(2024, 3, 1));
  EXPECT_EQ(s->GetChaveAcesso("0001", "1").Text, "35240312345678000190550010000010011000010010");
  EXPECT_EQ(s->GetChaveAcesso("0001", "2").Text, "");
  auto docs = s->GetDocumentos("0001", "1").Packet;
  EXPECT_EQ(Cell(docs, 0, "NRNOTAFISC"), "1001");
  EXPECT_EQ(Cell(docs, 1, "CDSERIE"), "");
  // The receiving branch's tax id, for the CNPJ-root check.
  auto rece = s->GetFiliRece("0001", "1").Packet;
  EXPECT_EQ(Cell(rece, 0, "CDFILIRECE"), "0002");
  EXPECT_EQ(Cell(rece, 0, "NRINSJURFILI"), "12.345.678/0002-71");
}

TEST(Getters, BranchCarriesItsPrincipalAddress) {
  auto s = Loja();
  auto p = s->GetFilial("0001", "01").Packet;
  ASSERT_EQ(p.Rows.size(), 1u);
  EXPECT_EQ(Cell(p, 0, "DSENDEFILI"), "Av. Paulista, 1000");
  EXPECT_EQ(Cell(p, 0, "NMMUNICIPIO"), Cp("São Paulo"));
  EXPECT_EQ(s->GetFilial("0003", "01").Packet.Rows.size(), 0u);
  auto cc = s->GetFilialCC("237", "1234", "56789", "001").Packet;
  EXPECT_EQ(Cell(cc, 0, "NMFILIAL"), Cp("Matriz São Paulo"));
}

TEST(Getters, OperatorCompanyAccess) {
  auto s = Loja();
  EXPECT_TRUE(s->AcessoOperEmpresa("OP1", "01"));
  EXPECT_FALSE(s->AcessoOperEmpresa("OP1", "02"));
  EXPECT_FALSE(s->AcessoOperEmpresa("OP2", "01"));
  EXPECT_FALSE(s->AcessoOperEmpresa("NOBODY", "01"));
}

TEST(HostQueries, TheWorkspaceStatementsReturnTheirRows) {
  auto s = Loja();
  const std::string empresa =
      "SELECT CDEMPRESA, NMEMPRESA, IDTPIJUREMPR, NRINSJUREMPR, NMRAZSOCEMPR FROM EMPRESA "
      "WHERE (CDEMPRESA = :P_CDEMPRESA OR :P_TCDEMPRESA = 'T') ORDER BY CDEMPRESA";
  auto one = s->ExecuteQuery(empresa, {{"P_CDEMPRESA", "01"}, {"P_TCDEMPRESA", ""}});
  ASSERT_EQ(one.Rows.size(), 1u);
  EXPECT_EQ(Cell(one, 0, "NMEMPRESA"), Cp("Comércio Ação"));
  ASSERT_EQ(one.Fields.size(), 5u);
  EXPECT_EQ(one.Fields[1].Size, 40);
  EXPECT_EQ(one.Fields[4].Size, 80);
  EXPECT_EQ(s->ExecuteQuery(empresa, {{"P_CDEMPRESA", ""}, {"P_TCDEMPRESA", "T"}}).Rows.size(), 2u);

  auto ende = s->ExecuteQuery(
      "SELECT EC.DSENDECLIE , EC.NRCEPCLIE, EC.SGESTADO, EC.NMBAIRCLIE, MU.NMMUNICIPIO FROM ENDECLIE EC, "
      "MUNICIPIO MU "
      "WHERE (EC.CDCLIENTE = :P_CDCLIENTE ) AND (EC.IDTPENDECLIE = 'C' ) AND (MU.CDPAIS = EC.CDPAIS ) AND "
      "(MU.SGESTADO = EC.SGESTADO ) AND (MU.CDMUNICIPIO = EC.CDMUNICIPIO)",
      {{"P_CDCLIENTE", "C1"}});
  ASSERT_EQ(ende.Rows.size(), 1u);
  EXPECT_EQ(Cell(ende, 0, "NMBAIRCLIE"), Cp("Moóca"));
  EXPECT_EQ(Cell(ende, 0, "NMMUNICIPIO"), Cp("São Paulo"));
  EXPECT_EQ(ende.Fields[1].Size, 15);

  const std::string tpende =
      "SELECT IDTPENDECLIE FROM ENDECLIE WHERE (CDCLIENTE = :P_CDCLIENTE) AND (IDTPENDECLIE = 'C')";
  EXPECT_EQ(s->ExecuteQuery(tpende, {{"P_CDCLIENTE", "C1"}}).Rows.size(), 1u);
  EXPECT_EQ(s->ExecuteQuery(tpende, {{"P_CDCLIENTE", "C2"}}).Rows.size(), 0u);  // delivery address only

  auto cc = s->ExecuteQuery("SELECT CDCEDENTEBAN FROM CONTCORR WHERE (CDREDUCONT = :P_CDREDUCONT)",
                            {{"P_CDREDUCONT", "001"}});
  ASSERT_EQ(cc.Rows.size(), 1u);
  EXPECT_EQ(cc.Fields[0].Size, 30);

  auto fili = s->ExecuteQuery(
      "SELECT E.CDFILIAL, E.IDTPENDEFILI, E.CDPAIS, E.SGESTADO, M.NMMUNICIPIO, E.CDMUNICIPIO, E.DSENDEFILI, "
      "E.NMBAIRFILI, E.NRCEPFILI, F.NMFILIAL FROM ENDEFILI E, FILIAL F, MUNICIPIO M WHERE (F.CDFILIAL = "
      ":P_CDFILIAL) "
      "AND (E.CDFILIAL = F.CDFILIAL) AND (E.IDTPENDEFILI = 'P') AND (M.CDPAIS = E.CDPAIS) AND "
      "(M.SGESTADO = E.SGESTADO) AND (M.CDMUNICIPIO = E.CDMUNICIPIO)",
      {{"P_CDFILIAL", "0001"}});
  ASSERT_EQ(fili.Rows.size(), 1u);
  EXPECT_EQ(Cell(fili, 0, "IDTPENDEFILI"), "P");
  EXPECT_EQ(Cell(fili, 0, "NMFILIAL"), Cp("Matriz São Paulo"));
  EXPECT_EQ(fili.Fields[6].Size, 50);
}

TEST(HostQueries, ColumnTypesBecomeFieldTypes) {
  auto s = Loja();
  auto p = s->ExecuteQuery(
      "SELECT DTVENBOLREC, VRFINALBREC, 'x' AS LITERAL FROM BOLETOREC WHERE NRLANBOLREC = :P_NR",
      {{"P_NR", "1"}});
  ASSERT_EQ(p.Rows.size(), 1u);
  EXPECT_EQ(p.Fields[0].DataType, TFieldType::ftDateTime);
  EXPECT_EQ(std::get<double>(p.Rows[0][0]), fields::EncodeDate(2024, 3, 10));
  EXPECT_EQ(p.Fields[1].DataType, TFieldType::ftFloat);
  EXPECT_EQ(p.Fields[2].DataType, TFieldType::ftString);
  EXPECT_EQ(p.Fields[2].Size, 250);
  EXPECT_THROW(s->ExecuteQuery("SELECT NOPE FROM EMPRESA", {}), host::EDatabaseError);
}
