// Banco do Brasil, CNAB 240: one lot of collection titles, segments P and Q
// for every title and R, S and Y when the title or the company needs them.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// The portfolio of the agreement: the first marked title's, which every
// marked title shares.
std::string CarteiraDoLote(const TRemessa& rem) {
  const std::string c = rem.PrimeiroTitulo.S("CDCARTCOBBOL");
  return c.empty() ? "00" : Ajusta(LeftStr(AllTrim(c), 2), 2);
}

std::string Variacao(const TRemessa& rem) {
  const std::string v = rem.Parametro("NRVARIACARTCOB");
  return v.empty() ? "019" : Ajusta(v, 3);
}

// The agreement block of both headers: agreement number, the bank's fixed
// product "0014", portfolio and variation.
std::string Convenio(const std::string& ident, const std::string& carteira, const std::string& variacao) {
  if (EmptyString(ident)) return Replicate(" ", 20);
  return Ajusta(CampoValido(LeftStr(AllTrim(Nr_Codigo(ident)), 9)), 9) + "0014" + carteira + variacao + "  ";
}

// The bank registers its own numbers for these portfolios and for the slips
// it prints itself; the company sends zeros and lets the bank number them.
bool BancoNumera(const std::string& carteira, const std::string& impressao, const std::string& nosso) {
  return carteira == "11" || carteira == "31" || carteira == "51" || impressao == "B" || nosso.empty();
}

std::string NossoNumeroBB(const std::string& carteira, const std::string& impressao,
                          const std::string& nosso) {
  if (BancoNumera(carteira, impressao, nosso)) return Replicate("0", 20);
  std::string semHifen;
  for (char ch : nosso)
    if (ch != '-') semHifen += ch;
  if (EmptyString(semHifen)) semHifen = nosso;
  return PadR(LeftStr(semHifen, 20), 20);
}

// "1" when the bank issues and mails the slip, "2" when the company does.
std::string EmissaoBB(const std::string& carteira, const std::string& impressao, const std::string& nosso) {
  const bool banco = carteira == "11" || carteira == "12" || carteira == "31" || carteira == "51" ||
                     impressao == "B" || nosso.empty();
  return banco ? "1" : "2";
}

// Kind "1" in portfolio 17 is the bank's "7" (simple collection with
// registration). A kind outside "1"-"4" has no code at the bank: the
// position is left blank so that every later field keeps its place.
std::string TipoCarteiraBB(const std::string& tipo, const std::string& carteira) {
  const std::string t = LeftStr(tipo, 1);
  if (t == "1") return carteira == "17" ? "7" : "1";
  if (t == "2" || t == "3" || t == "4") return t;
  return " ";
}

// The invoice and its instalment ("0000123/02"), or the title number when
// the title has no invoice.
std::string DocumentoBB(const std::string& duplicata, const std::string& parcela,
                        const std::string& lancamento) {
  if (duplicata.empty()) return PadR(lancamento, 10) + Replicate(" ", 5);
  const std::string nrParcela = parcela == "00" ? "01" : parcela;
  return PadR(Right(Ajusta(duplicata, 7), 7), 7) + "/" + PadR(Ajusta(nrParcela, 2), 2) + Replicate(" ", 5);
}

}  // namespace

void Remessa_BB(const TRemessa& rem, TTitulos& titulos,
                bool /*the bank's file is the same for either kind*/) {
  const cnab240::TEmpresa empresa = cnab240::LeEmpresa(rem);
  cnab240::VerificaInscricao(rem, empresa);
  const std::string carteira = CarteiraDoLote(rem);
  const std::string ident = rem.IdentRec;
  const std::string variacao = Variacao(rem);
  const cnab240::TConta conta = cnab240::LeConta(rem);
  const std::string nomeEmpresa = PadR(CampoValido(LeftStr(empresa.nome, 30)), 30);
  const std::string dataProc = FormatDateTime("ddmmyyyy", rem.DataProc);
  const std::string movimento = cnab240::Movimento(rem.Operacao());
  const cnab240::TAvalista avalista = cnab240::LeAvalista(rem);
  const bool segmentoS = rem.Parametro("IDREGSEGSCOB") == "S";

  cnab240::TArquivo arq(rem.Arquivo, {.banco = "001"});

  // File header (type "0")
  {
    Record r = arq.HeaderArquivo();
    r.put(9, 9, Replicate(" ", 9));
    r.put(18, 1, empresa.tipo);
    r.put(19, 14, Ajusta(LeftStr(empresa.inscricao, 14), 14));
    r.put(33, 20, Convenio(ident, carteira, variacao));
    r.put(53, 5, conta.agencia);
    r.put(58, 1, conta.dvAgencia);
    r.put(59, 12, conta.conta);
    r.put(71, 1, conta.dvConta);
    r.put(72, 1, " ");
    r.put(73, 30, nomeEmpresa);
    r.put(103, 30, PadR(CampoValido(LeftStr(rem.ContaCorr.S("NMBANCO"), 30)), 30));
    r.put(133, 10, Replicate(" ", 10));
    r.put(143, 1, "1");
    r.put(144, 8, dataProc);
    r.put(152, 6, FormatDateTime("hhnnss", rem.Agora));
    r.put(158, 6, cnab240::SequenciaArquivo(rem));
    r.put(164, 3, "030");
    r.put(167, 5, "00000");
    r.put(172, 20, Replicate(" ", 20));
    r.put(192, 20, Replicate(" ", 20));
    r.put(212, 11, Replicate(" ", 11));
    r.put(223, 3, "CSP");
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
    r.put(14, 3, "020");
    r.put(17, 1, " ");
    r.put(18, 1, empresa.tipo);
    r.put(19, 15, Ajusta(LeftStr(empresa.inscricao, 15), 15));
    r.put(34, 20, Convenio(ident, carteira, variacao));
    r.put(54, 5, conta.agencia);
    r.put(59, 1, conta.dvAgencia);
    r.put(60, 12, conta.conta);
    r.put(72, 1, conta.dvConta);
    r.put(73, 1, " ");
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
    const std::string carteiraBol = LeftStr(AllTrim(bol("CDCARTCOBBOL").AsString()), 2);
    const std::string impressao = bol("IDIMPRBOLBOL").AsString();
    const std::string nosso = bol("CDNOSNUMREC").AsString();
    const std::string emissao = EmissaoBB(carteiraBol, impressao, nosso);
    const std::string vencimento = FormatDateTime("ddmmyyyy", bol("DTVENBOLREC").AsDateTime());
    const double moraDia = bol("VRMORDIABREC").AsFloat();
    const double moraPerc = bol("VRPEMORBREC").AsFloat();
    const double multaPerc = bol("VRPEMULBREC").AsFloat();
    const double multaValor = bol("VRMULTABREC").AsFloat();
    const std::string formaCadastro = bol("IDFORMCADBREC").AsString();
    const cnab240::TProtesto protesto = cnab240::LeProtesto(t, false);
    auto& duplicata = t.Registros(TRegistro::Duplicata);
    auto dup = [&](const char* n) { return duplicata.FieldByName(n); };

    // Segment P
    {
      Record r = arq.Segmento("P", movimento);
      r.put(18, 5, conta.agencia);
      r.put(23, 1, conta.dvAgencia);
      r.put(24, 12, conta.conta);
      r.put(36, 1, conta.dvConta);
      r.put(37, 1, " ");
      r.put(38, 20, NossoNumeroBB(carteiraBol, impressao, nosso));
      r.put(58, 1, TipoCarteiraBB(bol("IDCARTCOBREC").AsString(), carteiraBol));
      r.put(59, 1, formaCadastro.empty() ? "1" : formaCadastro);
      r.put(60, 1, "2");
      r.put(61, 1, emissao);
      r.put(62, 1, emissao);
      r.put(63, 15,
            DocumentoBB(dup("DUPLICATA").AsString(), bol("NRPARCBOLREC").AsString(),
                        bol("NRLANBOLREC").AsString()));
      r.put(78, 8, vencimento);
      r.put(86, 15, cnab240::Valor(bol("VRFINALBREC").AsFloat()));
      r.put(101, 5, "00000");
      r.put(106, 1, " ");
      r.put(107, 2, "02");
      r.put(109, 1, "N");
      r.put(110, 8, FormatDateTime("ddmmyyyy", dup("DTEMISSAO").AsDateTime()));
      r.put(118, 1, moraPerc != 0 || moraDia != 0 ? "1" : "3");
      r.put(119, 8, "00000000");
      r.put(127, 15,
            moraDia != 0    ? Money(moraDia, 15)
            : moraPerc != 0 ? Money(moraPerc, 15)
                            : Replicate("0", 15));
      r.put(142, 1, "0");
      r.put(143, 8, "00000000");
      r.put(151, 15, Replicate("0", 15));
      r.put(166, 15, Replicate("0", 15));
      r.put(181, 15, Replicate("0", 15));
      r.put(196, 25, PadR(bol("CDFILIAL").AsString() + bol("NRLANBOLREC").AsString(), 25));
      r.put(221, 1, protesto.codigo);
      r.put(222, 2, protesto.dias);
      r.put(224, 1, "2");
      r.put(225, 3, "000");
      r.put(228, 2, "09");
      r.put(230, 10, Replicate("0", 10));
      r.put(240, 1, " ");
      arq.write(r);
    }

    // Segment Q
    {
      const cnab240::TPagador p = cnab240::LePagador(t);
      Record r = arq.Segmento("Q", movimento);
      cnab240::BlocoPagador(r, p);
      r.put(154, 1, "0");
      r.put(155, 15, Replicate("0", 15));
      r.put(170, 40, Replicate(" ", 40));
      r.put(210, 3, "000");
      r.put(213, 20, Replicate(" ", 20));
      r.put(233, 8, Replicate(" ", 8));
      arq.write(r);
    }

    // Segment R (fine); the slip message only decides whether it is sent
    if (cnab240::TemSegmentoR(t)) {
      const bool semMulta = multaPerc == 0 && multaValor == 0;
      Record r = arq.Segmento("R", movimento);
      r.put(18, 1, "0");
      r.put(19, 8, "00000000");
      r.put(27, 15, Replicate("0", 15));
      r.put(42, 1, "0");
      r.put(43, 8, "00000000");
      r.put(51, 15, Replicate("0", 15));
      r.put(66, 1, multaPerc != 0 ? "2" : multaValor != 0 ? "1" : "0");
      r.put(67, 8, semMulta ? "00000000" : vencimento);
      r.put(75, 15,
            multaPerc != 0    ? Money(multaPerc, 15)
            : multaValor != 0 ? Money(multaValor, 15)
                              : Replicate("0", 15));
      r.put(90, 10, Replicate(" ", 10));
      r.put(100, 40, Replicate(" ", 40));
      r.put(140, 40, Replicate(" ", 40));
      r.put(180, 3, "000");
      r.put(183, 4, "0000");
      r.put(187, 13, Replicate("0", 13));
      r.put(200, 8, Replicate("0", 8));
      r.put(208, 3, "000");
      r.put(211, 5, "00000");
      r.put(216, 1, "0");
      r.put(217, 12, Replicate("0", 12));
      r.put(229, 1, "0");
      r.put(230, 1, "0");
      r.put(231, 1, "0");
      r.put(232, 9, Replicate(" ", 9));
      arq.write(r);
    }

    // Segment S (payer e-mail), when the company sends slips by e-mail
    if (segmentoS) {
      Record r = arq.Segmento("S", movimento);
      r.put(18, 1, "0");
      r.put(19, 40, PadR(LeftStr(bol("EMAILCOBCLIE").AsString(), 40), 40));
      r.put(59, 160, Replicate(" ", 160));
      r.put(219, 22, Replicate(" ", 22));
      arq.write(r);
    }

    // Segment Y, optional record "01" (guarantor)
    if (avalista.completo()) {
      Record r = arq.Segmento("Y", movimento);
      r.put(18, 2, "01");
      r.put(20, 1, avalista.tipo);
      r.put(21, 15, Ajusta(CampoValido(LeftStr(Nr_Codigo(avalista.inscricao), 14)), 15));
      r.put(36, 40, PadR(CampoValido(LeftStr(avalista.nome, 40)), 40));
      r.put(76, 40, Replicate(" ", 40));
      r.put(116, 15, Replicate(" ", 15));
      r.put(131, 5, "00000");
      r.put(136, 3, "000");
      r.put(139, 15, Replicate(" ", 15));
      r.put(154, 2, "  ");
      r.put(156, 85, Replicate(" ", 85));
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
