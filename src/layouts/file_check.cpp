#include "layouts/file_check.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

#include "fields/cp1252.h"

namespace layouts {
namespace {

using std::string;
using std::string_view;

enum class TFim { CrLf, Lf, Cr, Nenhum };

int Comprimento(TFamilia f) {
  switch (f) {
    case TFamilia::Cnab240:
      return 240;
    case TFamilia::Cnab400:
      return 400;
    case TFamilia::Cnab444:
      return 444;
    default:
      return 0;
  }
}

TFamilia PorComprimento(size_t n) {
  if (n == 240) return TFamilia::Cnab240;
  if (n == 400) return TFamilia::Cnab400;
  if (n == 444) return TFamilia::Cnab444;
  return TFamilia::Desconhecida;
}

// Calls f(record, line end) for every line. CR LF ends a record; so do a bare
// LF and a bare CR, as most readers take them, which makes a line break inside
// a field show as the fault it is at the bank: a record cut in two.
template <class F>
void ParaCadaLinha(string_view c, F f) {
  size_t at = 0;
  while (at < c.size()) {
    size_t fim = c.find_first_of("\r\n", at);
    if (fim == string_view::npos) {
      f(c.substr(at), TFim::Nenhum);
      return;
    }
    const string_view linha = c.substr(at, fim - at);
    if (c[fim] == '\r' && fim + 1 < c.size() && c[fim + 1] == '\n') {
      f(linha, TFim::CrLf);
      at = fim + 2;
    } else {
      f(linha, c[fim] == '\r' ? TFim::Cr : TFim::Lf);
      at = fim + 1;
    }
  }
}

bool Indefinido(unsigned char b) {
  return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}
bool Controle(unsigned char b) {
  return b < 0x20 || b == 0x7F;
}

string Zeros(long long v, int largura) {
  string s = std::to_string(v);
  if (static_cast<int>(s.size()) < largura) s.insert(0, largura - s.size(), '0');
  return s;
}

string Faixa(int pos, int tam) {
  if (tam == 1) return "posição " + Zeros(pos, 3);
  return "posições " + Zeros(pos, 3) + "-" + Zeros(pos + tam - 1, 3);
}

string Hex(unsigned char b) {
  static const char kDig[] = "0123456789ABCDEF";
  return string("0x") + kDig[b >> 4] + kDig[b & 15];
}

// File bytes quoted in a message (UTF-8 until the message is converted): what
// a reader could not show becomes "?".
string Mostra(string_view bytes) {
  string s(bytes);
  for (char& ch : s) {
    const auto b = static_cast<unsigned char>(ch);
    if (Controle(b) || Indefinido(b)) ch = '?';
  }
  return fields::Cp1252ToUtf8(s);
}

// Length of the well-formed UTF-8 sequence of two or more bytes at s[i], or 0.
size_t SequenciaUtf8(string_view s, size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  const size_t n = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  return fields::IsValidUtf8(s.substr(i, n)) ? n : 0;
}

struct TRegistro {
  string_view texto;
  int numero;  // the line's place in the file
};

// A number that should run 1, 2, 3...; valor is empty when the field is not
// digits (a fault already reported).
struct TContado {
  int registro;
  int posicao;
  int tamanho;
  std::optional<long long> valor;
};

// The value of a field of digits, or nothing: for the fields the check reads
// without holding the bank to them.
std::optional<long long> Digitos(string_view c) {
  if (c.empty() || c.find_first_not_of("0123456789") != string_view::npos) return std::nullopt;
  long long v = 0;
  for (char ch : c.substr(0, std::min<size_t>(c.size(), 18))) v = v * 10 + (ch - '0');
  return v;
}

// Cents as the operator reads money, whatever the process locale: "1.234,56".
string Centavos(long long v) {
  string s = Zeros(v % 100, 2), inteiro = std::to_string(v / 100);
  for (int i = static_cast<int>(inteiro.size()) - 3; i > 0; i -= 3) inteiro.insert(i, ".");
  return inteiro + "," + s;
}

class TVerificador {
 public:
  TVerificador(TVerificacao& v, std::span<const TCampoNumerico> numericos, bool padrao)
      : v_(v), d_(v.desvios), numericos_(numericos), padrao_(padrao) {}

  void Falha(int registro, int posicao, int tamanho, const string& utf8) {
    v_.falhas.push_back({registro, posicao, tamanho, fields::Utf8ToCp1252(utf8)});
  }

  // Line end, length and bytes of one line; empty lines are left out of the
  // records the structure is checked on.
  void Linha(string_view texto, TFim fim, int numero, int comprimento) {
    if (fim == TFim::Lf) Falha(numero, 0, 0, "registro terminado por LF sem CR");
    if (fim == TFim::Cr) Falha(numero, 0, 0, "registro terminado por CR sem LF");
    if (fim == TFim::Nenhum) Falha(numero, 0, 0, "o último registro não termina por CR LF");
    if (texto.empty()) {
      Falha(numero, 0, 0, "registro vazio (linha em branco)");
      return;
    }
    if (comprimento && static_cast<int>(texto.size()) != comprimento)
      Falha(numero, 0, 0,
            "registro com " + std::to_string(texto.size()) + " caracteres; o leiaute tem " +
                std::to_string(comprimento));
    Bytes(texto, numero);
    regs_.push_back({texto, numero});
  }

  const std::vector<TRegistro>& registros() const { return regs_; }

  // The 444-character records are the 400-character layout extended: the
  // sequence stays at 395-400 and the bank's extra data follows it.
  void Verifica400(bool estendido) {
    std::vector<TContado> seqs;
    for (size_t i = 0; i < regs_.size(); ++i) {
      const TRegistro& r = regs_[i];
      feitos_.clear();
      const char tipo = r.texto[0];
      const bool primeiro = i == 0, ultimo = i + 1 == regs_.size();
      if (primeiro && tipo != '0')
        Falha(r.numero, 1, 1, "o arquivo começa pelo header (tipo 0); este registro é do tipo " + Char(tipo));
      if (ultimo && tipo != '9')
        Falha(r.numero, 1, 1,
              "o arquivo termina pelo trailer (tipo 9); este registro é do tipo " + Char(tipo));
      if (!primeiro && !ultimo && tipo == '0') Falha(r.numero, 1, 1, "header (tipo 0) no meio do arquivo");
      if (!primeiro && !ultimo && tipo == '9')
        Falha(r.numero, 1, 1, "trailer (tipo 9) antes do fim do arquivo");
      // The sequence closes every 400-character record; one of the wrong
      // length still shows its own at its end.
      const int fim = estendido ? 400 : static_cast<int>(r.texto.size());
      const int pos = InicioDaSequencia(d_, r.texto, fim), tam = fim - pos + 1;
      const TContado seq{r.numero, pos, tam, pos >= 1 ? Numerico(r, pos, tam) : std::nullopt};
      if (!d_.detalhesContadosDe1 || (!primeiro && !ultimo)) {
        seqs.push_back(seq);
      } else if (ultimo && !primeiro && seq.valor && *seq.valor != static_cast<long long>(regs_.size()) - 2) {
        Falha(r.numero, seq.posicao, tam,
              "sequência " + Zeros(*seq.valor, tam) + "; o trailer repete a do último detalhe, " +
                  Zeros(static_cast<long long>(regs_.size()) - 2, tam));
      }
      Declarados(r, tipo);
      if (padrao_ && tipo == '1') Numerico(r, 127 + d_.deslocamento, 13);
    }
    Consecutivos(seqs, "sequência", "esperada");
  }

  void Verifica240() {
    const string_view banco = Campo(regs_[0], 1, 3);
    bool emLote = false, fim = false;
    int lotes = 0;
    long long loteEsperado = 1;
    for (size_t i = 0; i < regs_.size(); ++i) {
      const TRegistro& r = regs_[i];
      feitos_.clear();
      const char tipo = r.texto.size() >= 8 ? r.texto[7] : ' ';
      Numerico(r, 1, 3);
      Numerico(r, 4, 4);
      if (i > 0 && banco.size() == 3 && Campo(r, 1, 3).size() == 3 && Campo(r, 1, 3) != banco)
        Falha(r.numero, 1, 3,
              "banco " + Mostra(Campo(r, 1, 3)) + "; o header de arquivo é do banco " + Mostra(banco));
      if (fim) {
        Falha(r.numero, 0, 0, "registro depois do trailer de arquivo");
        continue;
      }
      if (i == 0 && tipo != '0')
        Falha(r.numero, 8, 1,
              "o arquivo começa pelo header de arquivo (tipo 0); este registro é do tipo " + Char(tipo));
      switch (tipo) {
        case '0':
          if (i > 0) Falha(r.numero, 8, 1, "header de arquivo (tipo 0) fora do início do arquivo");
          LoteFixo(r, "0000", "no header de arquivo");
          break;
        case '1': {
          if (emLote) {
            Falha(r.numero, 8, 1, "header de lote sem o trailer do lote " + Mostra(lote_.numero));
            FechaLote();
          }
          emLote = true;
          ++lotes;
          lote_ = {Campo(r, 4, 4), 1, {}, '1'};
          const auto n = Numerico(r, 4, 4);
          if (n && *n != loteEsperado)
            Falha(r.numero, 4, 4, "lote " + Zeros(*n, 4) + "; esperado " + Zeros(loteEsperado, 4));
          loteEsperado = (n ? *n : loteEsperado) + 1;
          break;
        }
        case '2':
        case '3':
        case '4':
          if (!emLote) {
            Falha(r.numero, 8, 1, "registro do tipo " + string(1, tipo) + " fora de um lote");
            break;
          }
          NoLote(r, tipo);
          if (tipo == '3') Detalhe(r);
          break;
        case '5': {
          const auto conta = Numerico(r, 18, 6);
          if (!emLote) {
            Falha(r.numero, 8, 1, "trailer de lote sem header de lote");
            break;
          }
          NoLote(r, tipo);
          const long long todos = lote_.registros, detalhes = todos - 2;
          // Some banks have the count hold the details only, so either count passes.
          if (conta && *conta != todos && *conta != detalhes)
            Falha(r.numero, 18, 6,
                  "o trailer do lote conta " + Zeros(*conta, 6) + " registros; o lote tem " +
                      std::to_string(todos) + " (" + std::to_string(detalhes) + " detalhes)");
          TotaisDoLote(r);
          FechaLote();
          emLote = false;
          break;
        }
        case '9': {
          if (emLote) {
            Falha(r.numero, 8, 1, "trailer de arquivo antes do trailer do lote " + Mostra(lote_.numero));
            FechaLote();
            emLote = false;
          }
          LoteFixo(r, d_.trailerSemContas ? "0000" : "9999", "no trailer de arquivo");
          const auto nLotes = Numerico(r, 18, 6, d_.trailerSemContas),
                     nRegs = Numerico(r, 24, 6, d_.trailerSemContas);
          const long long registros = static_cast<long long>(i) + 1;
          if (nLotes && *nLotes != lotes)
            Falha(r.numero, 18, 6,
                  "o trailer de arquivo conta " + Zeros(*nLotes, 6) + " lotes; o arquivo tem " +
                      std::to_string(lotes));
          if (nRegs && *nRegs != registros)
            Falha(r.numero, 24, 6,
                  "o trailer de arquivo conta " + Zeros(*nRegs, 6) + " registros; o arquivo tem " +
                      std::to_string(registros));
          fim = true;
          break;
        }
        default:
          Falha(r.numero, 8, 1, "tipo de registro " + Char(tipo) + " desconhecido");
      }
      Declarados(r, tipo == '3' && r.texto.size() >= 14 ? r.texto[13] : tipo);
    }
    if (emLote) {
      Falha(0, 0, 0, "falta o trailer do lote " + Mostra(lote_.numero));
      FechaLote();
    }
    if (!fim) Falha(0, 0, 0, "falta o trailer de arquivo (tipo 9)");
  }

 private:
  struct TLote {
    string_view numero;
    int registros = 0;  // header and trailer included
    std::vector<TContado> seqs;
    char ultimoTipo = '1';
    int titulos = 0;                     // segments P
    std::optional<long long> total = 0;  // their values in cents; none when one is not digits
  };

  static string Char(char c) { return "'" + Mostra(string_view(&c, 1)) + "'"; }

  static string_view Campo(const TRegistro& r, int pos, int tam) {
    if (pos < 1 || static_cast<size_t>(pos - 1 + tam) > r.texto.size()) return {};
    return r.texto.substr(pos - 1, tam);
  }

  // Control characters, bytes that Windows-1252 leaves undefined, and text in
  // UTF-8 (which the bank would read as other letters): each reported once
  // per record, at its first position.
  void Bytes(string_view t, int numero) {
    int controles = 0, indefinidos = 0;
    size_t pc = 0, pi = 0, pu = 0, nu = 0;
    for (size_t i = 0; i < t.size(); ++i) {
      const auto b = static_cast<unsigned char>(t[i]);
      if (Controle(b) && controles++ == 0) pc = i;
      if (Indefinido(b) && indefinidos++ == 0) pi = i;
      if (nu == 0 && b >= 0x80 && (nu = SequenciaUtf8(t, i)) != 0) pu = i;
    }
    const auto mais = [](int n) {
      return n > 1 ? " (e mais " + std::to_string(n - 1) + " no registro)" : "";
    };
    const auto em = [](size_t i) { return static_cast<int>(i) + 1; };
    if (controles) Falha(numero, em(pc), 1, "caractere de controle " + Hex(t[pc]) + mais(controles));
    if (indefinidos)
      Falha(numero, em(pi), 1, "byte " + Hex(t[pi]) + ", que o Windows-1252 não define" + mais(indefinidos));
    if (nu)
      Falha(numero, em(pu), static_cast<int>(nu),
            "texto em UTF-8 (\"" + string(t.substr(pu, nu)) + "\"); o arquivo deve estar em Windows-1252");
  }

  // A field the bank reads as a number: digits only. Returns its value, or
  // nothing when it is not a number or lies past the end of a short record
  // (the length is the fault there). A field is checked once per record.
  std::optional<long long> Numerico(const TRegistro& r, int pos, int tam, bool brancos = false) {
    const string_view c = Campo(r, pos, tam);
    if (c.empty()) return std::nullopt;
    const bool visto = std::find(feitos_.begin(), feitos_.end(), std::pair{pos, tam}) != feitos_.end();
    feitos_.emplace_back(pos, tam);
    if (const auto v = Digitos(c)) return v;
    const size_t k = c.find_first_not_of("0123456789");
    if (visto) return std::nullopt;
    if (c.find_first_not_of(' ') == string_view::npos) {
      if (!brancos) Falha(r.numero, pos, tam, "campo numérico em branco");
      return std::nullopt;
    }
    const string o = c[k] == ' ' ? "um branco" : Char(c[k]);
    Falha(
        r.numero, pos, tam,
        "campo numérico com " + o + " na " + Faixa(pos + static_cast<int>(k), 1) + ": \"" + Mostra(c) + "\"");
    return std::nullopt;
  }

  void Declarados(const TRegistro& r, char chave) {
    for (const TCampoNumerico& c : numericos_)
      if (c.tipo == '*' || c.tipo == chave) Numerico(r, c.posicao, c.tamanho, c.brancos);
  }

  // Numbers that run from 1. A number that is off by itself is one fault; a
  // jump (a record left out or doubled) is one fault too, and the count goes
  // on from the number found, so one slip does not fault every record after.
  void Consecutivos(const std::vector<TContado>& xs, const string& nome, const string& esperado) {
    long long e = 1;
    for (size_t i = 0; i < xs.size(); ++i) {
      const auto& v = xs[i].valor;
      const int tam = xs[i].tamanho;
      if (v && *v != e) {
        Falha(xs[i].registro, xs[i].posicao, tam,
              nome + " " + Zeros(*v, tam) + "; " + esperado + " " + Zeros(e, tam));
        const bool salto = i + 1 < xs.size() && xs[i + 1].valor && *xs[i + 1].valor == *v + 1;
        e = salto ? *v : e;
      }
      ++e;
    }
  }

  void LoteFixo(const TRegistro& r, string_view esperado, const string& onde) {
    const string_view lote = Campo(r, 4, 4);
    if (lote.size() == 4 && lote != esperado)
      Falha(r.numero, 4, 4, "lote " + Mostra(lote) + " " + onde + "; esperado " + string(esperado));
  }

  void NoLote(const TRegistro& r, char tipo) {
    ++lote_.registros;
    const string_view lote = Campo(r, 4, 4);
    if (lote.size() == 4 && lote != lote_.numero)
      Falha(r.numero, 4, 4, "lote " + Mostra(lote) + " num registro do lote " + Mostra(lote_.numero));
    if (tipo < lote_.ultimoTipo)
      Falha(r.numero, 8, 1,
            "registro do tipo " + string(1, tipo) + " depois de um do tipo " + string(1, lote_.ultimoTipo) +
                " no lote");
    lote_.ultimoTipo = std::max(lote_.ultimoTipo, tipo);
  }

  void Detalhe(const TRegistro& r) {
    lote_.seqs.push_back({r.numero, 9, 5, Numerico(r, 9, 5)});
    const string_view seg = Campo(r, 14, 1);
    if (seg == "P") {
      ++lote_.titulos;
      const auto valor = Digitos(Campo(r, 86, 15));
      lote_.total = lote_.total && valor ? std::optional(*lote_.total + *valor) : std::nullopt;
    }
    if (seg.size() == 1 && !(seg[0] >= 'A' && seg[0] <= 'Z'))
      Falha(r.numero, 14, 1, "segmento " + Char(seg[0]) + " inválido; o detalhe leva a letra do segmento");
  }

  // The lot's titles and their total, by portfolio (simple, linked, secured,
  // discounted collection) at 024-029/030-046 and each 23 positions on, where
  // the bank writes them: a bank that leaves them blank or zero is not held.
  void TotaisDoLote(const TRegistro& r) {
    long long titulos = 0, total = 0;
    for (int pos = 24; pos <= 93; pos += 23) {
      titulos += Digitos(Campo(r, pos, 6)).value_or(0);
      total += Digitos(Campo(r, pos + 6, 17)).value_or(0);
    }
    if (titulos && titulos != lote_.titulos)
      Falha(r.numero, 24, 6,
            "o trailer do lote conta " + std::to_string(titulos) + " títulos; o lote tem " +
                std::to_string(lote_.titulos));
    if (total && lote_.total && total != *lote_.total)
      Falha(r.numero, 30, 17,
            "o trailer do lote soma " + Centavos(total) + "; os títulos do lote somam " +
                Centavos(*lote_.total));
  }

  void FechaLote() { Consecutivos(lote_.seqs, "número do registro no lote", "esperado"); }

  TVerificacao& v_;
  const TDesvios& d_;
  std::span<const TCampoNumerico> numericos_;
  bool padrao_;
  std::vector<TRegistro> regs_;
  std::vector<std::pair<int, int>> feitos_;  // numeric fields checked in the current record
  TLote lote_;
};

}  // namespace

TFamilia FamiliaDe(std::string_view conteudo) {
  const size_t fim = std::min(conteudo.find_first_of("\r\n"), conteudo.size());
  if (TFamilia f = PorComprimento(fim); f != TFamilia::Desconhecida) return f;
  // The first record may be the faulty one.
  int conta[3] = {};
  ParaCadaLinha(conteudo, [&](string_view linha, TFim) {
    const TFamilia f = PorComprimento(linha.size());
    if (f != TFamilia::Desconhecida) ++conta[static_cast<int>(f)];
  });
  const int* maior = std::max_element(conta, conta + 3);
  return *maior ? static_cast<TFamilia>(maior - conta) : TFamilia::Desconhecida;
}

TVerificacao VerificaArquivo(std::string_view conteudo, std::span<const TCampoNumerico> numericos,
                             bool padrao) {
  TVerificacao v;
  v.familia = FamiliaDe(conteudo);
  v.banco = BancoDoHeader(v.familia, conteudo);
  v.desvios = DesviosDoBanco(v.familia, v.banco);
  TVerificador c(v, numericos, padrao);
  if (conteudo.empty()) {
    c.Falha(0, 0, 0, "arquivo vazio");
    return v;
  }
  const int comprimento = Comprimento(v.familia);
  for (const TCampoNumerico& n : numericos)
    if (n.posicao < 1 || n.tamanho < 1 || (comprimento && n.posicao - 1 + n.tamanho > comprimento))
      throw std::invalid_argument("numeric field " + std::to_string(n.posicao) + "/" +
                                  std::to_string(n.tamanho) + " lies outside the record");
  ParaCadaLinha(conteudo,
                [&](string_view linha, TFim fim) { c.Linha(linha, fim, ++v.registros, comprimento); });
  if (c.registros().empty()) {
    c.Falha(0, 0, 0, "arquivo sem registros");
  } else if (v.familia == TFamilia::Desconhecida) {
    c.Falha(0, 0, 0,
            "registros de " + std::to_string(c.registros()[0].texto.size()) +
                " caracteres; os leiautes CNAB têm 240, 400 ou 444");
  } else if (v.familia == TFamilia::Cnab240) {
    c.Verifica240();
  } else {
    c.Verifica400(v.familia == TFamilia::Cnab444);
  }
  std::stable_sort(v.falhas.begin(), v.falhas.end(), [](const TFalha& a, const TFalha& b) {
    return std::pair{a.registro, a.posicao} < std::pair{b.registro, b.posicao};
  });
  return v;
}

std::string Descreve(const TFalha& f) {
  string s = f.registro ? "registro " + std::to_string(f.registro) : "arquivo";
  if (f.posicao) s += ", " + Faixa(f.posicao, f.tamanho);
  return fields::Utf8ToCp1252(s) + ": " + f.texto;
}

}  // namespace layouts
