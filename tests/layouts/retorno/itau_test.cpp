// Itaú CNAB 400 return: a file built from the bank's positions, read field by field.
#include "retorno_helpers.h"

namespace retorno_teste {

// Agency 1234, account 98765 (DAC 7); a title paid (06) and an entry
// refused (03, errors 03 and 04).
TLinhas ArquivoItau() {
  const std::string z13(13, '0');
  auto detalhe = [&](std::string_view id, std::string_view nosso, std::string_view dac, std::string_view oc,
                     std::string_view data, std::string_view doc, std::string_view venc,
                     std::string_view valor, std::string_view tarifa, std::string_view desconto,
                     std::string_view pago, std::string_view juros, std::string_view credito,
                     std::string_view erros, std::string_view seq) {
    return Linha(400, {{1, "1"},
                       {2, "02"},
                       {4, "12345678000195"},
                       {18, "1234"},
                       {22, "00"},
                       {24, "98765"},
                       {29, "7"},
                       {38, id},
                       {63, nosso},
                       {83, "109"},
                       {86, nosso},
                       {94, dac},
                       {108, "I"},
                       {109, oc},
                       {111, data},
                       {117, doc},
                       {127, nosso},
                       {147, venc},
                       {153, valor},
                       {166, "341"},
                       {176, tarifa},
                       {215, z13},
                       {228, "0000000000500"},
                       {241, desconto},
                       {254, pago},
                       {267, juros},
                       {296, credito},
                       {378, erros},
                       {395, seq}});
  };
  return {
      Linha(400, {{1, "02RETORNO01COBRANCA"},
                  {27, "1234"},
                  {31, "00"},
                  {33, "98765"},
                  {38, "7"},
                  {47, "EMPRESA EXEMPLO LTDA"},
                  {77, "341BANCO ITAU SA"},
                  {95, "150324"},
                  {101, "01600BPI"},
                  {109, "00042"},
                  {114, "150324"},
                  {395, "000001"}}),
      detalhe("TIT0001", "12345678", "4", "06", "140324", "DUP-001/1", "100324", "0000000150075",
              "0000000000250", "0000000000100", "0000000149785", "0000000000310", "150324", "        ",
              "000002"),
      detalhe("TIT0002", "12345679", "2", "03", "140324", "DUP-002/1", "000000", "0000000020000", z13, z13,
              z13, z13, "000000", "0304    ", "000003"),
      Linha(400, {{1, "9201341"}, {18, "00000002"}, {395, "000004"}}),
  };
}

TEST(RetornoItau, ReadsEveryFieldFromItsPosition) {
  const TRetorno r = kItau400.le(Arquivo(ArquivoItau()), kItau400);
  Confere(r, {{"leiaute", "Itau 400"},
              {"banco", "341"},
              {"agencia", "1234"},
              {"conta", "98765"},
              {"codigoEmpresa", ""},
              {"empresa", "EMPRESA EXEMPLO LTDA"},
              {"data", "2024-03-15"},
              {"sequencia", "42"},
              {"inscricao", "12345678000195"},
              {"ocorrencias", "2"},
              {"1.registro", "2"},
              {"1.identificacao", "TIT0001"},
              {"1.carteira", "109"},
              {"1.nossoNumero", "12345678"},
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
              {"2.motivos", "03 04"},
              {"2.vencimento", ""},
              {"2.valorTitulo", "20000"}});
}

// The writer's check digits follow the bank's modulo 10: the account's over
// agency and account, the nosso número's over agency, account, portfolio
// and number (portfolio 126 leaves agency and account out).
TEST(RetornoItau, WriterPutsTheBanksCheckDigits) {
  TRetorno ret = kItau400.le(Arquivo(ArquivoItau()), kItau400);
  ret.ocorrencias[1].carteira = "126";
  const std::string f = kItau400.escreve(ret, kItau400);
  const struct {
    size_t registro;
    int pos;
    const char* dac;
  } casos[] = {{0, 38, "7"}, {1, 29, "7"}, {1, 94, "4"}, {2, 94, "3"}};
  for (const auto& c : casos)
    EXPECT_EQ(f.substr(c.registro * 402 + static_cast<size_t>(c.pos) - 1, 1), c.dac)
        << "record " << c.registro + 1 << " at " << c.pos;
}

}  // namespace retorno_teste
