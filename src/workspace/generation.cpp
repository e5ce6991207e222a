// The generation run: checks, numbering, the dispatch to the bank's writer,
// and the recording of the batch and its titles.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <future>

#include "fields/cp1252.h"
#include "fields/text.h"
#include "filters/remittance_filter.h"
#include "host/compressao.h"
#include "host/context.h"
#include "host/staging.h"
#include "server/packets.h"
#include "workspace/escritores.h"
#include "workspace/form.h"

namespace workspace {

using fields::AllTrim;
using fields::EmptyString;
using host::Corvane;

namespace {

bool is_dir(const std::string& p) {
  struct stat st {};
  return stat(fields::OsPath(p).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& p) {
  return access(fields::OsPath(p).c_str(), F_OK) == 0;
}

}  // namespace

std::string DespachoWriter(const std::string& cnab, const std::string& conv) {
  return Escritores().Nome(cnab, conv);
}

std::vector<host::Value> ArgsTodasRemessas(const std::string& cdEmpresa) {
  std::vector<host::Value> a(28, host::Value(std::string("T")));
  a[0] = cdEmpresa;
  a[27] = std::string();  // no batch number
  return a;
}

std::vector<host::Value> ArgsBoletosRemessa(const std::string& cdEmpresa, const std::string& nrRemessa) {
  const std::string T = "T";
  return {cdEmpresa, nrRemessa, "", T, "", "", T,  "", T,   "", T,   0.0, 0.0, T,   "", T,  "", T,  0.0,
          0.0,       T,         "", T, "", T,  "", T,  " ", T,  0.0, 0.0, T,   " ", T,  "", "", "", ""};
}

std::string TfrmRemessaCNAB::NomeArquivo() {
  return cdsCNABRec.Active() ? cdsCNABRec.FieldByName("DSARQCNABREC").AsString() : std::string();
}

void TfrmRemessaCNAB::Vd_Arquivo(bool required) {
  const auto st = cdsCNABRec.State();
  if (st != host::TDataSetState::dsInsert && st != host::TDataSetState::dsEdit) return;
  try {
    const std::string path = AllTrim(NomeArquivo());
    if (path.empty()) {
      if (required) Erro("ARQU_DEVE_SER");
      return;
    }
    const auto barra = path.find_last_of('/');
    const std::string pasta = barra == std::string::npos ? "." : (barra == 0 ? "/" : path.substr(0, barra));
    const std::string nome = barra == std::string::npos ? path : path.substr(barra + 1);
    if (!is_dir(pasta)) Erro("DIR_INVALIDO");
    if (nome.empty() || is_dir(path)) Erro("ARQU_DEVE_SER");
  } catch (...) {
    ActivePage = TPagina::tshFormulario;
    ActiveControl = "dbeArquivo";
    throw;
  }
}

void TfrmRemessaCNAB::sbtConfirmarClick() {
  // The confirm command exists only while a batch is being prepared: a batch
  // whose post failed is no longer being inserted, and confirming it again
  // would record its titles against a batch the server never stored.
  const auto estado = cdsCNABRec.State();
  if (estado != host::TDataSetState::dsInsert && estado != host::TDataSetState::dsEdit) return;
  auto& stage = host::TOutputStage::Current();
  stage.Discard();
  UltimosArquivos.clear();
  UltimaRemessa.clear();
  UltimoWriter.clear();
  auto f = [this](const char* n) { return cdsCNABRec.FieldByName(n); };
  // The marked titles, as the marked keys give them (branch, number); their
  // records are fetched kind by kind for all of them.
  std::vector<TRegistrosLote::TTitulo> titulos;
  titulos.reserve(static_cast<size_t>(BoletosMarcados.Count()));
  for (int i = 0; i < BoletosMarcados.Count(); ++i) {
    const std::string& chave = BoletosMarcados.Key(i);
    titulos.emplace_back(fields::Copy(chave, 1, 4), fields::Copy(chave, 5, 10));
  }
  TEmLote lote(Lote, *netRemessaCNAB, titulos, f("CDBANCO").AsString());

  // 1. account, collection account, branch and path
  Vd_CdReduCont(true);
  Vd_CdReduContCobr(true);
  Vd_Filial();
  Vd_Arquivo(true);

  // 2. every branch of a marked title shares the batch branch's CNPJ root
  const std::string filial = f("CDFILIAL").AsString();
  if (!EmptyString(filial)) {
    cdsFilial.SetFilter("CDFILIAL='" + filial + "'");
    cdsFilial.SetFiltered(true);
    const std::string raiz =
        AllTrim(fields::LeftStr(fields::Nr_Codigo(cdsFilial.FieldByName("NRINSJURFILI").AsString()), 8));
    for (const auto& [fil, nr] : titulos) {
      CarregaRegistro("FILIRECE", cdsFiliRece, fil, nr,
                      [&, &fil = fil, &nr = nr] { return netRemessaCNAB->GetFiliRece(fil, nr); });
      for (cdsFiliRece.First(); !cdsFiliRece.Eof(); cdsFiliRece.Next()) {
        std::string r = AllTrim(
            fields::LeftStr(fields::Nr_Codigo(cdsFiliRece.FieldByName("NRINSJURFILI").AsString()), 8));
        if (r != raiz) {
          cdsBoletos.Locate("CDFILIBOLREC;NRLANBOLREC", {fil, nr}, true);
          cdsFilial.SetFiltered(false);
          Erro("FILI_DIF");
        }
      }
    }
    // Only this check reads the branches: the writer's records need the room.
    Lote.Solta("FILIRECE");
  }

  // 3. a changed operation kind invalidates the marks
  if (ActivePage == TPagina::tshFormulario && boTpMovAlterado) {
    LimpaMarcados();
    TpMovConsiderado();
  }

  // 4. something to send
  Vd_Boletos();

  // 5. the remittance kind, where the bank takes one
  if (cbbTpRemessa.Enabled && cbbTpRemessa.ItemIndex < 0) {
    ActivePage = TPagina::tshFormulario;
    ActiveControl = "cbbTpRemessa";
    Erro("tp_inf");
  }

  // 6. overwrite question, on the name the writer will write
  const std::string alvo =
      Escritores().Arquivo(f("CDBANCCNAB").AsString(), f("CDBANCOCONV").AsString(), AllTrim(NomeArquivo()));
  if (exists(alvo) && !Pergunta("ARQU_EXISTE")) throw host::EAbort();

  // 7. the server's word on the bank-credit total
  if (doVrCreditoBancario > 0) {
    double total = doVrCreditoBancario;
    std::string aviso = server::CheckResultText(netRemessaCNAB->ValidFinanceiro(
        "CreditoBancario", dbeCdReduCont.Text, Corvane().FiliProc, total, "", ""));
    if (!aviso.empty() && host::UI().Ask(host::TMsgDlgType::mtConfirmation, host::TMsgDlgButtons::mbYesNo,
                                         aviso) != host::TModalResult::mrYes)
      throw host::EAbort();
  }

  // 8. numbers from the server
  if (Inserindo()) {
    f("NRCNABREC")
        .SetString(server::CheckResultText(netRemessaCNAB->PrxCodigo(f("CDEMPRESA").AsString(), "CNABRec")));
    f("NRSEQREMESSAREC")
        .SetString(server::CheckResultText(netRemessaCNAB->PrxCodigoRemessaRec(f("CDREDUCONT").AsString())));
  }

  // 9-11. The batch, the titles' new state and the file's bytes are stored
  // in one unit of work; the file, written beside its final name, is put in
  // place once that is committed. Once the writer has read the first title's
  // records, the unit of work begins and, where the server can, the titles'
  // state is stored while the writer goes on: its reads then answer as the
  // store was last committed, as they did before.
  host::TPacket alteracoes = AtualizaBoleto();
  bool emTransacao = false, aoLado = false;
  auto iniciaUnidade = [&] {
    netRemessaCNAB->StartTransaction();
    emTransacao = boGerando_ = true;
  };
  const std::string empresa = f("CDEMPRESA").AsString(), numero = f("NRCNABREC").AsString();
  try {
    AoPrimeiroTitulo = [&] {
      iniciaUnidade();
      aoLado = netRemessaCNAB->IniciaAlterBoletos(alteracoes);
    };
    try {
      EscolheFuncao();
    } catch (...) {
      // The writer's failure is the one reported; the update is only waited for.
      AoPrimeiroTitulo = nullptr;
      if (aoLado) (void)netRemessaCNAB->FimAlterBoletos();
      throw;
    }
    AoPrimeiroTitulo = nullptr;
    // The records were for the checks and the writer; not held through the
    // store, nor beside the compression.
    Lote.Encerra();
    // The file is compressed on a thread of its own while the update beside
    // ends and the batch is posted. Banco do Brasil, 100 000 titles (a 60 MB
    // file), medians of five alternating runs: 0.95 s before the file was
    // kept, 1.00 s with it kept by zstd (zlib's fastest level had 1.13 s).
    auto comprimidos = std::async(std::launch::async, [arquivos = stage.Files()] {
      std::vector<std::pair<std::string, size_t>> r;
      for (const auto& a : arquivos) {
        size_t tamanho = 0;
        std::string z = host::ComprimeArquivo(a.temp, tamanho);
        r.emplace_back(std::move(z), tamanho);
      }
      return r;
    });
    if (!emTransacao) iniciaUnidade();
    server::CheckResultServ(aoLado ? netRemessaCNAB->FimAlterBoletos()
                                   : netRemessaCNAB->AlterBoletos(alteracoes));
    alteracoes = host::TPacket{};
    ConfirmaPadrao();
    // A writer writes one file; the batch keeps it under its own key.
    auto z = comprimidos.get();
    for (size_t i = 0; i < z.size(); ++i) {
      const auto& a = stage.Files()[i];
      server::CheckResultServ(netRemessaCNAB->SetArquivoRemessa(empresa, numero, a.path, z[i].first,
                                                                static_cast<int64_t>(z[i].second), a.temp));
    }
    netRemessaCNAB->Commit();
  } catch (...) {
    boGerando_ = false;
    if (emTransacao) {
      try {
        netRemessaCNAB->Rollback();
      } catch (...) {
      }
    }
    stage.Discard();
    throw;
  }
  boGerando_ = false;
  // Lets a test stop the process where a crash would leave a stored batch
  // whose file is not in place yet.
  if (const char* m = std::getenv("REMESSA_TESTE_MORRE_APOS_COMMIT"); m && *m == '1') _exit(9);
  for (const auto& s : stage.Files()) UltimosArquivos.push_back(s.path);
  UltimaRemessa = numero;
  PoeArquivosNoLugar(empresa, numero);
  cdsCNABRec.MergeChangeLog();

  // 12. done
  Informa("Expor_susc");
  progressVisible = false;
  host::UI().HideProgress();
  cdsBoletos.EnableControls();
  medCdEmpresa.Enabled = true;
  for (auto* c : {&dbeCdReduCont, &dbeArquivo, &btpArquivo, &dbeCdFilial, &btpCdFilial, &dbeCdReduContCobr})
    c->Enabled = false;
  dbcTpMov.Enabled = cbbTpRemessa.Enabled = false;
  RefazLista(true);
  cdsFilial.SetFiltered(false);
}

// The batch is stored: the staged file takes its place. Should that fail,
// the batch keeps the file and `remessa arquivo` writes it again; the
// operator is told so rather than left with the batch he asked for undone.
void TfrmRemessaCNAB::PoeArquivosNoLugar(const std::string& empresa, const std::string& numero) {
  auto& stage = host::TOutputStage::Current();
  try {
    stage.PutInPlace();
  } catch (const std::exception& e) {
    stage.Discard();
    (void)netRemessaCNAB->ArquivoNoLugar(empresa, numero);
    std::string texto = Msg("ARQU_NAO_POSTO");
    for (const std::string& v : {numero, std::string(e.what())})
      if (const auto p = texto.find("%s"); p != std::string::npos) texto.replace(p, 2, v);
    host::MensErro(texto, true, "ARQU_NAO_POSTO");
  }
  stage.Commit();
  // A mark that stays only sends the next command to look at a file already in place.
  (void)netRemessaCNAB->ArquivoNoLugar(empresa, numero);
}

// The host form's standard confirmation: post the batch (the post handler
// sends it to the server).
void TfrmRemessaCNAB::ConfirmaPadrao() {
  cdsCNABRec.Post();
}

// The batch list again, as the remittance filter last left it, on the list page.
void TfrmRemessaCNAB::RefazLista(bool calaServidor) {
  const std::string nr = cdsCNABRec.Active() ? cdsCNABRec.FieldByName("NRCNABREC").AsString() : std::string();
  try {
    filters::CriaFiltroRemessaCNAB("ESCONDE_FILTRO", *this);
  } catch (const host::EServerError&) {
    if (!calaServidor) throw;
    return;  // the batch is stored; a list that cannot be refreshed now is refreshed by the next filter
  }
  if (!nr.empty()) cdsCNABRec.Locate("NRCNABREC", {nr});
  const bool vazio = cdsCNABRec.IsEmpty();
  tshFolhaDadosEnabled = tshFormularioEnabled = tshBoletosEnabled = !vazio;
  ActivePage = TPagina::tshFolhaDados;
  dtsPadraoStateChange();
  pgcPadraoChange();
}

// The writer is the one the account's banks dispatch to; it stops the run
// by raising, and the operator is shown the account that chose it.
void TfrmRemessaCNAB::EscolheFuncao() {
  try {
    UltimoWriter = Escritores().Escreve(*this, cbbTpRemessa.ItemIndex == 0);
  } catch (...) {
    ActivePage = TPagina::tshFormulario;
    ActiveControl = "dbeCdReduCont";
    throw;
  }
}

std::string TfrmRemessaCNAB::BuscaIdentRec() {
  std::string r;
  Carrega(cdsIdConta, netRemessaCNAB->GetIdConta(cdsCNABRec.FieldByName("CDREDUCONT").AsString()));
  const std::string banco = cdsCNABRec.FieldByName("CDBANCCNAB").AsString();
  auto emprBanc = [this] {
    Carrega(cdsEmprBanc,
            netRemessaCNAB->GetEmprBanc(cdsCNABRec.FieldByName("CDBANCO").AsString(), Empresa()));
  };
  if (banco == "001") emprBanc();
  const std::string id = cdsIdConta.IsEmpty() ? "" : cdsIdConta.FieldByName("CDIDRECCONTCORR").AsString();
  if (EmptyString(id)) {
    if (banco != "001") emprBanc();
    if (!cdsEmprBanc.IsEmpty() && !cdsEmprBanc.FieldByName("CDEMPBANCREC").IsNull())
      r = cdsEmprBanc.FieldByName("CDEMPBANCREC").AsString();
    return r;
  }
  return id;
}

host::TPacket TfrmRemessaCNAB::AtualizaBoleto() {
  struct Volta {
    TClientDataSet& ds;
    int recNo;
    ~Volta() {
      if (recNo > 0) ds.SetRecNo(recNo);
      ds.EnableControls();
    }
  } volta{cdsBoletos, cdsBoletos.RecNo()};
  cdsBoletos.DisableControls();
  cdsAlteraBoletos.Close();
  cdsAlteraBoletos.FieldDefs() = server::PacketFields("ALTERABOLETOS");
  cdsAlteraBoletos.CreateDataSet();
  const int total = cdsBoletos.RecordCount();
  const std::string caption = Msg("EXP");
  progressVisible = true;
  // Each field of the packet comes from the title or is the batch's, the
  // same for every title; the rows are built as the data set would hold them
  // (a row appended and posted per title cost a tenth of the run).
  auto a = [this](const char* n) { return cdsAlteraBoletos.FieldByName(n).Index(); };
  const std::pair<int, int> doBoleto[] = {{a("CDFILIAL"), cdsBoletos.FieldByName("CDFILIAL").Index()},
                                          {a("NRLANBOLREC"), cdsBoletos.FieldByName("NRLANBOLREC").Index()},
                                          {a("CDNOSNUMREC"), cdsBoletos.FieldByName("CDNOSNUMREC").Index()},
                                          {a("VRFINALBREC"), cdsBoletos.FieldByName("VRFINALBREC").Index()}};
  host::Row daRemessa(static_cast<size_t>(cdsAlteraBoletos.FieldCount()));
  auto c = [&](const char* n, host::Value v) {
    const int i = a(n);
    daRemessa[static_cast<size_t>(i)] = cdsAlteraBoletos.Coerce(i, std::move(v));
  };
  for (const char* n : {"NRCNABREC", "CDREDUCONT", "IDOPECNABREC", "CDEMPRESA"})
    c(n, cdsCNABRec.FieldByName(n).AsValue());
  c("IDSITUCNABR", host::Value("10"));
  c("IDBOLRECALTER", host::Value("1"));
  host::TPacket p;
  p.Fields = cdsAlteraBoletos.FieldDefs();
  p.Rows.reserve(static_cast<size_t>(BoletosMarcados.Count()));
  // A value the packet's field holds as the list holds it is taken as it is.
  bool igual[std::size(doBoleto)];
  for (size_t k = 0; k < std::size(doBoleto); ++k) {
    const auto& para = cdsAlteraBoletos.FieldDefs()[static_cast<size_t>(doBoleto[k].first)];
    const auto& de = cdsBoletos.FieldDefs()[static_cast<size_t>(doBoleto[k].second)];
    igual[k] = para.DataType == de.DataType &&
               (para.DataType != host::TFieldType::ftString || (de.Size > 0 && de.Size <= para.Size));
  }
  const int marcado = cdsBoletos.FindFieldIndex("IDMARCADO");
  for (cdsBoletos.First(); !cdsBoletos.Eof(); cdsBoletos.Next()) {
    host::UI().Progress(caption, cdsBoletos.RecNo(), total);
    const auto* m = std::get_if<host::TText>(&cdsBoletos.ValueAt(marcado));
    if (!m || *m != "S") continue;
    host::Row& r = p.Rows.emplace_back(daRemessa);
    for (size_t k = 0; k < std::size(doBoleto); ++k) {
      const auto [para, de] = doBoleto[k];
      const host::Value& v = cdsBoletos.ValueAt(de);
      r[static_cast<size_t>(para)] = igual[k] ? v : cdsAlteraBoletos.Coerce(para, v);
    }
  }
  return p;
}

}  // namespace workspace
