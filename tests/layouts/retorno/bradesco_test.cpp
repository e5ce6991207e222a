// Bradesco CNAB 400 return: a file built from the bank's positions, read field by field.
#include "retorno_helpers.h"

namespace retorno_teste {

// A title paid (06) and an entry refused (03, reasons 17 and 21).
TLinhas ArquivoBradesco() {
  const std::string z13(13, '0');
  auto detalhe = [&](std::string_view id, std::string_view nosso, std::string_view oc, std::string_view data,
                     std::string_view doc, std::string_view venc, std::string_view valor,
                     std::string_view tarifa, std::string_view desconto, std::string_view pago,
                     std::string_view juros, std::string_view credito, std::string_view motivos,
                     std::string_view seq) {
    return Linha(400, {{1, "1"},
                       {2, "02"},
                       {4, "12345678000195"},
                       {18, "000"},
                       {21, "0"},
                       {22, "009"},
                       {25, "01234"},
                       {30, "0098765"},
                       {37, "4"},
                       {38, id},
                       {63, "00000000"},
                       {71, nosso},
                       {109, oc},
                       {111, data},
                       {117, doc},
                       {147, venc},
                       {153, valor},
                       {166, "237"},
                       {176, tarifa},
                       {228, "0000000000500"},
                       {241, desconto},
                       {254, pago},
                       {267, juros},
                       {296, credito},
                       {319, motivos},
                       {395, seq}});
  };
  return {
      Linha(400, {{1, "02RETORNO01COBRANCA"},
                  {27, "00000000000004567890"},
                  {47, "EMPRESA EXEMPLO LTDA"},
                  {77, "237BRADESCO"},
                  {95, "150324"},
                  {101, "01600000"},
                  {109, "00042"},
                  {380, "150324"},
                  {395, "000001"}}),
      detalhe("TIT0001", "00000001234P", "06", "140324", "DUP-001/1", "100324", "0000000150075",
              "0000000000250", "0000000000100", "0000000149785", "0000000000310", "150324", "0000000000",
              "000002"),
      detalhe("TIT0002", "000000012357", "03", "140324", "DUP-002/1", "000000", "0000000020000", z13, z13,
              z13, z13, "000000", "1721000000", "000003"),
      Linha(400, {{1, "9201237"}, {18, "00000002"}, {395, "000004"}}),
  };
}

TEST(RetornoBradesco, ReadsEveryFieldFromItsPosition) {
  const TRetorno r = kBradesco400.le(Arquivo(ArquivoBradesco()), kBradesco400);
  Confere(r, {{"leiaute", "Bradesco 400"},
              {"banco", "237"},
              {"codigoEmpresa", "00000000000004567890"},
              {"empresa", "EMPRESA EXEMPLO LTDA"},
              {"data", "2024-03-15"},
              {"sequencia", "42"},
              // the header has none: the first detail's tax id and identification at the bank
              {"inscricao", "12345678000195"},
              {"agencia", "01234"},
              {"conta", "0098765"},
              {"ocorrencias", "2"},
              {"1.registro", "2"},
              {"1.carteira", "009"},
              {"1.identificacao", "TIT0001"},
              {"1.nossoNumero", "00000001234P"},
              {"1.ocorrencia", "06"},
              {"1.efeito", "L"},
              {"1.dataOcorrencia", "2024-03-14"},
              {"1.documento", "DUP-001/1"},
              {"1.vencimento", "2024-03-10"},
              {"1.valorTitulo", "150075"},
              {"1.tarifa", "250"},
              {"1.abatimento", "500"},
              {"1.desconto", "100"},
              {"1.valorPago", "149785"},
              {"1.juros", "310"},
              {"1.dataCredito", "2024-03-15"},
              {"1.motivos", ""},
              {"2.registro", "3"},
              {"2.ocorrencia", "03"},
              {"2.efeito", "R"},
              {"2.motivos", "17 21"},
              {"2.vencimento", ""},
              {"2.dataCredito", ""},
              {"2.valorTitulo", "20000"}});
}

// The credit-sharing record (kind 3) among the details carries no occurrence.
TEST(RetornoBradesco, CreditSharingRecordIsNoOccurrence) {
  TLinhas l = ArquivoBradesco();
  l.insert(l.begin() + 2, Linha(400, {{1, "3"}, {395, "000003"}}));
  Poe(l, 4, 395, "000004");
  Poe(l, 5, 395, "000005");
  const TRetorno r = kBradesco400.le(Arquivo(l), kBradesco400);
  ASSERT_EQ(r.ocorrencias.size(), 2u);
  EXPECT_EQ(r.ocorrencias[1].registro, 4);
}

}  // namespace retorno_teste
