#include "layouts/retorno/comum.h"

#include <cstdio>

#include "fields/cp1252.h"
#include "fields/text.h"

namespace layouts::retorno {

namespace {

std::string Tres(int n) {
  char b[12];
  std::snprintf(b, sizeof b, "%03d", n);
  return b;
}

bool Digitos(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return !s.empty();
}

bool Todos(std::string_view s, char c) {
  return s.find_first_not_of(c) == std::string_view::npos;
}

int Num(std::string_view s) {
  int n = 0;
  for (char c : s) n = n * 10 + (c - '0');
  return n;
}

bool DataValida(int a, int m, int d) {
  static const int kDias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12 || d < 1) return false;
  const bool bissexto = (a % 4 == 0 && a % 100 != 0) || a % 400 == 0;
  return d <= kDias[m - 1] + (m == 2 && bissexto ? 1 : 0);
}

void LeDetalhe400(const TCampos& d, TOcorrencia& o, const TNomes400& n) {
  o.ocorrencia = d.digitos(109, 2, n.ocorrencia);
  o.dataOcorrencia = d.data(111, 6, n.dataOcorrencia);
  o.documento = d.texto(117, 10);
  o.vencimento = d.data(147, 6, "data de vencimento");
  o.valorTitulo = d.valor(153, 13, "valor do título");
  o.tarifa = d.valor(176, 13, n.tarifa);
  o.abatimento = d.valor(228, 13, n.abatimento);
  o.desconto = d.valor(241, 13, n.desconto);
  o.valorPago = d.valor(254, 13, n.valorPago);
  o.juros = d.valor(267, 13, n.juros);
  o.dataCredito = d.data(296, 6, n.dataCredito);
}

}  // namespace

std::string Lido(std::string_view v) {
  return fields::Cp1252ToUtf8(v);
}

void Falha(const std::string& texto) {
  throw ERetorno(fields::Utf8ToCp1252(texto));
}

std::vector<std::string_view> Registros(std::string_view c, const TLeiauteRetorno& l) {
  const size_t tamanho = l.familia == TFamilia::Cnab240 ? 240 : 400;
  // Line ends (and the end-of-file mark some systems add) after the last record.
  while (!c.empty() && (c.back() == '\n' || c.back() == '\r' || c.back() == '\x1a')) c.remove_suffix(1);
  std::vector<std::string_view> r;
  if (c.empty()) Falha(std::string("O arquivo está vazio: não há registros do leiaute ") + l.nome + ".");
  for (size_t at = 0; at <= c.size();) {
    size_t fim = c.find('\n', at);
    if (fim == std::string_view::npos) fim = c.size();
    std::string_view linha = c.substr(at, fim - at);
    if (!linha.empty() && linha.back() == '\r') linha.remove_suffix(1);
    if (linha.size() != tamanho)
      Falha("Registro " + std::to_string(r.size() + 1) + ": tem " + std::to_string(linha.size()) +
            " caracteres; os registros do leiaute " + l.nome + " têm " + std::to_string(tamanho) + ".");
    r.push_back(linha);
    at = fim + 1;
  }
  return r;
}

std::string TCampos::nomeDoCampo(int pos, int len, const char* nome) const {
  const std::string at = len == 1 ? Tres(pos) : Tres(pos) + "-" + Tres(pos + len - 1);
  return std::string("o campo ") + nome + " (" + at + ")";
}

void TCampos::falha(const std::string& texto) const {
  Falha("Registro " + std::to_string(n_) + ": " + texto);
}

std::string TCampos::texto(int pos, int len) const {
  return fields::AllTrim(bruto(pos, len));
}

std::string TCampos::digitos(int pos, int len, const char* nome) const {
  const std::string_view v = bruto(pos, len);
  if (!Digitos(v)) falha(nomeDoCampo(pos, len, nome) + " não é numérico.");
  return std::string(v);
}

std::string TCampos::numero(int pos, int len, const char* nome) const {
  const std::string v = digitos(pos, len, nome);
  const size_t z = v.find_first_not_of('0');
  return z == std::string::npos ? "0" : v.substr(z);
}

int64_t TCampos::valor(int pos, int len, const char* nome) const {
  int64_t v = 0;
  for (char c : digitos(pos, len, nome)) v = v * 10 + (c - '0');
  return v;
}

std::string TCampos::data(int pos, int len, const char* nome) const {
  const std::string_view v = bruto(pos, len);
  if (Todos(v, '0') || Todos(v, ' ')) return {};
  if (!Digitos(v)) falha(nomeDoCampo(pos, len, nome) + " não é numérico.");
  const int d = Num(v.substr(0, 2)), m = Num(v.substr(2, 2));
  int a = Num(v.substr(4));
  // Two-digit years: the banks' files of this century, and the last decades of the former.
  if (len == 6) a += a < 70 ? 2000 : 1900;
  if (!DataValida(a, m, d))
    falha(nomeDoCampo(pos, len, nome) + " não é uma data (\"" + std::string(v) + "\").");
  char b[16];
  std::snprintf(b, sizeof b, "%04d-%02d-%02d", a, m, d);
  return b;
}

std::string TCampos::inscricao(int posTipo, int lenTipo, int pos, int len) const {
  const std::string tipo = numero(posTipo, lenTipo, "tipo de inscrição da empresa");
  const std::string n = digitos(pos, len, "número de inscrição da empresa");
  return tipo == "1" ? n.substr(n.size() - 11) : n;
}

void TCampos::exige(int pos, std::string_view esperado, const char* nome) const {
  const std::string_view v = bruto(pos, static_cast<int>(esperado.size()));
  if (v != esperado)
    falha(nomeDoCampo(pos, static_cast<int>(esperado.size()), nome) + " traz \"" + Lido(v) +
          "\" onde o leiaute tem \"" + std::string(esperado) + "\".");
}

std::string Motivos(std::string_view campo) {
  std::string r;
  for (size_t at = 0; at + 2 <= campo.size(); at += 2) {
    const std::string_view c = campo.substr(at, 2);
    if (c == "00" || c == "  ") continue;
    if (!r.empty()) r += ' ';
    r.append(fields::AllTrim(c));
  }
  return r;
}

std::string CampoDeMotivos(std::string_view motivos, int len, char preenche) {
  std::string r;
  for (size_t at = 0; at < motivos.size();) {
    size_t fim = motivos.find(' ', at);
    if (fim == std::string_view::npos) fim = motivos.size();
    if (fim > at) r.append(fields::PadR(motivos.substr(at, fim - at), 2));
    at = fim + 1;
  }
  if (static_cast<int>(r.size()) > len)
    Falha("Os motivos \"" + std::string(motivos) + "\" não cabem nas " + std::to_string(len) +
          " posições do leiaute.");
  r.append(static_cast<size_t>(len) - r.size(), preenche);
  return r;
}

void Classifica(std::span<const TCodigo> tabela, TOcorrencia& o) {
  for (const TCodigo& c : tabela)
    if (o.ocorrencia == c.codigo) {
      o.efeito = c.efeito;
      o.descricao = fields::Utf8ToCp1252(c.descricao);
      return;
    }
  o.efeito = TEfeito::Nenhum;
  o.descricao = fields::Utf8ToCp1252("Ocorrência " + o.ocorrencia + " (código que o leiaute não descreve)");
}

TRetorno Le400(std::string_view conteudo, const TLeiauteRetorno& l) {
  const TBanco400& b = *l.banco400;
  const std::vector<std::string_view> regs = Registros(conteudo, l);
  TRetorno r;
  r.familia = TFamilia::Cnab400;
  r.leiaute = l.nome;
  const TCampos h(regs[0], 1);
  if (h.bruto(1, 9) != "02RETORNO")
    h.falha("o arquivo não é um retorno: o cabeçalho traz \"" + Lido(h.bruto(1, 9)) +
            "\" onde um retorno tem \"02RETORNO\".");
  h.exige(10, "01", "código do serviço");
  if (h.bruto(77, 3) != b.banco)
    h.falha("o banco do cabeçalho (077-079) é " + Lido(h.bruto(77, 3)) + "; o leiaute " + l.nome +
            " é o do banco " + b.banco + ".");
  r.banco = b.banco;
  b.leCabecalho(h, r);
  bool fim = false;
  for (size_t i = 0; i < regs.size(); ++i) {
    const TCampos c(regs[i], static_cast<int>(i) + 1);
    if (c.numero(395, 6, "número sequencial") != std::to_string(i + 1))
      c.falha("o número sequencial (395-400) traz " + std::string(c.bruto(395, 6)) + "; este é o registro " +
              std::to_string(i + 1) + " do arquivo.");
    if (i == 0) continue;
    const char tipo = regs[i][0];
    if (fim) c.falha("registro fora de lugar: há registros depois do trailer do arquivo.");
    if (tipo == '1') {
      if (r.ocorrencias.empty()) b.lePrimeiro(c, r);
      TOcorrencia o;
      o.registro = c.registro();
      b.leDetalhe(c, o);
      LeDetalhe400(c, o, b.nomes);
      Classifica(b.ocorrencias, o);
      r.ocorrencias.push_back(std::move(o));
    } else if (tipo == '9') {
      c.exige(2, std::string("201") + b.banco, "identificação do trailer");
      fim = true;
    } else if (std::string_view(b.outros).find(tipo) == std::string_view::npos) {
      c.falha("registro fora de lugar: o tipo de registro (001) \"" + Lido(std::string_view(&tipo, 1)) +
              "\" não vem entre os detalhes do leiaute " + l.nome + ".");
    }
  }
  if (!fim)
    Falha("O arquivo termina no registro " + std::to_string(regs.size()) +
          " sem o trailer do arquivo (tipo 9): está incompleto.");
  return r;
}

std::string DataDoBanco(const std::string& data, int len) {
  if (data.empty()) return std::string(static_cast<size_t>(len), '0');
  const bool iso =
      data.size() == 10 && data[4] == '-' && data[7] == '-' && Digitos(std::string_view(data).substr(0, 4)) &&
      Digitos(std::string_view(data).substr(5, 2)) && Digitos(std::string_view(data).substr(8, 2));
  if (!iso) Falha("A data \"" + data + "\" não está no formato aaaa-mm-dd.");
  return data.substr(8, 2) + data.substr(5, 2) + (len == 6 ? data.substr(2, 2) : data.substr(0, 4));
}

std::string Centavos(int64_t valor) {
  if (valor < 0)
    Falha("O valor " + std::to_string(valor) + " é negativo: o leiaute só tem valores positivos.");
  return std::to_string(valor);
}

std::string TipoInscricao(const std::string& inscricao, int len) {
  const char* t = inscricao.size() <= 11 ? "1" : "2";
  return len == 1 ? t : std::string("0") + t;
}

std::string TArquivoRetorno::sequencia(int len) const {
  return fields::Ajusta(std::to_string(proximo()), len);
}

void TArquivoRetorno::grava(const Record& r) {
  if (!r.complete() || r.length() != tamanho_)
    throw ELayoutError("return record " + std::to_string(proximo()) + " has " +
                       std::to_string(r.text().size()) + " characters; the layout's records have " +
                       std::to_string(tamanho_));
  texto_ += r.text();
  texto_ += "\r\n";
  ++registros_;
}

int64_t ValorDosTitulos(const TRetorno& ret) {
  int64_t total = 0;
  for (const TOcorrencia& o : ret.ocorrencias) total += o.valorTitulo;
  return total;
}

std::string Escreve400(const TRetorno& ret, const TLeiauteRetorno& l) {
  const TBanco400& b = *l.banco400;
  TArquivoRetorno f(400);
  auto grava = [&f](Record r) {
    r.num(395, 6, f.sequencia(6));
    f.grava(r);
  };
  grava(b.cabecalho(ret));
  for (const TOcorrencia& o : ret.ocorrencias) grava(b.detalhe(ret, o));
  grava(b.trailer(ret));
  return std::move(f).texto();
}

Record Cabecalho400() {
  Record r(400);
  r.put(1, 1, "0");
  r.put(2, 1, "2");
  r.put(3, 7, "RETORNO");
  r.put(10, 2, "01");
  r.put(12, 15, "COBRANCA");
  return r;
}

Record Trailer400(const TRetorno& ret, const char* banco) {
  Record r(400);
  r.put(1, 1, "9");
  r.put(2, 1, "2");
  r.put(3, 2, "01");
  r.put(5, 3, banco);
  r.put(8, 10, "");
  r.num(18, 8, std::to_string(ret.ocorrencias.size()));
  r.num(26, 14, Centavos(ValorDosTitulos(ret)));
  return r;
}

Record Detalhe400(const TRetorno& ret) {
  Record r(400);
  r.put(1, 1, "1");
  r.num(2, 2, TipoInscricao(ret.inscricao, 2));
  r.num(4, 14, ret.inscricao);
  return r;
}

void OcorrenciaEDocumento400(Record& r, const TOcorrencia& o) {
  r.num(109, 2, o.ocorrencia);
  r.num(111, 6, DataDoBanco(o.dataOcorrencia, 6));
  r.put(117, 10, o.documento);
}

void VencimentoEValor400(Record& r, const TOcorrencia& o, const char* banco) {
  r.num(147, 6, DataDoBanco(o.vencimento, 6));
  r.num(153, 13, Centavos(o.valorTitulo));
  r.put(166, 3, banco);
  // the collecting agency (with its check digit) and the kind of title: the reader does not read them
  r.num(169, 5, "");
  r.put(174, 2, "");
  r.num(176, 13, Centavos(o.tarifa));
}

void Valores400(Record& r, const TOcorrencia& o) {
  r.num(215, 13, "");
  r.num(228, 13, Centavos(o.abatimento));
  r.num(241, 13, Centavos(o.desconto));
  r.num(254, 13, Centavos(o.valorPago));
  r.num(267, 13, Centavos(o.juros));
  r.num(280, 13, "");
  r.put(293, 3, "");
  r.num(296, 6, DataDoBanco(o.dataCredito, 6));
}

}  // namespace layouts::retorno
