// Banco Real, CNAB 240: one lot of collection titles, segments P, Q and R for
// every title. The bank reads its own code "356" on every record, whichever
// of its codes the account carries, and knows the company by its registration
// (never a branch).
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// The bank takes every tax id in 15 positions; a person's CPF goes as its
// first nine digits, four zeros where a CNPJ has its branch, and its two
// check digits.
std::string InscricaoReal(const std::string& tipo, const std::string& inscricao) {
  const std::string digitos = AllTrim(Nr_Codigo(inscricao));
  if (tipo == "1") return Ajusta(LeftStr(digitos, 9), 9) + "0000" + Ajusta(Right(digitos, 2), 2);
  return Ajusta(LeftStr(digitos, 15), 15);
}

// The bank's title number: for numbers of seven digits (or no size set) the
// stored number's last seven digits and "P" check characters; for any other
// size the stored number as kept.
std::string NossoNumeroReal(const TRemessa& rem, const std::string& nosso) {
  const int tamanho = rem.TamanhoNossoNumero();
  if (tamanho == 0 || tamanho == 7)
    return "000000" + (nosso.empty() ? Replicate("0", 7) : Ajusta(Right(NossoNumero(nosso), 7), 7));
  return nosso.empty() ? Replicate("0", 13) : Ajusta(Right(nosso, 13), 13);
}

// "1" when the bank issues the slip, "2" when the company does with its own
// number.
std::string EmissaoReal(const std::string& impressao, const std::string& nosso) {
  if (impressao == "B") return "1";
  return nosso.empty() ? "1" : "2";
}

// The last twelve digits of the invoice and its instalment, or the title
// number when the title has no invoice.
std::string DocumentoReal(const std::string& duplicata, const std::string& parcela,
                          const std::string& lancamento) {
  if (duplicata.empty()) return PadR(lancamento, 15);
  return PadR(Right(Ajusta(duplicata, 10) + Ajusta(parcela, 2), 15), 15);
}

// Charge code, date and amount (118-141): the first of interest percentage,
// daily interest, fine percentage and fine amount that the title carries,
// every amount as a percentage of the title. A title without value has no
// percentage to state for a daily interest or a fine amount: those rules pass
// it over, and the next rule that applies decides.
struct TEncargo {
  std::string codigo, data, valor;
};

TEncargo EncargoReal(TTitulo& t, const std::string& vencimento) {
  auto v = [&t](const char* n) { return t.F(n); };
  const double valor = v("VRFINALBREC");
  if (v("VRPEMORBREC") != 0) return {"1", vencimento, Money(v("VRPEMORBREC"), 15)};
  if (v("VRMORDIABREC") != 0 && valor != 0)
    return {"1", vencimento, Money(v("VRMORDIABREC") * 100 / valor, 15)};
  if (v("VRPEMULBREC") != 0) return {"2", vencimento, Money(v("VRPEMULBREC"), 15)};
  if (v("VRMULTABREC") != 0 && valor != 0)
    return {"2", vencimento, Money(v("VRMULTABREC") * 100 / valor, 15)};
  return {"3", "00000000", Replicate("0", 15)};
}

// Pledged and discounted titles travel under the company's contract with the
// bank.
std::string ContratoReal(const TRemessa& rem, const std::string& tipoCarteira) {
  const std::string cedente = rem.ContaCorr.S("CDCEDENTEBAN");
  if ((tipoCarteira == "3" || tipoCarteira == "4") && !cedente.empty())
    return PadR(CampoValido(Right(cedente, 10)), 10);
  return Replicate("0", 10);
}

}  // namespace

void Remessa_Real(const TRemessa& rem, TTitulos& titulos, bool) {
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };

  const cnab240::TEmpresa empresa = cnab240::LeEmpresaDoCadastro(rem);
  const cnab240::TConta conta = cnab240::LeConta(rem);
  const std::string agencia = CampoValido(LeftStr(AllTrim(cnab("CDAGENCIA")), 4));
  const std::string contaCorrente = CampoValido(rem.ContaCorrente());
  const std::string nomeEmpresa = PadR(CampoValido(LeftStr(empresa.nome, 30)), 30);
  const std::string dataProc = FormatDateTime("ddmmyyyy", rem.DataProc);
  const std::string movimento = cnab240::Movimento(rem.Operacao());

  cnab240::TArquivo arq(rem.Arquivo, {.banco = "356"});

  // File header (type "0")
  {
    const bool contaCompleta = !cnab("CDAGENCIA").empty() && !cnab("CDCONTCORR").empty();
    Record r = arq.HeaderArquivo();
    r.put(9, 9, Replicate(" ", 9));
    r.put(18, 1, empresa.tipo);
    r.put(19, 14, Ajusta(LeftStr(empresa.inscricao, 14), 14));
    r.put(33, 20, contaCompleta ? PadR(agencia + contaCorrente + "BA", 20) : Replicate("0", 20));
    r.put(53, 5, conta.agencia);
    r.put(58, 1, conta.dvAgencia);
    r.put(59, 12, cnab("CDCONTCORR").empty() ? Replicate("0", 12) : Ajusta(contaCorrente, 12));
    r.put(71, 1, conta.dvConta);
    r.put(72, 1, " ");
    r.put(73, 30, nomeEmpresa);
    r.put(103, 30, PadR(CampoValido(LeftStr(rem.ContaCorr.S("NMBANCO"), 30)), 30));
    r.put(133, 10, Replicate(" ", 10));
    r.put(143, 1, "1");
    r.put(144, 8, dataProc);
    r.put(152, 6, FormatDateTime("hhnnss", rem.Agora));
    r.put(158, 6, cnab240::SequenciaArquivo(rem));
    r.put(164, 3, "040");
    r.put(167, 5, "00000");
    r.put(172, 20, Replicate(" ", 20));
    r.put(192, 20, Replicate(" ", 20));
    r.put(212, 11, Replicate(" ", 11));
    r.put(223, 3, Replicate(" ", 3));
    r.put(226, 3, "000");
    r.put(229, 12, Replicate(" ", 12));
    arq.write(r);
  }

  // Lot header (type "1")
  {
    Record r = arq.HeaderLote();
    r.put(9, 1, "R");
    r.put(10, 2, "01");
    r.put(12, 2, "  ");
    r.put(14, 3, "040");
    r.put(17, 1, " ");
    r.put(18, 1, empresa.tipo);
    r.put(19, 15, InscricaoReal(empresa.tipo, empresa.inscricao));
    r.put(34, 20, Replicate(" ", 20));
    r.put(54, 5, conta.agencia);
    r.put(59, 1, " ");
    r.put(60, 12, conta.conta);
    r.put(72, 2, "  ");
    r.put(74, 30, nomeEmpresa);
    r.put(104, 40, Replicate(" ", 40));
    r.put(144, 40, Replicate(" ", 40));
    r.put(184, 8, cnab240::NumeroRemessa(rem));
    r.put(192, 8, dataProc);
    r.put(200, 8, "00000000");
    r.put(208, 33, Replicate(" ", 33));
    arq.write(r);
  }

  titulos.ParaCada([&](TTitulo& t) {
    auto bol = [&](const char* n) { return t.Campo(n); };
    const std::string vencimento = FormatDateTime("ddmmyyyy", bol("DTVENBOLREC").AsDateTime());
    const std::string carteira = bol("CDCARTCOBBOL").AsString();
    const std::string nosso = bol("CDNOSNUMREC").AsString();
    const cnab240::TProtesto protesto = cnab240::LeProtesto(t, true);
    const TEncargo encargo = EncargoReal(t, vencimento);
    auto dup = [&](const char* n) { return t.Registro(TRegistro::Duplicata, n); };

    // Segment P
    {
      Record r = arq.Segmento("P", movimento);
      r.put(18, 5, conta.agencia);
      r.put(23, 1, " ");
      r.put(24, 12, conta.conta);
      r.put(36, 2, "  ");
      r.put(38, 2, carteira.empty() ? "00" : Ajusta(LeftStr(AllTrim(carteira), 2), 2));
      r.put(40, 5, "00000");
      r.put(45, 13, NossoNumeroReal(rem, nosso));
      r.put(58, 3, "000");
      r.put(61, 1, EmissaoReal(bol("IDIMPRBOLBOL").AsString(), nosso));
      r.put(62, 1, " ");
      r.put(63, 15, DocumentoReal(dup("DUPLICATA"), dup("NRPARCELA"), bol("NRLANBOLREC").AsString()));
      r.put(78, 8, vencimento);
      r.put(86, 15, Money(bol("VRFINALBREC").AsFloat(), 15));
      r.put(101, 5, "00000");
      r.put(106, 1, " ");
      r.put(107, 2, "02");
      r.put(109, 1, "A");
      r.put(110, 8, dataProc);
      r.put(118, 1, encargo.codigo);
      r.put(119, 8, encargo.data);
      r.put(127, 15, encargo.valor);
      r.put(142, 1, "0");
      r.put(143, 8, "00000000");
      r.put(151, 15, Replicate("0", 15));
      r.put(166, 15, Replicate("0", 15));
      r.put(181, 15, Replicate("0", 15));
      r.put(196, 25, cnab240::IdentificacaoComCarteira(t));
      r.put(221, 1, protesto.codigo);
      r.put(222, 2, protesto.dias);
      r.put(224, 1, "0");
      r.put(225, 3, Replicate(" ", 3));
      r.put(228, 2, "09");
      r.put(230, 10, ContratoReal(rem, bol("IDCARTCOBREC").AsString()));
      r.put(240, 1, " ");
      arq.write(r);
    }

    // Segment Q (payer; the district travels in the address)
    {
      const cnab240::TPagador p = cnab240::LePagador(t);
      Record r = arq.Segmento("Q", movimento);
      r.put(18, 1, p.tipo);
      r.put(19, 15, InscricaoReal(p.tipo, p.inscricao));
      r.put(34, 40, PadR(CampoValido(LeftStr(p.nome, 40)), 40));
      r.put(74, 40, PadR(CampoValido(LeftStr(AllTrim(p.endereco) + " " + AllTrim(p.bairro), 40)), 40));
      r.put(114, 15, Replicate(" ", 15));
      r.put(129, 8, Ajusta(LeftStr(CampoValidoCEPTEL(p.cep), 8), 8));
      r.put(137, 15, PadR(CampoValido(LeftStr(p.cidade, 15)), 15));
      r.put(152, 2, PadR(CampoValido(LeftStr(p.uf, 2)), 2));
      r.put(154, 1, "0");
      r.put(155, 15, Replicate("0", 15));
      r.put(170, 40, Replicate(" ", 40));
      r.put(210, 3, "000");
      r.put(213, 20, Replicate(" ", 20));
      r.put(233, 8, Replicate(" ", 8));
      arq.write(r);
    }

    // Segment R (slip message)
    {
      const std::string mensagem = cnab240::MensagemBoleto(t);
      Record r = arq.Segmento("R", movimento);
      r.put(18, 1, "0");
      r.put(19, 8, "00000000");
      r.put(27, 15, Replicate("0", 15));
      r.put(42, 1, "0");
      r.put(43, 8, "00000000");
      r.put(51, 15, Replicate("0", 15));
      r.put(66, 1, "0");
      r.put(67, 8, "00000000");
      r.put(75, 15, Replicate("0", 15));
      r.put(90, 10, Replicate(" ", 10));
      r.put(100, 40, mensagem);
      r.put(140, 40, Replicate(" ", 40));
      r.put(180, 20, Replicate(" ", 20));
      r.put(200, 16, Replicate("0", 16));
      r.put(216, 1, " ");
      r.put(217, 12, Replicate("0", 12));
      r.put(229, 2, "  ");
      r.put(231, 1, "0");
      r.put(232, 9, Replicate(" ", 9));
      arq.write(r);
    }
  });

  // Lot trailer (type "5")
  arq.EscreveTrailerLote();

  // File trailer (type "9")
  arq.EscreveTrailerArquivo(true);
  arq.Close();
}

}  // namespace layouts
