// What every return layout must do: write what it reads, keep the shared
// rules of a bank's file, refuse a damaged file naming the record and the
// field, and give each occurrence code its effect.
#include "retorno_helpers.h"

namespace retorno_teste {

namespace {

struct TAmostra {
  const TLeiauteRetorno* leiaute;
  TLinhas (*arquivo)();
};
const TAmostra kAmostras[] = {
    {&kCnab240, ArquivoCnab240}, {&kBradesco400, ArquivoBradesco}, {&kItau400, ArquivoItau}};

// A bank's answer in the shape the system applies: a paid title, a refused
// entry, a written-off one and a fee, numbered as the layout places its
// details (the first at primeiro, then every passo records).
TRetorno Retorno(const TLeiauteRetorno& l, const char* banco, const char* agencia, const char* conta,
                 const char* codigo, const char* carteira, const char* nosso, int primeiro, int passo) {
  TRetorno r{.familia = l.familia,
             .leiaute = l.nome,
             .banco = banco,
             .inscricao = "12345678909",
             .agencia = agencia,
             .conta = conta,
             .codigoEmpresa = codigo,
             .empresa =
                 "CONFEC\xC7\xD5"
                 "ES S\xC3O JO\xC3O",
             .data = "2024-12-31",
             .sequencia = "7",
             .ocorrencias = {}};
  const struct {
    const char *oc, *motivos, *venc, *credito;
    TEfeito efeito;
    int64_t valor, pago, tarifa, juros, desconto, abatimento;
  } titulos[] = {
      {"06", "", "2024-12-20", "2024-12-31", TEfeito::Liquidada, 123456, 124000, 350, 900, 100, 256},
      {"03", "17 21", "2025-02-28", "", TEfeito::Recusada, 5000, 0, 0, 0, 0, 0},
      {"09", "", "2024-02-29", "", TEfeito::Baixada, 99999, 0, 150, 0, 0, 0},
      {"28", "", "", "", TEfeito::Nenhum, 0, 0, 1275, 0, 0, 0}};
  int registro = primeiro;
  for (const auto& t : titulos) {
    r.ocorrencias.push_back({.registro = registro,
                             .ocorrencia = t.oc,
                             .descricao = {},
                             .efeito = t.efeito,
                             .motivos = t.motivos,
                             .identificacao = "TIT " + std::to_string(registro),
                             .nossoNumero = nosso,
                             .carteira = carteira,
                             .documento = "NF 123/" + std::to_string(registro),
                             .vencimento = t.venc,
                             .dataOcorrencia = "2024-12-30",
                             .dataCredito = t.credito,
                             .valorTitulo = t.valor,
                             .valorPago = t.pago,
                             .tarifa = t.tarifa,
                             .juros = t.juros,
                             .desconto = t.desconto,
                             .abatimento = t.abatimento});
    registro += passo;
  }
  return r;
}

std::vector<TRetorno> Respostas() {
  TRetorno cnpj =
      Retorno(kCnab240, "001", "01234", "000000098765", "CONV 123", "1", "12345670000000123", 3, 2);
  cnpj.inscricao = "12345678000195";
  return {
      cnpj, Retorno(kCnab240, "104", "00123", "000000004567", "123456", "2", "14000000000001234", 3, 2),
      Retorno(kSicoob240, "756", "03021", "000000123456", "", "1", "0000012345", 3, 2),
      Retorno(kBradesco400, "237", "01234", "0098765", "00000000000004567890", "009", "00000001234P", 2, 1),
      Retorno(kItau400, "341", "1234", "98765", "", "109", "12345678", 2, 1)};
}

std::string_view Registro(std::string_view arquivo, size_t n, size_t tamanho) {
  return arquivo.substr((n - 1) * (tamanho + 2), tamanho + 2);
}

}  // namespace

// The bank's answer as the writer puts it is read back as it was.
TEST(RetornoLeiautes, WhatIsWrittenReadsBackTheSame) {
  for (const TRetorno& r : Respostas()) {
    const auto esperado = Plano(r);
    const auto lido = Plano(LeRetorno(EscreveRetorno(r)));
    for (const auto& [campo, valor] : esperado) EXPECT_EQ(lido.at(campo), valor) << r.leiaute << " " << campo;
  }
}

// Every written file keeps the shared rules: records of the layout's
// length ended by CR LF, sequence numbers in order, trailer counts of what
// was written, the header of a return.
TEST(RetornoLeiautes, WrittenFileKeepsTheLayoutsCounts) {
  for (const TRetorno& r : Respostas()) {
    SCOPED_TRACE(r.leiaute + " " + r.banco);
    const std::string f = EscreveRetorno(r);
    const size_t tam = r.familia == layouts::TFamilia::Cnab240 ? 240 : 400;
    const size_t n = f.size() / (tam + 2), titulos = r.ocorrencias.size();
    ASSERT_EQ(f.size() % (tam + 2), 0u);
    for (size_t i = 1; i <= n; ++i) EXPECT_EQ(Registro(f, i, tam).substr(tam), "\r\n") << "record " << i;
    auto campo = [&](size_t reg, size_t pos, size_t len) {
      return std::string(Registro(f, reg, tam).substr(pos - 1, len));
    };
    auto zeros = [](size_t v, size_t len) {
      std::string s = std::to_string(v);
      return std::string(len - s.size(), '0') + s;
    };
    if (tam == 240) {
      ASSERT_EQ(n, 4 + 2 * titulos);
      EXPECT_EQ(campo(1, 143, 1), "2");
      EXPECT_EQ(campo(2, 8, 2), "1T");
      for (size_t d = 1; d <= 2 * titulos; ++d) {
        EXPECT_EQ(campo(2 + d, 9, 5), zeros(d, 5)) << "detail " << d;
        EXPECT_EQ(campo(2 + d, 14, 1), d % 2 ? "T" : "U") << "detail " << d;
      }
      EXPECT_EQ(campo(n - 1, 8, 1) + campo(n - 1, 18, 12), "5" + zeros(n - 2, 6) + zeros(titulos, 6));
      EXPECT_EQ(campo(n, 8, 1) + campo(n, 18, 12), "9" + zeros(1, 6) + zeros(n, 6));
    } else {
      ASSERT_EQ(n, 2 + titulos);
      EXPECT_EQ(campo(1, 1, 19) + campo(1, 77, 3), "02RETORNO01COBRANCA" + r.banco);
      for (size_t i = 1; i <= n; ++i) EXPECT_EQ(campo(i, 395, 6), zeros(i, 6)) << "record " << i;
      EXPECT_EQ(campo(n, 1, 7), "9201" + r.banco);
      EXPECT_EQ(campo(n, 18, 8), zeros(titulos, 8));
    }
  }
}

// A record line may end in CR LF or a bare LF; line ends after the last
// record are no record.
TEST(RetornoLeiautes, ReadsEitherLineEnd) {
  const char* fins[] = {"\r\n", "\n"};
  for (const TAmostra& a : kAmostras)
    for (const char* fim : fins)
      for (const char* depois : {"", "\r\n\r\n"}) {
        std::string f = Arquivo(a.arquivo(), fim);
        f.resize(f.size() - std::string_view(fim).size());
        EXPECT_EQ(a.leiaute->le(f + depois, *a.leiaute).ocorrencias.size(), 2u) << a.leiaute->nome;
      }
}

// A damaged file, or one that is not a return, is refused naming the record and the field.
TEST(RetornoLeiautes, RefusesADamagedFile) {
  const struct {
    const TAmostra& amostra;
    std::function<void(TLinhas&)> dano;
    const char* mensagem;
  } casos[] = {
      {kAmostras[0], [](TLinhas& l) { l[2].pop_back(); },
       "Registro 3: tem 239 caracteres; os registros do leiaute CNAB 240 têm 240."},
      {kAmostras[0], [](TLinhas& l) { l.resize(6); },
       "O arquivo termina no registro 6 sem o trailer do arquivo (tipo 9): está incompleto."},
      {kAmostras[0], [](TLinhas& l) { l.resize(3); }, "O arquivo termina no registro 3 sem o trailer"},
      {kAmostras[0], [](TLinhas& l) { Poe(l, 4, 85, "O"); },
       "Registro 4: o campo valor pago (078-092) não é numérico."},
      {kAmostras[0], [](TLinhas& l) { Poe(l, 3, 74, "30022024"); },
       "Registro 3: o campo data de vencimento (074-081) não é uma data"},
      {kAmostras[0], [](TLinhas& l) { Poe(l, 1, 143, "1"); }, "Registro 1: o arquivo não é um retorno"},
      {kAmostras[0], [](TLinhas& l) { Poe(l, 2, 9, "R"); }, "Registro 2: o lote não é de retorno"},
      {kAmostras[0], [](TLinhas& l) { l.erase(l.begin() + 2); },
       "Registro 3: registro fora de lugar: um segmento U sem o segmento T"},
      {kAmostras[0], [](TLinhas& l) { l.erase(l.begin() + 1); },
       "Registro 2: registro fora de lugar: um detalhe (tipo 3) fora de um lote."},
      {kAmostras[1], [](TLinhas& l) { l[1].resize(399); }, "Registro 2: tem 399 caracteres"},
      {kAmostras[1], [](TLinhas& l) { l.pop_back(); }, "O arquivo termina no registro 3 sem o trailer"},
      {kAmostras[1], [](TLinhas& l) { Poe(l, 2, 260, "X"); },
       "Registro 2: o campo valor pago (254-266) não é numérico."},
      {kAmostras[1], [](TLinhas& l) { Poe(l, 2, 147, "311324"); },
       "Registro 2: o campo data de vencimento (147-152) não é uma data"},
      {kAmostras[1], [](TLinhas& l) { Poe(l, 1, 1, "01REMESSA"); }, "Registro 1: o arquivo não é um retorno"},
      {kAmostras[1], [](TLinhas& l) { Poe(l, 1, 77, "341"); },
       "Registro 1: o banco do cabeçalho (077-079) é 341; o leiaute Bradesco 400 é o do banco 237."},
      {kAmostras[1], [](TLinhas& l) { Poe(l, 3, 1, "0"); }, "Registro 3: registro fora de lugar"},
      {kAmostras[1], [](TLinhas& l) { Poe(l, 3, 395, "000009"); },
       "Registro 3: o número sequencial (395-400) traz 000009"},
      {kAmostras[2], [](TLinhas& l) { l[3].append(" "); }, "Registro 4: tem 401 caracteres"},
      {kAmostras[2], [](TLinhas& l) { l.pop_back(); }, "O arquivo termina no registro 3 sem o trailer"},
      {kAmostras[2], [](TLinhas& l) { Poe(l, 3, 90, "A"); },
       "Registro 3: o campo nosso número (086-093) não é numérico."},
      {kAmostras[2], [](TLinhas& l) { Poe(l, 2, 296, "320324"); },
       "Registro 2: o campo data de crédito (296-301) não é uma data"},
      {kAmostras[2], [](TLinhas& l) { Poe(l, 1, 1, "01REMESSA"); }, "Registro 1: o arquivo não é um retorno"},
  };
  for (const auto& c : casos) {
    TLinhas l = c.amostra.arquivo();
    c.dano(l);
    const TLeiauteRetorno& leiaute = *c.amostra.leiaute;
    const std::string m = Recusa([&] { leiaute.le(Arquivo(l), leiaute); });
    EXPECT_NE(m.find(c.mensagem), std::string::npos) << leiaute.nome << ": \"" << m << "\"";
  }
}

// Each class of the bank's occurrence codes has its effect; a code the table
// lacks is listed with none.
TEST(RetornoLeiautes, OccurrenceCodesHaveTheirEffect) {
  using E = TEfeito;
  const struct {
    const TAmostra& amostra;
    const char* codigo;
    E efeito;
    const char* descricao;
  } casos[] = {
      {kAmostras[0], "02", E::Confirmada, "Entrada confirmada"},
      {kAmostras[0], "03", E::Recusada, "Entrada rejeitada"},
      {kAmostras[0], "06", E::Liquidada, "Liquidação"},
      {kAmostras[0], "17", E::Liquidada, "Liquidação após baixa"},
      {kAmostras[0], "09", E::Baixada, "Baixa"},
      {kAmostras[0], "14", E::AlteracaoConfirmada, "alteração de vencimento"},
      {kAmostras[0], "27", E::AlteracaoConfirmada, "alteração de outros dados"},
      {kAmostras[0], "28", E::Nenhum, "Débito de tarifas/custas"},
      {kAmostras[0], "26", E::Nenhum, "Instrução rejeitada"},
      {kAmostras[0], "99", E::Nenhum, "99"},
      {kAmostras[1], "02", E::Confirmada, "Entrada confirmada"},
      {kAmostras[1], "03", E::Recusada, "Entrada rejeitada"},
      {kAmostras[1], "24", E::Recusada, "CEP irregular"},
      {kAmostras[1], "06", E::Liquidada, "Liquidação normal"},
      {kAmostras[1], "15", E::Liquidada, "Liquidação em cartório"},
      {kAmostras[1], "17", E::Liquidada, "Liquidação após baixa"},
      {kAmostras[1], "09", E::Baixada, "Baixado automaticamente"},
      {kAmostras[1], "10", E::Baixada, "instruções da agência"},
      {kAmostras[1], "14", E::AlteracaoConfirmada, "Vencimento alterado"},
      {kAmostras[1], "11", E::Nenhum, "Em ser"},
      {kAmostras[1], "33", E::Nenhum, "alteração de outros dados"},
      {kAmostras[1], "35", E::Nenhum, "Desagendamento do débito automático"},
      {kAmostras[2], "02", E::Confirmada, "Entrada confirmada"},
      {kAmostras[2], "03", E::Recusada, "Entrada rejeitada"},
      {kAmostras[2], "06", E::Liquidada, "Liquidação normal"},
      {kAmostras[2], "07", E::Liquidada, "Liquidação parcial"},
      {kAmostras[2], "08", E::Liquidada, "Liquidação em cartório"},
      {kAmostras[2], "10", E::Liquidada, "Baixa por ter sido liquidado"},
      {kAmostras[2], "09", E::Baixada, "Baixa simples"},
      {kAmostras[2], "04", E::AlteracaoConfirmada, "Alteração de dados"},
      {kAmostras[2], "14", E::AlteracaoConfirmada, "Vencimento alterado"},
      {kAmostras[2], "05", E::Nenhum, "Alteração de dados - baixa"},
      {kAmostras[2], "16", E::Nenhum, "Instruções rejeitadas"},
      {kAmostras[2], "98", E::Nenhum, "98"},
  };
  for (const auto& c : casos) {
    TLinhas l = c.amostra.arquivo();
    const TLeiauteRetorno& leiaute = *c.amostra.leiaute;
    if (leiaute.familia == layouts::TFamilia::Cnab240) {
      Poe(l, 3, 16, c.codigo);
      Poe(l, 4, 16, c.codigo);
    } else {
      Poe(l, 2, 109, c.codigo);
    }
    const TOcorrencia o = leiaute.le(Arquivo(l), leiaute).ocorrencias.at(0);
    EXPECT_EQ(Letra(o.efeito), std::string(Letra(c.efeito))) << leiaute.nome << " " << c.codigo;
    EXPECT_NE(fields::Cp1252ToUtf8(o.descricao).find(c.descricao), std::string::npos)
        << leiaute.nome << " " << c.codigo << ": " << fields::Cp1252ToUtf8(o.descricao);
  }
}

// A return from a bank whose return layout is not built is refused naming the bank.
TEST(RetornoLeiautes, BankWithoutReturnLayoutIsNamed) {
  TLinhas cnab240 = ArquivoCnab240();
  for (int n = 1; n <= 8; ++n) Poe(cnab240, n, 1, "237");
  const struct {
    std::string arquivo;
    const char* banco;
  } casos[] = {
      {Arquivo({Linha(400, {{1, "02RETORNO01COBRANCA"}, {77, "422SAFRA"}, {395, "000001"}}),
                Linha(400, {{1, "9201422"}, {395, "000002"}})}),
       "422"},
      {Arquivo(cnab240), "237"},
  };
  for (const auto& c : casos)
    EXPECT_EQ(Recusa([&] { LeRetorno(c.arquivo); }), std::string("O leiaute de retorno do banco ") + c.banco +
                                                         " não está disponível: o arquivo não foi lido.");
}

// The writer refuses a value its bank's field cannot hold, naming the field.
TEST(RetornoLeiautes, WriterRefusesAValueTheFieldCannotHold) {
  const struct {
    size_t resposta;
    std::function<void(TRetorno&)> valor;
    const char* mensagem;
  } casos[] = {
      {4, [](TRetorno& r) { r.agencia = "12345"; },
       "não cabe no campo 027-030 do registro do tipo 0 do leiaute Itau 400"},
      {3, [](TRetorno& r) { r.ocorrencias[0].nossoNumero = "0000000123X4"; },
       "campo 071-082 do registro do tipo 1"},
      {0, [](TRetorno& r) { r.ocorrencias[0].valorPago = -1; }, "O valor -1 é negativo"},
      {0, [](TRetorno& r) { r.data = "31/12/2024"; }, "não está no formato aaaa-mm-dd"},
  };
  for (const auto& c : casos) {
    TRetorno r = Respostas()[c.resposta];
    c.valor(r);
    const std::string m = Recusa([&] { EscreveRetorno(r); });
    EXPECT_NE(m.find(c.mensagem), std::string::npos) << r.leiaute << ": \"" << m << "\"";
  }
}

}  // namespace retorno_teste
