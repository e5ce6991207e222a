#include "layouts/remessa.h"

#include "fields/account.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/record.h"

namespace layouts {

using fields::AllTrim;
using fields::EmptyString;

TLinha::TLinha(host::TClientDataSet& ds) : campos_(ds.FieldDefs()) {
  // A row being inserted is the edit buffer of a data set without rows.
  const auto st = ds.State();
  const bool editando = st == host::TDataSetState::dsInsert || st == host::TDataSetState::dsEdit;
  if (!ds.Active() || (ds.IsEmpty() && !editando)) return;
  valores_.reserve(campos_.size());
  for (int i = 0; i < ds.FieldCount(); ++i) valores_.push_back(ds.Fields(i).AsValue());
}

TLinha::TLinha(std::vector<host::TFieldDef> campos, std::vector<host::Value> valores)
    : campos_(std::move(campos)), valores_(std::move(valores)) {
  if (!valores_.empty() && valores_.size() != campos_.size())
    throw ELayoutError("a row of " + std::to_string(valores_.size()) + " values for " +
                       std::to_string(campos_.size()) + " fields");
}

int TLinha::indice(std::string_view campo, bool exige) const {
  for (size_t i = 0; i < campos_.size(); ++i) {
    const std::string& n = campos_[i].Name;
    if (n.size() != campo.size()) continue;
    bool igual = true;
    for (size_t k = 0; k < n.size() && igual; ++k)
      igual = std::toupper(static_cast<unsigned char>(n[k])) ==
              std::toupper(static_cast<unsigned char>(campo[k]));
    if (igual) return static_cast<int>(i);
  }
  if (exige && !campos_.empty()) throw ELayoutError("no field " + std::string(campo) + " in the batch's row");
  return -1;
}

std::string TLinha::S(std::string_view campo) const {
  const int i = indice(campo, true);
  if (i < 0 || Vazia()) return {};
  return host::ValueToString(valores_[static_cast<size_t>(i)], campos_[static_cast<size_t>(i)].DataType);
}

double TLinha::F(std::string_view campo) const {
  const int i = indice(campo, true);
  if (i < 0 || Vazia()) return 0;
  const host::Value& v = valores_[static_cast<size_t>(i)];
  if (const double* d = std::get_if<double>(&v)) return *d;
  if (const int64_t* n = std::get_if<int64_t>(&v)) return static_cast<double>(*n);
  double r = 0;
  if (const host::TText* t = std::get_if<host::TText>(&v)) fields::TryStrToFloat(std::string_view(*t), r);
  return r;
}

bool TLinha::Nulo(std::string_view campo) const {
  const int i = indice(campo, true);
  return i < 0 || Vazia() || std::holds_alternative<std::monostate>(valores_[static_cast<size_t>(i)]);
}

TDateTime TRemessa::Hoje() const {
  return fields::DateOf(Agora);
}

TIdentidade TRemessa::Identidade() const {
  if (!Filial.Vazia() && !EmptyString(CNABRec.S("CDFILIAL"))) {
    return {Filial.S("NMRAZSOCFILI"), Filial.S("NMFILIAL"), Filial.S("IDTPIJURFILI"),
            Filial.S("NRINSJURFILI"), true};
  }
  return Cadastro();
}

TIdentidade TRemessa::Cadastro() const {
  if (Empresa.Vazia()) return {};
  return {Empresa.S("NMRAZSOCEMPR"), Empresa.S("NMEMPRESA"), Empresa.S("IDTPIJUREMPR"),
          Empresa.S("NRINSJUREMPR"), false};
}

TAvalista TRemessa::Avalista() const {
  if (ContaCorr.Vazia()) return {};
  return {AllTrim(ContaCorr.S("CDSACAVALISTA")), AllTrim(ContaCorr.S("NMSACAVALISTA")),
          ContaCorr.S("IDTPIJURSAC")};
}

std::string TRemessa::Parametro(std::string_view campo) const {
  return EmprBanc.Tem(campo) ? EmprBanc.S(campo) : std::string();
}

int TRemessa::TamanhoNossoNumero() const {
  return CNABRec.Nulo("DSNOSNUMCORR") ? 0 : fields::TamanhoNossoNumero(CNABRec.S("DSNOSNUMCORR"));
}

std::string TRemessa::ContaCorrente() const {
  return fields::ContaSemDv(CNABRec.S("CDCONTCORR"), CNABRec.S("CDPICTCONT"), ContaLembrada);
}

std::string TRemessa::DacContaCorrente() const {
  return fields::DacConta(CNABRec.S("CDCONTCORR"));
}

std::string TRemessa::ContaCobranca() const {
  return fields::ContaCobrancaSemDv(CNABRec.S("CDCONTCORRCOBR"), CNABRec.S("CDPICTCONT"));
}

std::string TRemessa::DvContaCobranca() const {
  return fields::DvContaCobranca(CNABRec.S("CDCONTCORRCOBR"), CNABRec.S("CDPICTCONT"));
}

std::string TRemessa::Msg(const std::string& key) const {
  return Catalogo ? Catalogo->Msg(key) : host::SharedMsg(key);
}

void TRemessa::Erro(const std::string& key) const {
  host::MensErro(Msg(key), true, key);
  throw host::EAbort();  // not reached: MensErro with stop raises
}

void TRemessa::Recusa(TTitulo& t, const std::string& key) const {
  host::MensErro(Msg("BOLETO") + " " + t.Chave() + ": " + Msg(key), true, key);
  throw host::EAbort();
}

std::string TTitulo::Registro(TRegistro tipo, std::string_view campo) {
  auto& ds = Registros(tipo);
  if (!ds.Active() || ds.IsEmpty()) return {};
  ds.First();
  return ds.FieldByName(campo).AsString();
}

TPagador TTitulo::Pagador() {
  TPagador p;
  auto& l = Registros(TRegistro::LicencaUso);
  if (l.Active() && !l.IsEmpty()) {
    l.First();
    auto s = [&l](const char* n) { return l.FieldByName(n).AsString(); };
    p.override = true;
    p.tipo = s("IDTPIJURLUSO");
    p.inscricao = s("NRINSJURLUSO");
    p.nome = s("NMRAZSOCLUSO");
    p.fantasia = s("NMFANTLUSO");
    p.endereco = s("DSENDELUSO");
    p.bairro = s("NMBAIRLUSO");
    p.cep = s("NRCEPLUSO");
    p.cidade = s("NMMUNICIPIO");
    p.uf = s("SGESTADO");
    return p;
  }
  p.tipo = S("IDTPIJURCLIE");
  p.inscricao = S("NRINSJURCLIE");
  p.nome = S("NMRAZSOCCLIE");
  p.fantasia = S("NMFANTCLIE");
  auto& q = Registros(TRegistro::EnderecoCliente);
  if (q.Active() && !q.IsEmpty()) {
    q.First();
    auto s = [&q](const char* n) { return q.FieldByName(n).AsString(); };
    p.endereco = s("DSENDECLIE");
    p.bairro = s("NMBAIRCLIE");
    p.cep = s("NRCEPCLIE");
    p.cidade = s("NMMUNICIPIO");
    p.uf = s("SGESTADO");
  }
  return p;
}

std::function<void(TTitulo&)> TTitulos::Nomeia(const std::function<void(TTitulo&)>& fn) {
  return [&fn](TTitulo& t) {
    try {
      fn(t);
    } catch (ECampo& e) {
      if (e.titulo.empty()) e.titulo = t.Chave();
      throw;
    }
  };
}

TValoresTitulo::TValoresTitulo(TTitulo& t)
    : valor(t.F("VRFINALBREC")),
      dataVencimento(t.D("DTVENBOLREC")),
      desconto(t.F("VRPEDESCBCLI")),
      impressao(t.S("IDIMPRBOLBOL")),
      nosso(t.S("CDNOSNUMREC")),
      carteira(fields::SemPontuacao(t.S("CDCARTCOBBOL"))),
      ins1(t.S("CDINS1COBBOL")),
      ins2(t.S("CDINS2COBBOL")),
      controle(t.S("CDFILIAL") + t.S("NRLANBOLREC")),
      pagador(t.Pagador()) {}

std::string NossoNumero(std::string_view s) {
  return fields::SemPontuacao(s);
}

std::string Ocorrencia(const std::string& op, std::string_view exclusao, std::string_view alteracao) {
  if (op == "I") return "01";
  return std::string(op == "E" ? exclusao : alteracao);
}

void EnderecoVazio(Record& r, int pos, int endereco, int cidade) {
  r.put(pos, endereco, "");
  r.put(pos + endereco, 5, "00000");
  r.put(pos + endereco + 5, 3, "000");
  r.put(pos + endereco + 8, cidade, "");
  r.put(pos + endereco + 8 + cidade, 2, "");
}

}  // namespace layouts
