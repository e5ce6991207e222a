// CNAB 240 return: a file built from the FEBRABAN positions, read field by field.
#include "retorno_helpers.h"

namespace retorno_teste {

// Bank 001, one lot: a title paid (06) and an entry refused (03, reasons 08 and 16).
TLinhas ArquivoCnab240() {
  const std::string z15(15, '0');
  auto t = [&](std::string_view seq, std::string_view mov, std::string_view nosso, std::string_view doc,
               std::string_view venc, std::string_view valor, std::string_view id, std::string_view tarifa,
               std::string_view motivos) {
    return Linha(240, {{1, "001"},
                       {4, "0001"},
                       {8, "3"},
                       {9, seq},
                       {14, "T"},
                       {16, mov},
                       {18, "01234"},
                       {24, "000000098765"},
                       {38, nosso},
                       {58, "1"},
                       {59, doc},
                       {74, venc},
                       {82, valor},
                       {106, id},
                       {199, tarifa},
                       {214, motivos}});
  };
  auto u = [&](std::string_view seq, std::string_view mov, std::string_view juros, std::string_view desconto,
               std::string_view pago, std::string_view data, std::string_view credito) {
    return Linha(240, {{1, "001"},
                       {4, "0001"},
                       {8, "3"},
                       {9, seq},
                       {14, "U"},
                       {16, mov},
                       {18, juros},
                       {33, desconto},
                       {48, "000000000000500"},
                       {63, z15},
                       {78, pago},
                       {138, data},
                       {146, credito}});
  };
  return {
      Linha(240, {{1, "001"},
                  {4, "0000"},
                  {8, "0"},
                  {18, "2"},
                  {19, "12345678000195"},
                  {33, "CONV123"},
                  {53, "01234"},
                  {58, "5"},
                  {59, "000000098765"},
                  {71, "4"},
                  {73, "EMPRESA EXEMPLO LTDA"},
                  {143, "2"},
                  {144, "15032024"},
                  {152, "101500"},
                  {158, "000042"}}),
      Linha(240, {{1, "001"}, {4, "0001"}, {8, "1"}, {9, "T"}, {10, "01"}}),
      t("00001", "06", "12345670000000123", "DUP-001/1", "10032024", "000000000150075", "TIT0001",
        "000000000000250", "          "),
      u("00002", "06", "000000000000310", "000000000000100", "000000000149785", "14032024", "15032024"),
      t("00003", "03", "12345670000000124", "DUP-002/1", "00000000", "000000000020000", "TIT0002", z15,
        "0816      "),
      u("00004", "03", z15, z15, z15, "14032024", "00000000"),
      Linha(240, {{1, "001"}, {4, "0001"}, {8, "5"}, {18, "000006"}}),
      Linha(240, {{1, "001"}, {4, "9999"}, {8, "9"}, {18, "000001"}, {24, "000008"}}),
  };
}

TEST(RetornoCnab240, ReadsEveryFieldFromItsPosition) {
  const TRetorno r = kCnab240.le(Arquivo(ArquivoCnab240()), kCnab240);
  Confere(r, {{"leiaute", "CNAB 240"},
              {"banco", "001"},
              {"inscricao", "12345678000195"},
              {"codigoEmpresa", "CONV123"},
              {"agencia", "01234"},
              {"conta", "000000098765"},
              {"empresa", "EMPRESA EXEMPLO LTDA"},
              {"data", "2024-03-15"},
              {"sequencia", "42"},
              {"ocorrencias", "2"},
              {"1.registro", "3"},
              {"1.ocorrencia", "06"},
              {"1.efeito", "L"},
              {"1.nossoNumero", "12345670000000123"},
              {"1.carteira", "1"},
              {"1.documento", "DUP-001/1"},
              {"1.vencimento", "2024-03-10"},
              {"1.valorTitulo", "150075"},
              {"1.identificacao", "TIT0001"},
              {"1.tarifa", "250"},
              {"1.motivos", ""},
              {"1.juros", "310"},
              {"1.desconto", "100"},
              {"1.abatimento", "500"},
              {"1.valorPago", "149785"},
              {"1.dataOcorrencia", "2024-03-14"},
              {"1.dataCredito", "2024-03-15"},
              {"2.registro", "5"},
              {"2.ocorrencia", "03"},
              {"2.efeito", "R"},
              {"2.motivos", "08 16"},
              {"2.vencimento", ""},
              {"2.valorTitulo", "20000"},
              {"2.valorPago", "0"},
              {"2.dataCredito", ""}});
}

// A person's tax id stands zero-filled in the fourteen positions.
TEST(RetornoCnab240, PersonTaxIdKeepsItsElevenDigits) {
  TLinhas l = ArquivoCnab240();
  Poe(l, 1, 18, "1");
  Poe(l, 1, 19, "00012345678909");
  EXPECT_EQ(kCnab240.le(Arquivo(l), kCnab240).inscricao, "12345678909");
}

// SICOOB's segment T has the nosso número at 038-047 and the instalment,
// modality and form after it: the bank's layout reads the ten positions.
TEST(RetornoCnab240, SicoobReadsTheNossoNumeroAlone) {
  TLinhas l = ArquivoCnab240();
  for (int n = 1; n <= 8; ++n) Poe(l, n, 1, "756");
  Poe(l, 3, 38,
      "0000012345"
      "01014"
      "     ");
  const struct {
    const TLeiauteRetorno* leiaute;
    const char* nosso;
  } casos[] = {{&kSicoob240, "0000012345"}, {&kCnab240, "000001234501014"}};
  for (const auto& c : casos)
    EXPECT_EQ(c.leiaute->le(Arquivo(l), *c.leiaute).ocorrencias[0].nossoNumero, c.nosso) << c.leiaute->nome;
  EXPECT_EQ(LeRetorno(Arquivo(l)).leiaute, "SICOOB 240");
}

}  // namespace retorno_teste
