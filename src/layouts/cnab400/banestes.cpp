// Banestes, CNAB 400: a header, one detail per marked title, the common
// trailer. The layout tells the bank an entry or a removal; it has no code
// for an alteration, so the catalogue keeps such a batch from reaching it.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// A daily amount or a monthly percentage counts only when it is set and not
// zero: a stored zero must not hide the other.
bool Informado(TTitulo& t, const char* campo) {
  return !t.Nulo(campo) && t.F(campo) != 0;
}

}  // namespace

void Remessa_BcoBanestes(const TRemessa& rem, TTitulos& titulos, bool) {
  const TIdentidade empresa = rem.Identidade();
  // The bank has room for 14 digits only; a longer number would reach it cut,
  // naming another company, so the run stops before any file exists. Typed
  // punctuation is not the bank's: "12.345.678/0001-95" is 14 digits.
  cnab400::VerificaInscricao(rem, empresa);

  const std::string conta = Right(SemPontuacao(AllTrim(rem.CNABRec.S("CDCONTCORR"))), 11);
  const std::string inscricao = cnab400::Inscricao14(empresa.inscricao);
  const std::string ocorrencia = rem.Operacao() == "E" ? "02" : "01";
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);

  // Header record (type "0")
  auto cabecalho = [&](cnab400::TArquivo& arq) {
    Record r = arq.Cabecalho();
    r.num(27, 11, conta);
    r.put(38, 9, Replicate(" ", 9));
    cnab400::EmpresaEBanco(r, empresa.nome, "021", "BANESTES", rem.Hoje());
    r.put(101, 294, Replicate(" ", 294));
    arq.Escreve(r);
  };

  // Detail record (type "1"), up to its sequence.
  auto detalhe = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);
    // The bank numbers the titles whose slip it prints.
    const bool banco = v.impressao == "B";
    const std::string nosso = banco ? "" : Right(NossoNumero(v.nosso), 10);
    const std::string carteira = t.S("IDCARTCOBREC");
    auto& doc = t.Registros(TRegistro::DocBol);
    // A title of several documents is told by none.
    const std::string documento =
        doc.Active() && doc.RecordCount() == 1
            ? Ajusta(CampoValido(Right(t.Registro(TRegistro::DocBol, "DUPLICATA"), 10)), 10)
            : Replicate(" ", 10);
    const std::string instrucao = v.ins1.empty() ? "P7" : PadR(CampoValido(LeftStr(v.ins1, 2)), 2);
    // "P7" sends the title without protest, whatever days it holds.
    const std::string protesto = instrucao == "P7" || t.Nulo("QTDIAPROTBOL")
                                     ? "00"
                                     : Right(IntToStr(static_cast<int64_t>(t.F("QTDIAPROTBOL"))), 2);
    const bool diaria = Informado(t, "VRMORDIABREC"), percentual = Informado(t, "VRPEMORBREC");
    std::string juros;
    if (diaria)
      juros = Money(t.F("VRMORDIABREC"), 12);
    else if (percentual)
      juros = Money(v.valor * t.F("VRPEMORBREC") / 100, 12);
    const std::string mensagem =
        banco ? PadR(CampoValido(LeftStr(t.Registro(TRegistro::TxBoletos, "TXMENSBOLBOL"), 40)), 40)
              : Replicate(" ", 40);

    Record r = arq.Detalhe();
    r.put(2, 2, cnab400::TipoEmpresa(empresa));
    r.num(4, 14, inscricao);
    r.num(18, 11, conta);
    r.put(29, 9, Replicate(" ", 9));
    cnab400::ControleENosso(r, v.controle, 10, nosso);
    r.put(73, 1, "0");
    r.put(74, 9, Replicate("0", 9));
    r.put(83, 6, Replicate(" ", 6));
    r.put(89, 2, "00");
    r.put(91, 2, "00");
    r.put(93, 1, "0");
    r.put(94, 14, Replicate("0", 14));
    r.num(108, 1, carteira.empty() ? "1" : Right(carteira, 1));
    r.put(109, 2, ocorrencia);
    r.put(111, 10, documento);
    r.put(121, 6, v.vencimento);
    r.put(127, 3, "000");
    r.num(130, 10, Money(v.valor, 10));
    r.put(140, 3, "021");
    r.put(143, 5, "00000");
    r.put(148, 2, banco ? "21" : "01");
    r.put(150, 1, "N");
    r.put(151, 6, emissao);
    r.put(157, 2, instrucao);
    r.num(159, 2, protesto);
    r.put(161, 1, diaria || percentual ? "0" : "9");
    r.num(162, 12, juros);
    r.put(174, 6, "000000");
    r.put(180, 13, Replicate("0", 13));
    r.put(193, 13, Replicate("0", 13));
    r.put(206, 13, Replicate("0", 13));
    r.put(219, 2, cnab400::TipoInscricao(v.pagador.tipo, "99"));
    cnab400::BlocoPagador(r, v.pagador, 40);
    r.put(352, 40, mensagem);
    r.put(392, 2, "00");
    r.put(394, 1, "0");
    arq.Escreve(r);
  };

  // A title the bank could not read stops the run before the file exists.
  cnab400::GeraVerificado(rem, titulos, cabecalho, detalhe);
}

}  // namespace layouts
