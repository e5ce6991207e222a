// Safra, CNAB 400: header, per title a detail and, when the company asks the
// bank to e-mail its payers, an e-mail record, then a trailer with the count
// and total of what was sent.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// The company's code at the bank, left-aligned as the bank files it.
std::string CodigoEmpresa(const std::string& cedente) {
  if (cedente.empty()) return Replicate("0", 14);
  return PadR(CampoValido(Right(Nr_Codigo(cedente), 14)), 14);
}

// The guarantor as the bank reads it: its kind code and its tax id cut to
// the kind's width; nothing at all unless both tax id and name are set.
struct TAvalistaSafra {
  std::string codigo, inscricao, nome;
  bool completo() const { return !codigo.empty(); }
};

TAvalistaSafra LeAvalistaSafra(const TRemessa& rem) {
  const TAvalista a = rem.Avalista();
  if (!a.completo()) return {};
  const bool juridica = a.tipo == "J";
  return {juridica ? "02" : "01", LeftStr(SemPontuacao(a.inscricao), juridica ? 14 : 11), a.nome};
}

// The bank's title number, nine digits. An agreement with the bank itself
// keeps its number from the third digit on; any other keeps its last nine.
std::string Nosso9(const std::string& gravado, bool convenioSafra) {
  const std::string digitos = NossoNumero(gravado);
  return convenioSafra ? Copy(digitos, 3, 9) : Right(digitos, 9);
}

// An e-mail address keeps its case and its "@": only what would break the
// record (a line break, a tab) becomes a blank.
std::string SemControle(std::string s) {
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return s;
}

}  // namespace

void Remessa_BcoSafra(const TRemessa& rem, TTitulos& titulos, bool) {
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };

  const TIdentidade empresa = rem.Cadastro();
  const TAvalistaSafra avalista = LeAvalistaSafra(rem);
  const std::string cedente = rem.ContaCorr.S("CDCEDENTEBAN");
  const std::string codigoEmpresa = CodigoEmpresa(cedente);
  const bool convenioSafra = cnab("CDBANCOCONV") == "422";
  // An agreement with the bank gives the agency as the first digits of the
  // company's code there.
  const std::string agencia =
      EmptyString(cnab("CDAGENCIA"))
          ? ""
          : LeftStr(SemPontuacao(convenioSafra ? cedente : AllTrim(cnab("CDAGENCIA"))), 5);
  const std::string seqGravada = SemPontuacao(cnab("NRSEQREMESSAREC"));
  const std::string seqRemessa = seqGravada.empty() ? "001" : Right(seqGravada, 3);
  const std::string bancoConta = LeftStr(SemPontuacao(rem.ContaCorr.S("CDBANCCNAB")), 3);
  const std::string ocorrencia = Ocorrencia(rem.Operacao());
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);
  const bool registroEmail = rem.Parametro("IDGERLINHACOBEMAIL") == "S";
  double total = 0;

  // The bank has room for 14 digits only; a longer number would reach it cut,
  // naming another company, so the run stops before any file exists.
  cnab400::VerificaInscricao(rem, empresa);

  cnab400::Gera(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = arq.Cabecalho();
        r.put(27, 14, codigoEmpresa);
        r.put(41, 6, Replicate(" ", 6));
        cnab400::EmpresaEBanco(r, empresa.curto, "422", "BANCO SAFRA", rem.Hoje());
        r.put(101, 291, Replicate(" ", 291));
        r.num(392, 3, seqRemessa);
        arq.Escreve(r);
      },
      [&](cnab400::TArquivo& arq, TTitulo& t) {
        const cnab400::TValores v(t);
        const std::string diaSeguinte = FormatDateTime("ddmmyy", v.dataVencimento + 1);
        const std::string cartTipo = t.S("IDCARTCOBREC");
        const std::string nosso = v.impressao == "B" || v.nosso.empty() ? "" : Nosso9(v.nosso, convenioSafra);
        const std::string duplicata = t.Registro(TRegistro::DocBol, "DUPLICATA");
        const std::string documento =
            duplicata.empty() ? PadR(t.S("NRLANBOLREC"), 10)
                              : Ajusta(CampoValido(Right(AllTrim(duplicata), 8)), 8) +
                                    PadR(Ajusta(t.Registro(TRegistro::DocBol, "NRPARCELA"), 2), 2);
        std::string juros;
        if (!t.Nulo("VRMORDIABREC"))
          juros = VirgDeciAssu(FormatFloat("#0.00", t.F("VRMORDIABREC")), 13);
        else if (!t.Nulo("VRPEMORBREC"))
          juros = VirgDeciAssu(FormatFloat("#0.00", v.valor * t.F("VRPEMORBREC") / 100), 13);
        // A fine the title does not carry (zero or none) is thirteen zeros.
        const double multa = t.F("VRPEMULBREC");
        auto instrucao = [](const std::string& i) { return i.empty() ? "00" : PadR(LeftStr(i, 2), 2); };
        auto texto = [](const std::string& s, int n) { return PadR(CampoValido(LeftStr(s, n)), n); };

        // Detail record (type "1")
        Record r = arq.Detalhe();
        r.put(2, 2, empresa.tipo == "F" ? "01" : "02");
        r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
        r.put(18, 14, codigoEmpresa);
        r.put(32, 6, Replicate(" ", 6));
        cnab400::ControleENosso(r, v.controle, 9, nosso);
        r.put(72, 14, Replicate(" ", 14));
        r.put(86, 6, diaSeguinte);
        r.put(92, 1, " ");
        r.put(93, 9, Replicate(" ", 9));
        r.put(102, 1, "0");
        r.put(103, 2, "00");
        r.put(105, 1, " ");
        r.num(106, 2, v.ins2 == "10" && !t.Nulo("QTDIAPROTBOL") ? Right(t.S("QTDIAPROTBOL"), 2) : "");
        r.num(108, 1, LeftStr(cartTipo, 1));
        r.put(109, 2, ocorrencia);
        r.put(111, 10, documento);
        r.put(121, 6, v.vencimento);
        r.num(127, 13, VirgDeciAssu(FormatFloat("#0.00", v.valor), 13));
        r.put(140, 3, "422");
        r.num(143, 5, agencia);
        r.put(148, 2, "01");
        r.put(150, 1, "A");
        r.put(151, 6, emissao);
        r.put(157, 2, instrucao(v.ins1));
        r.put(159, 2, instrucao(v.ins2));
        r.num(161, 13, juros);
        r.put(174, 6, "000000");
        r.put(180, 13, Replicate("0", 13));
        r.put(193, 13, Replicate("0", 13));
        r.put(206, 6, multa != 0 ? diaSeguinte : "000000");
        r.num(212, 4, multa != 0 ? Money(multa, 4) : "");
        r.put(216, 3, "000");
        r.put(219, 2, cnab400::TipoInscricao(v.pagador.tipo, "03"));
        r.num(221, 14, cnab400::Inscricao14(v.pagador.inscricao));
        r.put(235, 40, texto(v.pagador.Nome(), 40));
        r.put(275, 40, texto(v.pagador.endereco, 40));
        r.put(315, 10, texto(v.pagador.bairro, 10));
        r.put(325, 2, "  ");
        r.num(327, 8, LeftStr(CampoValidoCEPTEL(v.pagador.cep), 8));
        r.put(335, 15, texto(v.pagador.cidade, 15));
        r.put(350, 2, texto(v.pagador.uf, 2));
        r.put(352, 30, avalista.nome.empty() ? Replicate(" ", 30) : texto(avalista.nome, 30));
        r.num(382, 3, t.Nulo("QTDIADEVOL") ? "" : Right(t.S("QTDIADEVOL"), 3));
        r.put(385, 3, Replicate(" ", 3));
        r.put(388, 1, "0");
        r.num(389, 3, bancoConta);
        r.num(392, 3, seqRemessa);
        arq.Escreve(r);
        total = RoundDec(total, 2) + RoundDec(v.valor, 2);

        if (!registroEmail) return;
        // E-mail record (type "2"). The guarantor's address is not known to
        // the system: its fields go blank (postcode zeros) rather than carry
        // the payer's address under the guarantor's name.
        Record e = arq.Registro();
        e.put(1, 1, "2");
        e.put(2, 50, PadR(SemControle(LeftStr(t.S("EMAILCOBCLIE"), 50)), 50));
        e.put(52, 1, v.impressao == "B" ? "3" : " ");
        e.put(53, 2, "00");
        e.put(55, 9, Replicate("0", 9));
        e.put(64, 88, Replicate(" ", 88));
        if (avalista.completo()) {
          e.put(152, 40, texto(avalista.nome, 40));
          e.put(192, 1, Copy(avalista.codigo, 2, 1));
          e.num(193, 14, avalista.inscricao);
          e.put(207, 40, Replicate(" ", 40));
          e.put(247, 15, Replicate(" ", 15));
          e.put(262, 20, Replicate(" ", 20));
          e.put(282, 8, "00000000");
          e.put(290, 2, "  ");
        } else {
          e.put(152, 140, Replicate(" ", 140));
        }
        e.put(292, 100, Replicate(" ", 100));
        e.num(392, 3, seqRemessa);
        arq.Escreve(e);
      },
      [&](cnab400::TArquivo& arq) {
        // Trailer record (type "9")
        Record r = arq.Registro();
        r.put(1, 1, "9");
        r.put(2, 367, Replicate(" ", 367));
        r.num(369, 8, IntToStr(arq.Registros() - 1));
        r.num(377, 15, VirgDeciAssu(FormatFloat("#0.00", total), 15));
        r.num(392, 3, seqRemessa);
        arq.Escreve(r);
      });
}

}  // namespace layouts
