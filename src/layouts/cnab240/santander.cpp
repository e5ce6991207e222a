// Santander, CNAB 240: one lot of collection titles, segments P, Q and R for
// every title. The bank code of every record is the batch's layout bank, so
// one writer serves the bank's three codes; titles are registered on the
// collection account chosen for the batch.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// Agency in four digits and its check digit: the fifth character when the
// stored code carries one, "0" when it does not.
std::string AgenciaSantander(const TRemessa& rem) {
  const std::string agencia = rem.CNABRec.S("CDAGENCIA");
  if (agencia.empty()) return "00000";
  return Ajusta(CampoValido(LeftStr(AllTrim(agencia), 4)), 4) +
         (agencia.size() == 5 ? agencia.substr(4, 1) : "0");
}

std::string ContaSantander(const TRemessa& rem) {
  if (rem.CNABRec.S("CDCONTCORR").empty()) return Replicate("0", 10);
  return Ajusta(CampoValido(LeftStr(rem.ContaCorrente(), 9)), 9) +
         Ajusta(CampoValido(LeftStr(rem.DacContaCorrente(), 1)), 1);
}

// The collection account is stored with its check digit, after a hyphen or as
// its last character. A hyphen with nothing after it leaves no check digit:
// the bank gets "0" there, so the account keeps its ten positions.
std::string ContaCobrancaSantander(const TRemessa& rem) {
  const std::string c = rem.CNABRec.S("CDCONTCORRCOBR");
  if (c.empty()) return Replicate("0", 10);
  const int j = Pos("-", c);
  if (j > 0) {
    const std::string dv = AllTrim(CampoValido(Copy(c, j + 1, 1)));
    return Ajusta(CampoValido(LeftStr(c, j - 1)), 9) + (dv.empty() ? "0" : dv);
  }
  return Ajusta(CampoValido(LeftStr(c, static_cast<int>(c.size()) - 1)), 9) + CampoValido(Right(c, 1));
}

// The bank's kinds: simple "1", linked "5", pledged "3", discounted "6". A
// kind outside "1"-"4" has no code at the bank; the position stays blank so
// that every later field keeps its place.
std::string TipoCarteiraSantander(const std::string& tipo) {
  const std::string t = LeftStr(tipo, 1);
  if (t == "1") return "1";
  if (t == "2") return "5";
  if (t == "3") return "3";
  if (t == "4") return "6";
  return " ";
}

// The invoice without its first two digits and the instalment, or the title
// number when the title has no invoice.
std::string DocumentoSantander(const std::string& duplicata, const std::string& parcela,
                               const std::string& lancamento) {
  if (duplicata.empty()) return PadR(lancamento, 15);
  return PadR(Copy(Ajusta(duplicata, 10), 3, 8) + parcela, 15);
}

// The bank collects a title marked for no protest at the company's own agency.
std::string AgenciaCobradora(const TRemessa& rem, const std::string& codigoProtesto) {
  const std::string agencia = rem.CNABRec.S("CDAGENCIA");
  if (agencia.empty() || codigoProtesto != "3") return "00000";
  return Ajusta(CampoValido(LeftStr(AllTrim(agencia), 5)), 5);
}

// Rates go to the bank with five implied decimals.
std::string Taxa(double x) {
  return Nr_Codigo(FormatFloat("#0.00000", x));
}

// Charge code, date and amount (118-141): the first of interest percentage,
// daily interest, fine percentage and fine amount that the title carries.
// The fine amount travels as a percentage of the title value; a title without
// value has none to state, so that rule passes it over and the title goes
// without charge.
struct TEncargo {
  std::string codigo, data, valor;
};

TEncargo EncargoSantander(TTitulo& t, const std::string& vencimento) {
  auto v = [&t](const char* n) { return t.F(n); };
  const double valor = v("VRFINALBREC");
  if (v("VRPEMORBREC") != 0) return {"2", vencimento, Ajusta(Taxa(RoundDec(v("VRPEMORBREC"), 2)), 15)};
  if (v("VRMORDIABREC") != 0) return {"1", vencimento, Money(v("VRMORDIABREC"), 15)};
  if (v("VRPEMULBREC") != 0)
    return {"2", vencimento, Ajusta(AjustaRight(Taxa(RoundDec(v("VRPEMULBREC"), 2) * 30), 5), 15)};
  if (v("VRMULTABREC") != 0 && valor != 0)
    return {
        "2", vencimento,
        Ajusta(AjustaRight(Nr_Codigo(FloatToStr(RoundDec(v("VRMULTABREC") * 100 / valor, 2) * 30)), 5), 15)};
  return {"3", "00000000", Replicate("0", 15)};
}

}  // namespace

void Remessa_BcoSantander(const TRemessa& rem, TTitulos& titulos, bool) {
  const std::string banco = rem.CNABRec.S("CDBANCCNAB");
  const cnab240::TEmpresa empresa = cnab240::LeEmpresa(rem);
  // The bank knows the company by its own registration, whatever branch sends.
  const std::string nomeEmpresa = PadR(CampoValido(LeftStr(cnab240::LeEmpresaDoCadastro(rem).nome, 30)), 30);
  const std::string ident = rem.IdentRec;
  const std::string dataProc = FormatDateTime("ddmmyyyy", rem.DataProc);
  const std::string movimento = cnab240::Movimento(rem.Operacao());
  const std::string agencia = AgenciaSantander(rem);
  const std::string conta = ContaSantander(rem);
  const std::string contaCobranca = ContaCobrancaSantander(rem);

  cnab240::TArquivo arq(rem.Arquivo, {.banco = banco});

  // File header (type "0")
  {
    Record r = arq.HeaderArquivo();
    r.put(9, 8, Preenche_Brancos(8));
    r.put(17, 1, empresa.tipo);
    r.put(18, 15, Ajusta(LeftStr(empresa.inscricao, 15), 15));
    r.put(33, 15,
          EmptyString(ident) ? Replicate("0", 15) : Ajusta(CampoValido(LeftStr(AllTrim(ident), 15)), 15));
    r.put(48, 25, Replicate(" ", 25));
    r.put(73, 30, nomeEmpresa);
    r.put(103, 30, PadR(CampoValido(LeftStr(rem.ContaCorr.S("NMBANCO"), 30)), 30));
    r.put(133, 10, Replicate(" ", 10));
    r.put(143, 1, "1");
    r.put(144, 8, dataProc);
    r.put(152, 6, Replicate(" ", 6));
    r.put(158, 6, cnab240::SequenciaArquivo(rem));
    r.put(164, 3, "040");
    r.put(167, 74, Replicate(" ", 74));
    arq.write(r);
  }

  // Lot header (type "1")
  {
    Record r = arq.HeaderLote();
    r.put(9, 1, "R");
    r.put(10, 2, "01");
    r.put(12, 2, "  ");
    r.put(14, 3, "030");
    r.put(17, 1, " ");
    r.put(18, 1, empresa.tipo);
    r.put(19, 15, Ajusta(LeftStr(AllTrim(empresa.inscricao), 15), 15));
    r.put(34, 20, Replicate(" ", 20));
    r.put(54, 15,
          EmptyString(ident) ? Replicate("0", 15)
                             : Ajusta(CampoValido(LeftStr(AllTrim(Nr_Codigo(ident)), 15)), 15));
    r.put(69, 5, Replicate(" ", 5));
    r.put(74, 30, nomeEmpresa);
    r.put(104, 40, Replicate(" ", 40));
    r.put(144, 40, Replicate(" ", 40));
    r.put(184, 8, cnab240::NumeroRemessa(rem));
    r.put(192, 8, dataProc);
    r.put(200, 41, Replicate(" ", 41));
    arq.write(r);
  }

  titulos.ParaCada([&](TTitulo& t) {
    auto bol = [&](const char* n) { return t.Campo(n); };
    const std::string vencimento = FormatDateTime("ddmmyyyy", bol("DTVENBOLREC").AsDateTime());
    const double valor = bol("VRFINALBREC").AsFloat();
    const double desconto = bol("VRPEDESCBCLI").AsFloat();
    const double multaPerc = bol("VRPEMULBREC").AsFloat();
    const double multaValor = bol("VRMULTABREC").AsFloat();
    const std::string nosso = bol("CDNOSNUMREC").AsString();
    const cnab240::TProtesto protesto = cnab240::LeProtesto(t, true);
    const TEncargo encargo = EncargoSantander(t, vencimento);
    auto& duplicata = t.Registros(TRegistro::Duplicata);
    auto dup = [&](const char* n) { return duplicata.FieldByName(n); };

    // Segment P
    {
      Record r = arq.Segmento("P", movimento);
      r.put(18, 5, agencia);
      r.put(23, 10, conta);
      r.put(33, 10, contaCobranca);
      r.put(43, 2, "  ");
      r.put(45, 13, nosso.empty() ? Replicate("0", 13) : Ajusta(Right(Nr_Codigo(nosso), 13), 13));
      r.put(58, 1, TipoCarteiraSantander(bol("IDCARTCOBREC").AsString()));
      r.put(59, 1, "1");
      r.put(60, 1, "2");
      r.put(61, 1, " ");
      r.put(62, 1, " ");
      r.put(63, 15,
            DocumentoSantander(dup("DUPLICATA").AsString(), dup("NRPARCELA").AsString(),
                               bol("NRLANBOLREC").AsString()));
      r.put(78, 8, vencimento);
      r.put(86, 15, Money(valor, 15));
      r.put(101, 5, AgenciaCobradora(rem, bol("CDDIAPROTBOL").AsString()));
      r.put(106, 1, " ");
      r.put(107, 2, "02");
      r.put(109, 1, "N");
      r.put(110, 8, dataProc);
      r.put(118, 1, encargo.codigo);
      r.put(119, 8, encargo.data);
      r.put(127, 15, encargo.valor);
      r.put(142, 1, desconto > 0 ? "1" : "0");
      r.put(143, 8, desconto > 0 ? vencimento : "00000000");
      r.put(151, 15, desconto > 0 ? Money(valor * desconto / 100, 15) : Replicate("0", 15));
      r.put(166, 15, Replicate("0", 15));
      r.put(181, 15, Replicate("0", 15));
      r.put(196, 25, cnab240::IdentificacaoComCarteira(t));
      r.put(221, 1, protesto.codigo);
      r.put(222, 2, protesto.dias);
      r.put(224, 1, "2");
      r.put(225, 3, "000");
      r.put(228, 2, "00");
      r.put(230, 11, Replicate(" ", 11));
      arq.write(r);
    }

    // Segment Q (payer and the account's guarantor)
    {
      const cnab240::TAvalista avalista = cnab240::LeAvalista(rem);
      const cnab240::TPagador p = cnab240::LePagador(t);
      const bool comAvalista = avalista.completo();
      Record r = arq.Segmento("Q", movimento);
      r.put(18, 1, p.tipo);
      r.put(19, 15, Ajusta(LeftStr(AllTrim(Nr_Codigo(p.inscricao)), 15), 15));
      r.put(34, 40, PadR(CampoValido(LeftStr(p.nome, 40)), 40));
      r.put(74, 40, PadR(CampoValido(LeftStr(AllTrim(p.endereco), 40)), 40));
      r.put(114, 15, PadR(CampoValido(LeftStr(AllTrim(p.bairro), 15)), 15));
      r.put(129, 8, Ajusta(LeftStr(CampoValidoCEPTEL(p.cep), 8), 8));
      r.put(137, 15, PadR(CampoValido(LeftStr(p.cidade, 15)), 15));
      r.put(152, 2, PadR(CampoValido(LeftStr(p.uf, 2)), 2));
      r.put(154, 1, comAvalista ? avalista.tipo : "0");
      r.put(155, 15,
            comAvalista ? Ajusta(CampoValido(LeftStr(Nr_Codigo(avalista.inscricao), 14)), 15)
                        : Replicate("0", 15));
      r.put(170, 40, comAvalista ? PadR(CampoValido(LeftStr(avalista.nome, 40)), 40) : Replicate(" ", 40));
      r.put(210, 3, "000");
      r.put(213, 3, "000");
      r.put(216, 3, "000");
      r.put(219, 3, "000");
      r.put(222, 19, Replicate(" ", 19));
      arq.write(r);
    }

    // Segment R (fine and slip message), sent for every title
    {
      const std::string mensagem = cnab240::MensagemBoleto(t);
      Record r = arq.Segmento("R", movimento);
      r.put(18, 1, "0");
      r.put(19, 8, "00000000");
      r.put(27, 15, Replicate("0", 15));
      r.put(42, 24, Replicate(" ", 24));
      r.put(66, 1, multaPerc != 0 ? "2" : "1");
      r.put(67, 8, vencimento);
      r.put(75, 15,
            multaPerc != 0    ? Money(multaPerc, 15)
            : multaValor != 0 ? Money(multaValor, 15)
                              : Replicate("0", 15));
      r.put(90, 10, Replicate(" ", 10));
      r.put(100, 40, mensagem);
      r.put(140, 40, Replicate(" ", 40));
      r.put(180, 61, Replicate(" ", 61));
      arq.write(r);
    }
  });

  // Lot trailer (type "5")
  arq.EscreveTrailerLote(false);

  // File trailer (type "9")
  arq.EscreveTrailerArquivo(false);
  arq.Close();
}

}  // namespace layouts
