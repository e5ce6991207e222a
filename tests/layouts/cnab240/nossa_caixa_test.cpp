// Nossa Caixa files generated end to end on the shared store (agency "123-4",
// account "00098765-4", the company's tax id "12.345.678/0001-95"): the real
// run, the whole file checked, the records read back by position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fields/text.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;

namespace {

using fields::PadR;
using fields::Replicate;

constexpr layouts::TCampoNumerico kNumericos[] = {
    {'0', 19, 14},  {'0', 53, 19},  {'0', 144, 28}, {'1', 19, 15}, {'1', 54, 19},
    {'1', 184, 24}, {'P', 18, 19},  {'P', 42, 20},  {'P', 79, 31}, {'P', 111, 9},
    {'P', 128, 39}, {'P', 223, 2},  {'P', 229, 2},  {'P', 234, 3}, {'Q', 19, 15},
    {'Q', 129, 8},  {'Q', 154, 16}, {'5', 18, 6},   {'9', 18, 18},
};

const std::string kConta = "001234" + std::string("0000") + "00098765" + "4";

// The company of the batch, its agency and account, the payer's tax id and
// postcode as digits; the payer's address and district trimmed.
TEST(NossaCaixaRemessa, TypedDataReachesTheBankAsDigits) {
  TLoja l("151");
  const auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 6u);
  EXPECT_EQ(field(recs[0], 9, 64),
            Replicate(" ", 9) + "2" + "12345678000195" + Replicate(" ", 20) + kConta + " ");
  EXPECT_EQ(field(recs[0], 73, 168), PadR("EMPRESA TESTE COMERCIO LTDA", 30) + PadR("BANCO NOSSA CAIXA", 30) +
                                         Replicate(" ", 10) + "1" + "08122026" + "103000" + "000042" + "020" +
                                         "00000" + Replicate(" ", 69));
  EXPECT_EQ(field(recs[1], 9, 65),
            "R0100020 2" + std::string("012345678000195") + Replicate(" ", 20) + kConta + " ");
  EXPECT_EQ(field(recs[1], 74, 167), PadR("EMPRESA TESTE COMERCIO LTDA", 30) + Replicate(" ", 80) +
                                         "00000001" + "08122026" + "00000000" + Replicate(" ", 33));
  const std::string& p = recs[2];
  EXPECT_EQ(field(p, 14, 4), "P 01");
  EXPECT_EQ(field(p, 18, 48), kConta + Replicate(" ", 5) + "000000" + "9123456789" + "05" + "120" + "   ");
  EXPECT_EQ(field(p, 66, 53),
            PadR("1001", 13) + "20122026" + "000000000123456" + "000000" + "02" + "N" + "08122026");
  EXPECT_EQ(field(p, 119, 122), "3" + Replicate(" ", 8) + Replicate("0", 15) + "0" + Replicate("0", 23) +
                                    Replicate(" ", 30) + PadR("00011001", 25) + " 00    00   000    ");
  const std::string& q = recs[3];
  EXPECT_EQ(field(q, 14, 60),
            "Q 01" + std::string("1") + "000012345678909" + PadR("JOSE DA SILVA COMERCIO", 40));
  EXPECT_EQ(field(q, 74, 80), PadR("RUA AUGUSTA, 1500  APTO 12", 40) + PadR("CONSOLACAO", 15) + "01310100" +
                                  PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(q, 154, 87), "0" + Replicate("0", 15) + Replicate(" ", 71));
}

// The lot counts its detail records alone (two per title); the file every
// record, its four frame records included.
TEST(NossaCaixaRemessa, CountsAndSequences) {
  for (int titulos : {1, 2, 3}) {
    SCOPED_TRACE(titulos);
    TLoja l("151");
    for (int i = 2; i <= titulos; ++i) l.NovoTitulo(std::to_string(1000 + i));
    const auto recs = l.Gera({}, kNumericos);
    ASSERT_EQ(recs.size(), static_cast<size_t>(2 * titulos + 4));
    for (int i = 0; i < 2 * titulos; ++i)
      EXPECT_EQ(field(recs[2 + i], 9, 6), fields::Ajusta(std::to_string(i + 1), 5) + (i % 2 ? "Q" : "P"));
    EXPECT_EQ(field(recs[2 * titulos + 2], 18, 6), fields::Ajusta(std::to_string(2 * titulos), 6));
    EXPECT_EQ(field(recs[2 * titulos + 3], 18, 18),
              "000001" + fields::Ajusta(std::to_string(2 * titulos + 4), 6) + "000000");
  }
}

// "9" and the stored number's first nine digits, its punctuation dropped
// first; nothing when the bank prints the slip.
TEST(NossaCaixaRemessa, TitleNumber) {
  struct TCaso {
    const char *impressao, *nosso;
    std::string numero;
  };
  const TCaso tabela[] = {
      {"E", "1234567890", "9123456789"},
      {"F", "12345-6", "9000123456"},
      {"E", "12.345.678-9", "9123456789"},
      {"B", "1234567890", Replicate("0", 10)},
  };
  for (const TCaso& c : tabela) {
    SCOPED_TRACE(std::string(c.impressao) + "/" + c.nosso);
    TLoja l("151");
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    l.titulo()["CDNOSNUMREC"] = c.nosso;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[2], 48, 10), c.numero);
  }
}

// A charge code always comes with its amount: the daily amount, else the
// percentage of the title value (a stored zero daily amount is no amount).
TEST(NossaCaixaRemessa, ChargeCodeAndAmount) {
  struct TCaso {
    const char* nome;
    json campos;
    std::string encargo;  // 119, then 128-142
  };
  const TCaso casos[] = {
      {"daily amount", {{"VRMORDIABREC", 1.5}}, "1" + std::string("000000000000150")},
      {"daily amount wins",
       {{"VRMORDIABREC", 1.5}, {"VRPEMORBREC", 2.0}},
       "1" + std::string("000000000000150")},
      {"percentage, null daily amount",
       {{"VRFINALBREC", 150.0}, {"VRMORDIABREC", nullptr}, {"VRPEMORBREC", 2.0}},
       "1" + std::string("000000000000300")},
      {"percentage, zero daily amount",
       {{"VRFINALBREC", 150.0}, {"VRMORDIABREC", 0.0}, {"VRPEMORBREC", 2.0}},
       "1" + std::string("000000000000300")},
      {"no charge", {{"VRMORDIABREC", 0.0}, {"VRPEMORBREC", 0.0}}, "3" + Replicate("0", 15)},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TLoja l("151");
    l.titulo().update(c.campos);
    const auto recs = l.Gera({}, kNumericos);
    EXPECT_EQ(field(recs[2], 119, 1) + field(recs[2], 128, 15), c.encargo);
    EXPECT_EQ(field(recs[2], 120, 8), Replicate(" ", 8));
  }
}

TEST(NossaCaixaRemessa, DocumentNumberFromTheInvoice) {
  const std::pair<const char*, std::string> casos[] = {{"123", "0000000000123"},
                                                       {"1234567890", "0001234567890"}};
  for (const auto& [duplicata, documento] : casos) {
    SCOPED_TRACE(duplicata);
    TLoja l("151");
    l.Linha("DUPLICATA",
            {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", duplicata}, {"NRPARCELA", "1"}});
    EXPECT_EQ(field(l.Gera({}, kNumericos)[2], 66, 13), documento);
  }
}

// A punctuated CNPJ is 14 digits and passes; what the bank could not read
// stops the run before the file, whichever title it concerns.
TEST(NossaCaixaRemessa, StopsBeforeTheFile) {
  struct TCaso {
    const char* campo;
    json valor;
    const char *chave, *texto;
  };
  const TCaso casos[] = {
      {"CDNOSNUMREC", "1234A678-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 048-057 do registro 3P"},
      {"VRFINALBREC", 1e13, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 087-101 do registro 3P"},
      {"VRMORDIABREC", 1e13, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 128-142 do registro 3P"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.campo);
    TLoja l("151");
    l.NovoTitulo("1002")[c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave);
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
  TLoja longa("151");
  longa.inscricaoEmpresa = "12.345.678/0001-950";
  EXPECT_EQ(longa.Recusa(), "INSCRICAO_INV");
  TLoja conta("151");
  conta.conta()["CDCONTCORR"] = "0009876X-4";
  EXPECT_EQ(conta.Recusa(), "CAMPO_NUM_INV");
}

}  // namespace
