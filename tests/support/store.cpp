#include "support/store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/escritores.h"
#include "app/operador.h"
#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "host/context.h"
#include "layouts/file_check.h"
#include "server/import.h"
#include "server/pg_server.h"
#include "support/pg_teste.h"

namespace testsupport {

const char* const kBaseFixture = R"({
  "EMPRESA": [{"CDEMPRESA": "01", "NMEMPRESA": "Empresa Teste", "IDTPIJUREMPR": "J",
               "NRINSJUREMPR": "12.345.678/0001-95", "NMRAZSOCEMPR": "Empresa Teste Comércio Ltda"}],
  "MUNICIPIO": [{"CDPAIS": "1058", "SGESTADO": "SP", "CDMUNICIPIO": "3550", "NMMUNICIPIO": "São Paulo"}],
  "FILIAL": [{"CDFILIAL": "0001", "CDEMPRESA": "01", "NMFILIAL": "Matriz", "IDTPIJURFILI": "J",
              "NRINSJURFILI": "12.345.678/0001-95", "NMRAZSOCFILI": "Filial Matriz Comércio Ltda"}],
  "ENDEFILI": [{"CDFILIAL": "0001", "IDTPENDEFILI": "P", "CDPAIS": "1058", "SGESTADO": "SP", "CDMUNICIPIO": "3550",
                "DSENDEFILI": "Av. Paulista, 1000", "NMBAIRFILI": "Bela Vista", "NRCEPFILI": "01310-100"}],
  "BANCO": [{"CDBANCO": "237", "NMBANCO": "BRADESCO", "CDPICTAGEN": "9999-9", "CDPICTCONT": "9999999-9"},
            {"CDBANCO": "341", "NMBANCO": "ITAU", "CDPICTAGEN": "9999", "CDPICTCONT": "99999-9"},
            {"CDBANCO": "001", "NMBANCO": "BANCO DO BRASIL", "CDPICTAGEN": "9999-9", "CDPICTCONT": "99999999-9"},
            {"CDBANCO": "104", "NMBANCO": "CAIXA", "CDPICTAGEN": "9999", "CDPICTCONT": "99999999-9"},
            {"CDBANCO": "033", "NMBANCO": "SANTANDER", "CDPICTAGEN": "9999", "CDPICTCONT": "99999999-9"},
            {"CDBANCO": "356", "NMBANCO": "REAL", "CDPICTAGEN": "9999", "CDPICTCONT": "9999999-9"},
            {"CDBANCO": "422", "NMBANCO": "SAFRA", "CDPICTAGEN": "9999", "CDPICTCONT": "99999999-9"},
            {"CDBANCO": "041", "NMBANCO": "BANRISUL", "CDPICTAGEN": "9999", "CDPICTCONT": "99999999-9"}],
  "CLIENTE": [{"CDCLIENTE": "C1", "NMRAZSOCCLIE": "Cliente Um Ltda", "NMFANTCLIE": "Um", "IDTPIJURCLIE": "J",
               "NRINSJURCLIE": "98.765.432/0001-10"}],
  "ENDECLIE": [{"CDCLIENTE": "C1", "IDTPENDECLIE": "C", "CDPAIS": "1058", "SGESTADO": "SP", "CDMUNICIPIO": "3550",
                "DSENDECLIE": "Rua Um, 1", "NMBAIRCLIE": "Centro", "NRCEPCLIE": "01001-000"}],
  "OPERADOR": [{"CDOPERADOR": "ADMIN", "NMOPERADOR": "Administrador", "IDALTBOLREM": "S", "IDCANBOLREM": "S"}],
  "OPEREMPR": [{"CDOPERADOR": "ADMIN", "CDEMPRESA": "01"}]
})";

size_t TStore::AlteracoesAoLado() {
  if (auto* pg = dynamic_cast<server::TPgRemessaServer*>(server_.get())) return pg->AlteracoesAoLado();
  return SQLite().AlteracoesAoLado();
}

TStore::TStore(const std::string& json, bool emArquivo) {
  char tmpl[] = "/tmp/remessa-test-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  dir_ = tmpl;
  // Apart from the folder the runs write their files to.
  std::string banco = ":memory:";
  if (emArquivo) {
    std::filesystem::create_directory(dir_ + "/base");
    banco = dir_ + "/base/store.db";
  }
  const char* loja = std::getenv("REMESSA_TEST_STORE");
  if (loja && std::string(loja) == "pg" && !emArquivo) {
    const char* c = std::getenv("REMESSA_PG_TEST");
    if (!c || !*c)
      throw std::runtime_error("REMESSA_TEST_STORE=pg needs REMESSA_PG_TEST (make test sets both)");
    pg_ = c;
    banco_ = testsupport::TomaBancoMigrado(pg_);
    server_ = std::make_unique<server::TPgRemessaServer>(pg_, banco_);
  } else {
    server_ = std::make_unique<server::TSQLiteRemessaServer>(banco, true);
  }
  server::ImportJson(*server_, kBaseFixture);
  server::ImportJson(*server_, json);
  auto& c = host::Corvane();
  c.Operador = "ADMIN";
  c.NomeOperador = "Administrador";
  c.FiliProc = "0001";
  c.FixClock(fields::EncodeDate(2026, 12, 8) + fields::EncodeTime(10, 30, 0));
  c.SetDataProc(fields::EncodeDate(2026, 12, 8));
  host::SetUI(&ui_);
  app::InstalaEscritores();
}

TStore::~TStore() {
  Fecha();
  host::SetUI(nullptr);
  server_.reset();
  if (!banco_.empty()) testsupport::DevolveBanco(pg_, banco_);
  std::string cmd = "rm -rf '" + dir_ + "'";
  if (std::system(cmd.c_str()) != 0) {
  }
}

void TStore::pedido(const TOpcoesGeracao& o, void* out) {
  auto& p = *static_cast<app::TPedidoGeracao*>(out);
  p.empresa = "01";
  p.conta = o.conta;
  p.contaCobranca = o.contaCobranca;
  if (!o.filial.empty()) p.filial = o.filial;
  p.operacao = "IEA"[o.operacao];
  p.cobranca = o.tipo == 0;
  arquivo_ = o.arquivo.empty() ? dir_ + "/remessa.txt" : o.arquivo;
  p.arquivo = arquivo_;
  p.todos = o.boletos.empty();
  p.boletos = o.boletos;
  ui_.SetAnswer(o.sobrescrever);
}

void TStore::Gerar(const TOpcoesGeracao& o) {
  Fecha();
  app::TPedidoGeracao p;
  pedido(o, &p);
  app::GerarRemessa(*server_, p);
}

workspace::TfrmRemessaCNAB& TStore::Prepara(const TOpcoesGeracao& o) {
  Fecha();
  app::TPedidoGeracao p;
  pedido(o, &p);
  server_->Connect();
  workspace::SetAppServer(server_.get());
  workspace::CriaRemessaCNABRec();
  app::PreparaRemessa(*workspace::frmRemessaCNAB, p);
  return *workspace::frmRemessaCNAB;
}

void TStore::Fecha() {
  if (!workspace::frmRemessaCNAB) return;
  workspace::frmRemessaCNAB->sbtCancelarClick();
  workspace::FechaRemessaCNABRec();
  server_->Connect();
}

std::vector<std::string> TStore::Registros(int tamanho) const {
  std::ifstream in(arquivo_, std::ios::binary);
  if (!in) throw std::runtime_error("no file at " + arquivo_);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string all = ss.str();
  // Every file a test reads is first checked as a bank would check it.
  for (const auto& f : layouts::VerificaArquivo(all).falhas)
    ADD_FAILURE() << fields::Cp1252ToUtf8(layouts::Descreve(f));
  std::vector<std::string> recs;
  size_t at = 0;
  while (at < all.size()) {
    size_t crlf = all.find("\r\n", at);
    if (crlf == std::string::npos) throw std::runtime_error("record without CR LF");
    std::string r = all.substr(at, crlf - at);
    if (static_cast<int>(r.size()) != tamanho)
      throw std::runtime_error("record " + std::to_string(recs.size() + 1) + " has " +
                               std::to_string(r.size()) + " characters");
    recs.push_back(r);
    at = crlf + 2;
  }
  return recs;
}

}  // namespace testsupport
