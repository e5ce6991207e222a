// Return files: a bank's answer applied to the titles it names, in one unit
// of work; the files read, and their occurrences, kept and listed.
#include <algorithm>
#include <map>
#include <optional>

#include "host/context.h"
#include "server/packets.h"
#include "server/remessa_server.h"
#include "server/server_common.h"

namespace server {

using namespace detail;

namespace {

// Occurrences named in a refusal before "and N more".
constexpr size_t kNomeadas = 5;

std::string Digitos(std::string_view s) {
  std::string d;
  for (char c : s)
    if (c >= '0' && c <= '9') d += c;
  return d;
}

std::string SemZeros(std::string_view d) {
  const size_t a = d.find_first_not_of('0');
  return a == std::string_view::npos ? std::string() : std::string(d.substr(a));
}

// The same number, whatever zeros fill it; nothing is the same as no number.
bool MesmoNumero(std::string_view a, std::string_view b) {
  const std::string x = SemZeros(Digitos(a));
  return !x.empty() && x == SemZeros(Digitos(b));
}

// A stored agency or account may carry its check digit ("1234-5",
// "00098765-4"); the bank's header gives the number without it.
bool MesmaConta(std::string_view guardada, std::string_view doArquivo) {
  const std::string g = Digitos(guardada);
  return MesmoNumero(g, doArquivo) || (g.size() > 1 && MesmoNumero(g.substr(0, g.size() - 1), doArquivo));
}

// A company's tax id: the same number, or the same CNPJ root (another branch).
bool MesmaInscricao(std::string_view guardada, std::string_view doArquivo) {
  const std::string g = Digitos(guardada), a = Digitos(doArquivo);
  if (MesmoNumero(g, a)) return true;
  return g.size() == 14 && a.size() >= 14 && g.substr(0, 8) == a.substr(a.size() - 14, 8);
}

struct TCampos {
  const TPacket& p;
  const host::Row& r;
  std::string S(const char* n) const {
    const int i = p.IndexOf(n);
    if (i < 0) return {};
    return fields::AllTrim(
        host::ValueToString(r[static_cast<size_t>(i)], p.Fields[static_cast<size_t>(i)].DataType));
  }
  double F(const char* n) const {
    const int i = p.IndexOf(n);
    if (i < 0) return 0;
    const Value& v = r[static_cast<size_t>(i)];
    if (const auto* d = std::get_if<double>(&v)) return *d;
    if (const auto* n64 = std::get_if<int64_t>(&v)) return static_cast<double>(*n64);
    return 0;
  }
};

struct TConta {
  std::string reduzida, empresa, banco, bancoCnab, agencia, conta;
  std::vector<std::string> codigos;  // the company's codes at the bank for this account
};

// What the header says of the account, for a message.
std::string Descreve(const TCampos& h) {
  std::string d = "banco " + U(h.S("CDBANCO"));
  if (!SemZeros(Digitos(h.S("CDAGENCIA"))).empty()) d += ", agência " + U(h.S("CDAGENCIA"));
  if (!SemZeros(Digitos(h.S("CDCONTA"))).empty()) d += ", conta " + U(h.S("CDCONTA"));
  if (!SemZeros(Digitos(h.S("CDCODEMPRESA"))).empty()) d += ", código da empresa " + U(h.S("CDCODEMPRESA"));
  return d;
}

// The account the header names: its bank, then its agency and account, or
// the company's code at the bank where the layout sends that instead.
bool ContaDoArquivo(const TConta& c, const TCampos& h) {
  const std::string banco = h.S("CDBANCO");
  if (banco != c.banco && banco != c.bancoCnab) return false;
  if (MesmaConta(c.agencia, h.S("CDAGENCIA")) && MesmaConta(c.conta, h.S("CDCONTA"))) return true;
  const std::string codigo = h.S("CDCODEMPRESA");
  for (const auto& k : c.codigos)
    if (MesmoNumero(k, codigo) || MesmaConta(k, codigo)) return true;
  return false;
}

std::vector<TConta> Contas(const store::Db& db, const std::string& empresa, const std::string& reduzida) {
  auto st = db.Prepare(
      "SELECT C.CDREDUCONT, C.CDEMPRESA, COALESCE(C.CDBANCO, ''), COALESCE(C.CDBANCCNAB, ''), "
      "COALESCE(C.CDAGENCIA, ''), COALESCE(C.CDCONTCORR, ''), COALESCE(C.CDCEDENTEBAN, ''), "
      "COALESCE(C.CDIDRECCONTCORR, ''), COALESCE(E.CDEMPBANCREC, '') "
      "FROM CONTCORR C LEFT JOIN EMPRBANC E ON E.CDEMPRESA = C.CDEMPRESA AND E.CDBANCO = C.CDBANCO "
      "WHERE (?1 = '' OR C.CDEMPRESA = ?1) AND (?2 = '' OR C.CDREDUCONT = ?2) ORDER BY C.CDREDUCONT");
  BindU(st, 1, empresa);
  BindU(st, 2, reduzida);
  std::vector<TConta> v;
  while (st.Step()) {
    TConta c{W(st.Text(0)), W(st.Text(1)), W(st.Text(2)), W(st.Text(3)), W(st.Text(4)), W(st.Text(5)), {}};
    for (int i = 6; i <= 8; ++i)
      if (!Blank(st.Text(i))) c.codigos.push_back(W(st.Text(i)));
    v.push_back(std::move(c));
  }
  return v;
}

TConta EscolheConta(const store::Db& db, const std::string& empresa, const TCampos& h) {
  const std::string dada = h.S("CDREDUCONT");
  const std::vector<TConta> contas = Contas(db, empresa, dada);
  if (!dada.empty() && contas.empty())
    throw Refusal("Conta corrente " + U(dada) + " não cadastrada" +
                  (empresa.empty() ? "" : " na empresa " + U(empresa)) + ".");
  std::vector<const TConta*> aceitas;
  for (const auto& c : contas)
    if (ContaDoArquivo(c, h)) aceitas.push_back(&c);
  if (aceitas.empty()) {
    if (!dada.empty())
      throw Refusal("O arquivo retorno é de outra conta (" + Descreve(h) + "), não da conta corrente " +
                    U(dada) + " (banco " + U(contas[0].banco) + ", agência " + U(contas[0].agencia) +
                    ", conta " + U(contas[0].conta) + "). Nada foi alterado.");
    throw Refusal("Nenhuma conta corrente" + (empresa.empty() ? "" : " da empresa " + U(empresa)) +
                  " corresponde ao arquivo retorno (" + Descreve(h) + "). Nada foi alterado.");
  }
  if (aceitas.size() > 1)
    throw Refusal("Mais de uma conta corrente corresponde ao arquivo retorno (" + Descreve(h) +
                  "): informe a conta. Nada foi alterado.");
  return *aceitas[0];
}

void VerificaEmpresa(const store::Db& db, const std::string& empresa, const TCampos& h) {
  const std::string inscricao = h.S("NRINSCRICAO");
  if (SemZeros(Digitos(inscricao)).empty()) return;  // the layout does not say
  auto st = db.Prepare(
      "SELECT NRINSJUREMPR FROM EMPRESA WHERE CDEMPRESA = ?1 UNION ALL "
      "SELECT NRINSJURFILI FROM FILIAL WHERE CDEMPRESA = ?1");
  BindU(st, 1, empresa);
  while (st.Step())
    if (!st.IsNull(0) && MesmaInscricao(st.Text(0), inscricao)) return;
  throw Refusal("O arquivo retorno é de outra empresa (inscrição " + U(inscricao) + "), não da empresa " +
                U(empresa) + ". Nada foi alterado.");
}

struct TTitulo {
  std::string filial, numero, situacao;
};

// Finds the titles an occurrence names: by the company's own identification
// the remittance wrote (branch and title number, with the portfolio after
// "CART" where the layout adds it), else by the nosso número.
class TBusca {
 public:
  TBusca(const store::Db& db, std::string empresa, std::string conta)
      : db_(db), empresa_(std::move(empresa)), conta_(std::move(conta)) {
    auto st = db_.Prepare("SELECT CDFILIAL FROM FILIAL ORDER BY length(CDFILIAL) DESC");
    while (st.Step()) filiais_.push_back(st.Text(0));
  }

  // nullopt with the reason when no title of the account is named.
  std::optional<TTitulo> Acha(const std::string& identificacao, const std::string& nosso,
                              std::string& porque) {
    std::string base = U(identificacao);
    if (const size_t cart = base.find("CART"); cart != std::string::npos && cart > 0) base.resize(cart);
    for (const auto& f : filiais_) {
      if (base.size() <= f.size() || base.compare(0, f.size(), f) != 0) continue;
      if (auto t = Le(f, base.substr(f.size()), porque)) return t;
      if (!porque.empty()) return std::nullopt;
    }
    const std::string d = SemZeros(Digitos(nosso));
    if (d.empty()) {
      porque = "título não encontrado";
      return std::nullopt;
    }
    CarregaNossos();
    // The bank may return the number with or without the check digit that
    // the stored one may or may not carry: each stored number is kept with
    // and without its last digit, and the bank's is looked up both ways.
    std::vector<std::pair<std::string, std::string>> achados;
    for (const std::string& k : {d, SemZeros(d.substr(0, d.size() - 1))}) {
      auto [de, ate] = nossos_.equal_range(k);
      for (auto i = de; i != ate; ++i)
        if (std::find(achados.begin(), achados.end(), i->second) == achados.end())
          achados.push_back(i->second);
      if (!achados.empty()) break;
    }
    if (achados.size() > 1) {
      porque = "nosso número de mais de um título";
      return std::nullopt;
    }
    if (achados.empty()) {
      porque = "título não encontrado";
      return std::nullopt;
    }
    if (auto t = Le(achados[0].first, achados[0].second, porque)) return t;
    if (porque.empty()) porque = "título não encontrado";
    return std::nullopt;
  }

 private:
  // The title of the company under those keys (UTF-8, as the store holds them).
  std::optional<TTitulo> Le(const std::string& filial, const std::string& numero, std::string& porque) {
    auto st = db_.Cached(
        "SELECT B.CDFILIAL, B.NRLANBOLREC, COALESCE(B.IDSITUCNABR, '00'), B.NRCNABRECREM, B.CDREDUCONT, "
        "R.CDREDUCONT FROM BOLETOREC B LEFT JOIN CNABREC R ON R.CDEMPRESA = B.CDEMPRESA AND R.NRCNABREC = "
        "B.NRCNABRECREM WHERE B.CDEMPRESA = ? AND B.CDFILIAL = ? AND B.NRLANBOLREC = ?");
    BindU(st, 1, empresa_);
    st.BindText(2, filial);
    st.BindText(3, numero);
    if (!st.Step()) return std::nullopt;
    if (st.IsNull(3)) {
      porque = "título nunca enviado em remessa";
      return std::nullopt;
    }
    const std::string conta = st.IsNull(5) ? (st.IsNull(4) ? "" : st.Text(4)) : st.Text(5);
    if (!IgualU(conta_, conta)) {
      porque = "título enviado por outra conta (" + conta + ")";
      return std::nullopt;
    }
    return TTitulo{W(st.Text(0)), W(st.Text(1)), W(st.Text(2))};
  }

  void CarregaNossos() {
    if (nossosLidos_) return;
    nossosLidos_ = true;
    auto st = db_.Prepare(
        "SELECT CDNOSNUMREC, CDFILIAL, NRLANBOLREC FROM BOLETOREC WHERE CDEMPRESA = ? AND CDNOSNUMREC IS NOT "
        "NULL "
        "AND NRCNABRECREM IS NOT NULL");
    BindU(st, 1, empresa_);
    while (st.Step()) {
      const std::string d = SemZeros(Digitos(st.Text(0)));
      if (d.empty()) continue;
      nossos_.emplace(d, std::make_pair(st.Text(1), st.Text(2)));
      if (d.size() > 1)
        nossos_.emplace(SemZeros(d.substr(0, d.size() - 1)), std::make_pair(st.Text(1), st.Text(2)));
    }
  }

  const store::Db& db_;
  std::string empresa_, conta_;
  std::vector<std::string> filiais_;
  bool nossosLidos_ = false;
  std::multimap<std::string, std::pair<std::string, std::string>> nossos_;
};

// What an occurrence does to a title in the situation it is in: the new
// situation (empty: unchanged) and, in words, what was done.
struct TEfeito {
  std::string situacao, resultado;
};

TEfeito Efeito(const std::string& letra, const std::string& situacao) {
  if (letra == "-") return {"", "listada; nada a fazer no título"};
  if (situacao == "90" && letra != "L" && letra != "B")
    return {"", "título já baixado via CNAB; nada alterado"};
  if (letra == "C") return {"20", "entrada confirmada"};
  if (letra == "R") return {"01", "entrada recusada"};
  if (letra == "L") return {"90", "liquidado"};
  if (letra == "B") return {"90", "baixado"};
  if (letra == "A") return {"20", "alteração confirmada"};
  return {"", "efeito desconhecido; nada alterado"};
}

}  // namespace

TServerReply TRemessaServer::SetRetorno(const std::string& cdOperador, const std::string& cdEmpresa,
                                        const TPacket& arquivo, const TPacket& ocorrencias, bool parcial) {
  return Guard([&] {
    require_connected();
    if (arquivo.Rows.size() != 1) throw Refusal("SetRetorno: esperado um cabeçalho de arquivo retorno.");
    RequireFields(arquivo, {"CDBANCO", "DSDIGEST", "NRSEQRETORNO", "DTARQUIVO"}, "SetRetorno");
    RequireFields(ocorrencias, {"NRREGISTRO", "IDEFEITO", "DSIDENTIF", "CDNOSNUM"}, "SetRetorno");
    const TCampos h{arquivo, arquivo.Rows[0]};
    TServerReply reply;
    Write([&] {
      const TConta conta = EscolheConta(db(), cdEmpresa, h);
      VerificaEmpresa(db(), conta.empresa, h);
      const std::string empresa = conta.empresa;

      // The same bytes read before: nothing to do, and the caller is told.
      const auto lido =
          db().Scalar("SELECT NRARQRETORNO FROM ARQRETORNO WHERE CDEMPRESA = ? AND DSDIGEST = ?",
                      {UV(empresa), UV(h.S("DSDIGEST"))});
      if (!std::holds_alternative<std::monostate>(lido)) {
        const int64_t nr = std::get<int64_t>(lido);
        reply.Array.push_back(
            Fetch(db(), PacketFields("ARQRETORNO"),
                  "SELECT '' AS NRINSCRICAO, '' AS CDAGENCIA, '' AS CDCONTA, '' AS CDCODEMPRESA, * "
                  "FROM ARQRETORNO WHERE CDEMPRESA = ? AND NRARQRETORNO = ?",
                  {UV(empresa), Value(nr)}));
        reply.Packet =
            Fetch(db(), PacketFields("OCORRETORNO"),
                  "SELECT * FROM OCORRETORNO WHERE CDEMPRESA = ? AND NRARQRETORNO = ? ORDER BY NRREGISTRO",
                  {UV(empresa), Value(nr)});
        reply.Text = "0";
        return;
      }
      // Another file under the number and date the bank gave one already read.
      if (!SemZeros(Digitos(h.S("NRSEQRETORNO"))).empty()) {
        const auto outro = db().Scalar(
            "SELECT NRARQRETORNO FROM ARQRETORNO WHERE CDEMPRESA = ? AND CDREDUCONT = ? AND NRSEQRETORNO = ? "
            "AND "
            "DTARQUIVO IS NOT DISTINCT FROM ?",
            {UV(empresa), UV(conta.reduzida), UV(h.S("NRSEQRETORNO")),
             h.S("DTARQUIVO").empty() ? Value() : UV(h.S("DTARQUIVO"))});
        if (!std::holds_alternative<std::monostate>(outro))
          throw Refusal("Outro arquivo retorno com a sequência " + U(h.S("NRSEQRETORNO")) +
                        " e a mesma data já foi lido "
                        "para a conta " +
                        U(conta.reduzida) + " (retorno " + std::to_string(std::get<int64_t>(outro)) +
                        "), com outro conteúdo. Nada foi alterado.");
      }
      const int64_t nr = [&] {
        const auto m =
            db().Scalar("SELECT MAX(NRARQRETORNO) FROM ARQRETORNO WHERE CDEMPRESA = ?", {UV(empresa)});
        return std::holds_alternative<int64_t>(m) ? std::get<int64_t>(m) + 1 : int64_t{1};
      }();
      const std::string referencia =
          SemZeros(Digitos(h.S("NRSEQRETORNO"))).empty() ? std::to_string(nr) : h.S("NRSEQRETORNO");

      TBusca busca(db(), empresa, conta.reduzida);
      TPacket saida;
      saida.Fields = PacketFields("OCORRETORNO");
      std::vector<std::string> faltam;
      int aplicadas = 0, naoAchadas = 0;
      auto grava = db().Prepare(
          "INSERT INTO OCORRETORNO (CDEMPRESA, NRARQRETORNO, NRREGISTRO, CDOCORRENCIA, DSOCORRENCIA, "
          "IDEFEITO, "
          "DSMOTIVOS, DSIDENTIF, CDNOSNUM, DSDOCUMENTO, DTVENCIMENTO, DTOCORRENCIA, DTCREDITO, VRTITULO, "
          "VRPAGO, "
          "VRTARIFA, VRJUROS, VRDESCONTO, VRABATIMENTO, CDFILIAL, NRLANBOLREC, IDSITUANTES, IDSITUDEPOIS, "
          "DSRESULTADO) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, "
          "?18, ?19, "
          "?20, ?21, ?22, ?23, ?24)");
      auto altera = db().Prepare(
          "UPDATE BOLETOREC SET IDSITUCNABR = COALESCE(?3, IDSITUCNABR), NRRETCNABREC = ?4, "
          "DSMOTIVRET = CASE WHEN ?5 = 'R' THEN ?6 WHEN ?3 IS NOT NULL THEN NULL ELSE DSMOTIVRET END, "
          "VRPAGORET = CASE WHEN ?5 = 'L' THEN ?7 ELSE VRPAGORET END, "
          "DTPAGORET = CASE WHEN ?5 = 'L' THEN ?8 ELSE DTPAGORET END, "
          "IDBOLRECALTER = CASE WHEN ?5 = 'A' AND ?3 IS NOT NULL THEN '1' ELSE IDBOLRECALTER END "
          "WHERE CDFILIAL = ?1 AND NRLANBOLREC = ?2");
      for (const auto& row : ocorrencias.Rows) {
        const TCampos o{ocorrencias, row};
        std::string porque;
        const auto t = busca.Acha(o.S("DSIDENTIF"), o.S("CDNOSNUM"), porque);
        host::Row r(saida.Fields.size());
        for (size_t i = 0; i < saida.Fields.size(); ++i) {
          const int j = ocorrencias.IndexOf(saida.Fields[i].Name);
          if (j >= 0) r[i] = row[static_cast<size_t>(j)];
        }
        const std::string letra = o.S("IDEFEITO").empty() ? "-" : o.S("IDEFEITO");
        std::string resultado;
        if (!t) {
          ++naoAchadas;
          resultado = porque;
          if (faltam.size() < kNomeadas)
            faltam.push_back("registro " + o.S("NRREGISTRO") + " (identificação \"" + U(o.S("DSIDENTIF")) +
                             "\", nosso número \"" + U(o.S("CDNOSNUM")) + "\": " + porque + ")");
        } else {
          const TEfeito e = Efeito(letra, t->situacao);
          resultado = e.resultado;
          if (!e.situacao.empty()) ++aplicadas;
          BindU(altera, 1, t->filial);
          BindU(altera, 2, t->numero);
          if (e.situacao.empty())
            altera.BindNull(3);
          else
            altera.BindText(3, e.situacao);
          BindU(altera, 4, referencia);
          altera.BindText(5, e.situacao.empty() ? "-" : letra);
          BindU(altera, 6, o.S("DSMOTIVOS"));
          altera.Bind(7, Value(o.F("VRPAGO")));
          const std::string data = o.S("DTOCORRENCIA").empty() ? o.S("DTCREDITO") : o.S("DTOCORRENCIA");
          if (data.empty())
            altera.BindNull(8);
          else
            altera.BindText(8, data);
          altera.Step();
          altera.Reset();
          r[static_cast<size_t>(saida.IndexOf("CDFILIAL"))] = Value(host::TText(t->filial));
          r[static_cast<size_t>(saida.IndexOf("NRLANBOLREC"))] = Value(host::TText(t->numero));
          r[static_cast<size_t>(saida.IndexOf("IDSITUANTES"))] = Value(host::TText(t->situacao));
          r[static_cast<size_t>(saida.IndexOf("IDSITUDEPOIS"))] =
              Value(host::TText(e.situacao.empty() ? t->situacao : e.situacao));
        }
        r[static_cast<size_t>(saida.IndexOf("IDEFEITO"))] = Value(host::TText(letra));
        r[static_cast<size_t>(saida.IndexOf("DSRESULTADO"))] = Value(W(resultado));
        saida.Rows.push_back(std::move(r));
      }
      if (naoAchadas > 0 && !parcial) {
        std::string texto = "O arquivo retorno tem " + std::to_string(naoAchadas) +
                            " ocorrência(s) sem título correspondente da conta " + U(conta.reduzida) + ": ";
        for (size_t i = 0; i < faltam.size(); ++i) texto += (i ? "; " : "") + faltam[i];
        if (static_cast<size_t>(naoAchadas) > faltam.size())
          texto += "; e mais " + std::to_string(naoAchadas - static_cast<int>(faltam.size()));
        throw Refusal(texto + ". Nada foi alterado.");
      }

      const std::string agora = fields::DateTimeToIso(host::Corvane().Now());
      auto cab = db().Prepare(
          "INSERT INTO ARQRETORNO (CDEMPRESA, NRARQRETORNO, CDREDUCONT, CDBANCO, DSLEIAUTE, DTARQUIVO, "
          "NRSEQRETORNO, "
          "DSDIGEST, DSARQUIVO, DTLEITURA, CDOPERADOR, QTOCORRENCIAS, QTAPLICADAS, QTNAOENCONTR) "
          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
      BindU(cab, 1, empresa);
      cab.BindInt(2, nr);
      BindU(cab, 3, conta.reduzida);
      BindU(cab, 4, h.S("CDBANCO"));
      BindU(cab, 5, h.S("DSLEIAUTE"));
      if (h.S("DTARQUIVO").empty())
        cab.BindNull(6);
      else
        BindU(cab, 6, h.S("DTARQUIVO"));
      BindU(cab, 7, h.S("NRSEQRETORNO"));
      BindU(cab, 8, h.S("DSDIGEST"));
      BindU(cab, 9, h.S("DSARQUIVO"));
      cab.BindText(10, agora);
      BindU(cab, 11, cdOperador);
      cab.BindInt(12, static_cast<int64_t>(ocorrencias.Rows.size()));
      cab.BindInt(13, aplicadas);
      cab.BindInt(14, naoAchadas);
      cab.Step();

      for (const auto& r : saida.Rows) {
        BindU(grava, 1, empresa);
        grava.BindInt(2, nr);
        for (size_t i = 0; i < saida.Fields.size(); ++i) {
          const Value& v = r[i];
          if (const auto* tx = std::get_if<host::TText>(&v))
            BindU(grava, static_cast<int>(i) + 3, tx->view());
          else
            grava.Bind(static_cast<int>(i) + 3, v);
        }
        grava.Step();
        grava.Reset();
      }
      reply.Array.push_back(
          Fetch(db(), PacketFields("ARQRETORNO"),
                "SELECT ? AS NRINSCRICAO, ? AS CDAGENCIA, ? AS CDCONTA, ? AS CDCODEMPRESA, * FROM "
                "ARQRETORNO WHERE CDEMPRESA = ? AND NRARQRETORNO = ?",
                {UV(h.S("NRINSCRICAO")), UV(h.S("CDAGENCIA")), UV(h.S("CDCONTA")), UV(h.S("CDCODEMPRESA")),
                 UV(empresa), Value(nr)}));
      reply.Packet = std::move(saida);
      reply.Text = "1";
    });
    return reply;
  });
}

TServerReply TRemessaServer::GetRetornos(const std::string& cdEmpresa) {
  return Guard([&] {
    require_connected();
    return TServerReply::Of(
        Fetch(db(), PacketFields("ARQRETORNO"),
              "SELECT '' AS NRINSCRICAO, '' AS CDAGENCIA, '' AS CDCONTA, '' AS CDCODEMPRESA, * "
              "FROM ARQRETORNO WHERE (?1 = '' OR CDEMPRESA = ?1) ORDER BY DTLEITURA DESC, "
              "CDEMPRESA, NRARQRETORNO DESC",
              {UV(cdEmpresa)}));
  });
}

TServerReply TRemessaServer::GetOcorrRetorno(const std::string& cdEmpresa, int64_t nrArqRetorno) {
  return Guard([&] {
    require_connected();
    return TServerReply::Of(
        Fetch(db(), PacketFields("OCORRETORNO"),
              "SELECT * FROM OCORRETORNO WHERE CDEMPRESA = ? AND NRARQRETORNO = ? ORDER BY "
              "NRREGISTRO",
              {UV(cdEmpresa), Value(nrArqRetorno)}));
  });
}

}  // namespace server
