// Every writer of the catalogue on many stores drawn at random (see
// random_store.h): whatever the store holds, a run either refuses with the
// catalogue's message and changes nothing (no batch, no title state, no
// sequence, the file that was at the path untouched, no staging file left),
// or writes a file that passes the bank's checks and holds exactly the
// batch's titles, each with its value and due date. The seed is fixed, so a
// failure is the same on every machine; REMESSA_LOJAS (stores per writer)
// and REMESSA_SEMENTE (the seed) draw more, as make fuzz does.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/escritores.h"
#include "fields/cp1252.h"
#include "host/staging.h"
#include "layouts/record.h"
#include "layouts/support/random_store.h"
#include "server/import.h"
#include "support/store.h"

using namespace testsupport;
using layouts::TEscritor;
using layouts::TFamilia;

namespace {

int Ambiente(const char* nome, int padrao) {
  const char* v = std::getenv(nome);
  return v && *v ? std::atoi(v) : padrao;
}

std::string Le(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// What a refused run must leave as it found: the batches, every title's
// remittance state and batch, the stored files. The account's remittance
// sequence is not among them: the form draws it when it includes the batch,
// before any writer runs, as it draws the batch's number.
std::string Estado(server::store::Db& db) {
  std::string s;
  for (const char* sql : {"SELECT CDEMPRESA, NRCNABREC FROM CNABREC ORDER BY 1, 2",
                          "SELECT CDFILIAL, NRLANBOLREC, IDSITUCNABR, NRCNABRECREM, IDOPECNABREC, "
                          "IDBOLRECALTER FROM BOLETOREC ORDER BY 1, 2",
                          "SELECT NRCNABREC, DSARQUIVO FROM ARQREMESSA ORDER BY 1"}) {
    auto st = db.Prepare(sql);
    while (st.Step()) {
      for (int i = 0; i < st.Columns(); ++i) s += (st.IsNull(i) ? "<null>" : st.Text(i)) + "|";
      s += "\n";
    }
    s += "--\n";
  }
  return s;
}

// A title as the file and the store must both tell it: value in cents and
// due date as the family writes it.
using TItem = std::pair<long long, std::string>;

// "AAAA-MM-DD" as DDMMAA (CNAB 400 and 444) or DDMMAAAA (CNAB 240).
std::string DataDoArquivo(const std::string& iso, TFamilia f) {
  if (iso.size() < 10) return {};
  const std::string ano = f == TFamilia::Cnab240 ? iso.substr(0, 4) : iso.substr(2, 2);
  return iso.substr(8, 2) + iso.substr(5, 2) + ano;
}

std::vector<TItem> DoLote(server::store::Db& db, const std::string& lote, TFamilia f) {
  std::vector<TItem> v;
  auto st = db.Prepare("SELECT VRFINALBREC, DTVENBOLREC FROM BOLETOREC WHERE NRCNABRECREM = ?");
  st.BindText(1, lote);
  while (st.Step()) v.emplace_back(std::llround(st.Double(0) * 100), DataDoArquivo(st.Text(1), f));
  std::sort(v.begin(), v.end());
  return v;
}

// The details' value and due date at the family's positions (a CNAB 240
// title is its segment P), moved where the bank's layout moves them.
// Nossa Caixa's segment P carries them one position on.
std::vector<TItem> DoArquivo(const std::string& texto, const layouts::TVerificacao& ver, const TEscritor& e) {
  std::vector<TItem> v;
  const int k = ver.desvios.deslocamento + (std::string(e.nome) == "Remessa_BcoNossaCaixa");
  for (size_t at = 0; at < texto.size();) {
    const size_t fim = std::min(texto.find("\r\n", at), texto.size());
    const std::string r = texto.substr(at, fim - at);
    at = fim + 2;
    auto num = [&](int pos, int len) { return std::atoll(r.substr(pos - 1, len).c_str()); };
    if (ver.familia == TFamilia::Cnab240 && r.size() == 240 && r[7] == '3' && r[13] == 'P')
      v.emplace_back(num(86 + k, 15), r.substr(77 + k, 8));
    else if (ver.familia != TFamilia::Cnab240 && r.size() >= 400 && r[0] == '1')
      v.emplace_back(num(127 + k, 13), r.substr(120 + k, 6));
  }
  std::sort(v.begin(), v.end());
  return v;
}

std::string Descreve(const std::vector<TItem>& v) {
  std::string s;
  for (const auto& [valor, data] : v) s += std::to_string(valor) + "@" + data + " ";
  return s;
}

// Where the runs write, the test's own; removed when the writer's stores are done.
std::filesystem::path Pasta() {
  return std::filesystem::temp_directory_path() / ("remessa-aleatoria-" + std::to_string(::getpid()));
}

struct TContagem {
  int escritos = 0, recusados = 0, naImportacao = 0;
  std::map<std::string, int> chaves;  // the refusals by the catalogue's key
};

// A writer that no bank code sends a batch to runs on the batch as the run
// hands it over; its file stays staged and is read there.
struct TPorNome {
  ~TPorNome() { host::TOutputStage::Current().Discard(); }
};

class RandomStores : public ::testing::TestWithParam<const TEscritor*> {
 protected:
  // One store through the writer, counted in c.
  void Uma(std::mt19937& rng, int n, TContagem& c);
};

void RandomStores::Uma(std::mt19937& rng, int n, TContagem& c) {
  const TEscritor& e = *GetParam();
  TLojaAleatoria sorteio = SorteiaLoja(e, rng);
  const std::string dados = sorteio.loja.dados.dump();
  SCOPED_TRACE("store " + std::to_string(n) + ": " + dados);
  TStore s;
  // What Windows-1252 cannot hold never reaches a writer: the import
  // refuses it and loads nothing.
  const bool fora = fields::Cp1252ToUtf8(fields::Utf8ToCp1252(dados)) != dados;
  try {
    server::ImportJson(s.Server(), dados);
    ASSERT_FALSE(fora) << "the import took a character outside Windows-1252";
  } catch (const server::TImportError& err) {
    ASSERT_TRUE(fora) << fields::Cp1252ToUtf8(err.what());
    EXPECT_EQ(s.Server().Conexao().Scalar("SELECT COUNT(*) FROM BOLETOREC"), host::Value(int64_t{0}));
    ++c.naImportacao;
    return;
  }
  auto& db = s.Server().Conexao();
  if (!sorteio.loja.inscricaoEmpresa.empty())
    db.Exec("UPDATE EMPRESA SET NRINSJUREMPR = '" + sorteio.loja.inscricaoEmpresa + "'");
  // Half the runs find a file of an earlier day at the path.
  const std::filesystem::path dir = Pasta();
  std::filesystem::create_directories(dir);
  TOpcoesGeracao o = sorteio.opcoes;
  o.arquivo = (dir / "remessa.txt").string();
  const std::string escrito = layouts::NomeDoArquivo(e, o.arquivo);
  std::filesystem::remove(escrito);
  const bool antigo = rng() % 2 == 0;
  if (antigo) std::ofstream(escrito, std::ios::binary) << "arquivo de ontem\r\n";
  const std::string antes = Estado(db);

  const bool porNome = !*e.bancos;
  std::string texto, recusa;
  try {
    if (porNome) {
      TPorNome descarta;
      auto& f = s.Prepara(o);
      f.MarcaTodos(false);
      e.escreve(app::RemessaDoForm(f), *app::TitulosDoForm(f), true);
      texto = Le(host::StagingName(o.arquivo));
    } else {
      s.Gerar(o);
      texto = Le(escrito);
    }
  } catch (const host::EMensErro& err) {
    recusa = err.Key() + ": " + fields::Cp1252ToUtf8(err.what());
    EXPECT_FALSE(err.Key().empty() || std::string(err.what()).empty()) << "a refusal without its message";
  } catch (const layouts::ECampo& err) {
    // Only the writer called by name meets a field its record cannot take
    // bare: the dispatcher turns it into the catalogue's message.
    EXPECT_TRUE(porNome) << "a field fault reached the operator unexplained: " << err.what();
    recusa = err.what();
  } catch (const std::exception& err) {
    ADD_FAILURE() << "the run failed without the catalogue's message: " << err.what();
    return;
  }
  s.Fecha();

  if (!recusa.empty()) {
    ++c.recusados;
    ++c.chaves[recusa.substr(0, recusa.find(':'))];
    SCOPED_TRACE("refused with " + recusa);
    EXPECT_EQ(Estado(db), antes) << "a refused run changed the store";
    if (antigo)
      EXPECT_EQ(Le(escrito), "arquivo de ontem\r\n") << "a refused run touched the earlier file";
    else
      EXPECT_FALSE(std::filesystem::exists(escrito)) << "a refused run left a file";
    EXPECT_FALSE(std::filesystem::exists(host::StagingName(o.arquivo)))
        << "a refused run left its staging file";
    return;
  }
  ++c.escritos;
  const layouts::TVerificacao ver = layouts::VerificaArquivo(texto, {}, true);
  for (const auto& f : ver.falhas) ADD_FAILURE() << fields::Cp1252ToUtf8(layouts::Descreve(f));
  EXPECT_EQ(ver.familia, e.familia);
  if (porNome) return;  // its batch is not stored: the run never confirmed it
  EXPECT_FALSE(std::filesystem::exists(host::StagingName(o.arquivo))) << "the run left its staging file";
  const host::Value lote = db.Scalar("SELECT MAX(NRCNABREC) FROM CNABREC");
  ASSERT_TRUE(std::holds_alternative<host::TText>(lote)) << "a file was written without its batch";
  const auto doLote = DoLote(db, std::string(std::get<host::TText>(lote)), e.familia);
  EXPECT_FALSE(doLote.empty()) << "a batch without titles";
  EXPECT_EQ(Descreve(DoArquivo(texto, ver, e)), Descreve(doLote))
      << "the file does not hold the batch's titles";
}

TEST_P(RandomStores, RefuseCleanlyOrWriteTheBatchWhole) {
  const int lojas = Ambiente("REMESSA_LOJAS", 24);
  // One stream per writer, so that a writer's draws do not hang on the order
  // the suite runs in.
  std::seed_seq semente{Ambiente("REMESSA_SEMENTE", 20261208),
                        static_cast<int>(std::hash<std::string>{}(GetParam()->nome))};
  std::mt19937 rng(semente);
  TContagem c;
  for (int n = 0; n < lojas && !HasFatalFailure(); ++n) Uma(rng, n, c);
  std::filesystem::remove_all(Pasta());
  std::string chaves;
  for (const auto& [k, q] : c.chaves) chaves += " " + k + "=" + std::to_string(q);
  std::printf("%s: %d stores, %d files written, %d runs refused (%s ), %d stores refused at import\n",
              GetParam()->nome, lojas, c.escritos, c.recusados, chaves.c_str(), c.naImportacao);
  // A writer that refuses every store tests nothing.
  if (lojas >= 8) {
    EXPECT_GT(c.escritos, 0) << "no store reached a file";
  }
}

std::vector<const TEscritor*> Escritores() {
  std::vector<const TEscritor*> v;
  for (const auto& e : layouts::Catalogo()) v.push_back(&e);
  return v;
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, RandomStores, ::testing::ValuesIn(Escritores()),
                         [](const auto& info) { return std::string(info.param->nome); });

}  // namespace

namespace {

// The faults the random stores found, each as the smallest store that shows
// it: the bank, what its titles hold beside the sound title "1001", and the
// key the run must stop with (empty: the file is written and passes the
// bank's checks, trailer counts included).
TEST(RandomStoresFound, EachFaultStaysFixed) {
  struct TCaso {
    const char* banco;
    json titulos;  // updates of titles "1002", "1003"...
    const char* chave;
  };
  const TCaso casos[] = {
      // Banrisul counted a title without a portfolio kind in no kind: its
      // lot trailer fell short of the lot's titles.
      {"041", {{{"IDCARTCOBREC", ""}}, {{"IDCARTCOBREC", "4"}}}, ""},
      // ... and a kind the trailer has no total for wrote a title it never counted.
      {"041", {{{"IDCARTCOBREC", "7"}}}, "TipoCart_INV"},
      {"041", {{{"IDCARTCOBREC", "0"}}}, "TipoCart_INV"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.banco) + " " + c.titulos.dump());
    TLoja l(c.banco);
    int n = 1002;
    for (const json& t : c.titulos) l.NovoTitulo(std::to_string(n++)).update(t);
    if (*c.chave)
      EXPECT_EQ(l.Recusa(), c.chave) << l.Mensagem();
    else
      EXPECT_FALSE(l.Gera().empty());
  }
}

}  // namespace
