#include "host/report.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/text.h"

namespace host {

using fields::Cp1252ToUtf8;
using fields::OsPath;
using fields::Utf8ToCp1252;

namespace {

std::string W(std::string_view utf8) {
  return Utf8ToCp1252(utf8);
}

bool LeArquivo(const std::string& osPath, std::string& out) {
  std::ifstream in(osPath, std::ios::binary);
  if (!in) return false;
  std::stringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return false;
  out = ss.str();
  return true;
}

// Writes beside the final name and renames, so that a reader never meets half a file.
bool GravaInteiro(const std::string& osPath, const std::string& contents) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path p(osPath);
  if (p.has_parent_path()) fs::create_directories(p.parent_path(), ec);
  const std::string tmp = osPath + ".baixando";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << contents;
    out.flush();
    if (!out) {
      out.close();
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), osPath.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

bool PadraoBaixa(const std::string& local, const std::string& source) {
  std::string src = fields::AllTrim(source);
  if (src.rfind("file://", 0) == 0) src = src.substr(7);
  if (src.empty()) return false;
  std::string contents;
  if (!LeArquivo(OsPath(src), contents)) return false;
  return GravaInteiro(OsPath(local), contents);
}

TBaixaModelo g_baixa;

double Numero(const std::string& s, int linha) {
  double d = 0;
  if (!fields::TryStrToFloat(fields::AllTrim(s), d) || d <= 0)
    throw std::runtime_error(
        W("Modelo de relatório: número inválido na linha " + std::to_string(linha) + "."));
  return d;
}

std::vector<std::string> Partes(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      out.push_back(fields::AllTrim(cur));
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(fields::AllTrim(cur));
  return out;
}

const char* Operacao(const std::string& op) {
  if (op == "I") return "Inclusão";
  if (op == "E") return "Exclusão";
  if (op == "A") return "Alteração";
  return "";
}

// One page after another on a cairo PDF surface; texts arrive in Windows-1252.
class TPaginas {
 public:
  TPaginas(const TModeloRelatorio& m, const std::string& osPath) : m_(m) {
    surface_ = cairo_pdf_surface_create(osPath.c_str(), m.Largura, m.Altura);
    cr_ = cairo_create(surface_);
  }
  ~TPaginas() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
  }
  TPaginas(const TPaginas&) = delete;
  TPaginas& operator=(const TPaginas&) = delete;

  bool Ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
  void Titulo(const std::string& t) {
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, Cp1252ToUtf8(t).c_str());
  }
  void Fonte(double size, bool bold) {
    cairo_select_font_face(cr_, m_.Fonte.c_str(), CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, size);
  }
  double Medida(const std::string& cp1252) {
    cairo_text_extents_t e;
    cairo_text_extents(cr_, Cp1252ToUtf8(cp1252).c_str(), &e);
    return e.x_advance;
  }
  // Text cut to the width, left-aligned at x or right-aligned to x + width.
  void Texto(double x, double y, std::string s, double width = 0, bool right = false) {
    if (width > 0)
      while (!s.empty() && Medida(s) > width - 2) s.pop_back();
    const double w = Medida(s);
    cairo_move_to(cr_, right ? x + width - w - 1 : x, y);
    cairo_show_text(cr_, Cp1252ToUtf8(s).c_str());
  }
  void Linha(double y) {
    cairo_set_line_width(cr_, 0.5);
    cairo_move_to(cr_, m_.Margem, y);
    cairo_line_to(cr_, m_.Largura - m_.Margem, y);
    cairo_stroke(cr_);
  }
  void NovaPagina() { cairo_show_page(cr_); }
  cairo_status_t Termina() {
    cairo_destroy(cr_);
    cr_ = nullptr;
    cairo_surface_finish(surface_);
    return cairo_surface_status(surface_);
  }

 private:
  const TModeloRelatorio& m_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
};

std::string Celula(const TPacket& p, const host::Row& r, const std::string& campo) {
  const int i = p.IndexOf(campo);
  if (i < 0 || static_cast<size_t>(i) >= r.size()) return {};
  const Value& v = r[i];
  if (std::holds_alternative<std::monostate>(v)) return {};
  switch (p.Fields[i].DataType) {
    case TFieldType::ftDateTime:
      if (auto d = std::get_if<double>(&v)) return fields::FormatDateTime("dd/mm/yyyy", *d);
      break;
    case TFieldType::ftFloat:
      if (auto d = std::get_if<double>(&v)) return fields::FormatFloat("#,##0.00", *d);
      break;
    default:
      break;
  }
  return ValueToString(v, p.Fields[i].DataType);
}

}  // namespace

std::string VersaoModelo(const std::string& contents) {
  if (contents.size() < 9 || contents.back() != '#') return {};
  return contents.substr(contents.size() - 9, 8);
}

TModeloRelatorio LeModelo(const std::string& path) {
  std::string contents;
  if (!LeArquivo(OsPath(path), contents))
    throw std::runtime_error(W("Modelo de relatório não pode ser lido: ") + path);
  TModeloRelatorio m;
  m.Versao = VersaoModelo(contents);
  if (!m.Versao.empty()) contents.resize(contents.size() - 9);
  std::istringstream in(contents);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string t = fields::AllTrim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') continue;
    const auto eq = t.find('=');
    if (eq == std::string::npos)
      throw std::runtime_error(W("Modelo de relatório: linha " + std::to_string(n) + " sem '='."));
    const std::string key = fields::UpperCase(fields::AllTrim(t.substr(0, eq)));
    const std::string val = fields::AllTrim(t.substr(eq + 1));
    if (key == "TITULO") {
      m.Titulo = val;
    } else if (key == "PAGINA") {
      auto p = Partes(fields::UpperCase(val), 'X');
      if (p.size() != 2) throw std::runtime_error(W("Modelo de relatório: PAGINA deve ser LARGURAxALTURA."));
      m.Largura = Numero(p[0], n);
      m.Altura = Numero(p[1], n);
    } else if (key == "MARGEM") {
      m.Margem = Numero(val, n);
    } else if (key == "FONTE") {
      m.Fonte = val;
    } else if (key == "TAMANHO") {
      m.Tamanho = Numero(val, n);
    } else if (key == "PARAMETRO") {
      m.Parametros.push_back(fields::UpperCase(val));
    } else if (key == "COLUNA") {
      auto p = Partes(val, ';');
      if (p.size() != 4 || p[0].empty())
        throw std::runtime_error(W("Modelo de relatório: COLUNA deve ser CAMPO;TÍTULO;LARGURA;E|D (linha " +
                                   std::to_string(n) + ")."));
      m.Colunas.push_back({fields::UpperCase(p[0]), p[1], Numero(p[2], n), fields::UpperCase(p[3]) == "D"});
    } else {
      throw std::runtime_error(W("Modelo de relatório: chave desconhecida '") + key + "' (linha " +
                               std::to_string(n) + ").");
    }
  }
  if (m.Colunas.empty()) throw std::runtime_error(W("Modelo de relatório sem colunas: ") + path);
  if (2 * m.Margem >= m.Largura || 2 * m.Margem >= m.Altura)
    throw std::runtime_error(W("Modelo de relatório: margens maiores que a página."));
  return m;
}

std::string ModeloBorderoPadrao(const std::string& versao) {
  // The tag goes last, with nothing after its "#", as every template carries it.
  return W("; Borderô de remessa: um boleto por linha, os totais ao fim.\r\n"
           "TITULO=Borderô de Remessa\r\n"
           "PAGINA=595x842\r\n"
           "MARGEM=36\r\n"
           "FONTE=DejaVu Sans\r\n"
           "TAMANHO=8\r\n"
           "PARAMETRO=P_CDEMPRESA\r\n"
           "PARAMETRO=P_NRCNABREC\r\n"
           "COLUNA=DTVENBOLREC;Vencimento;56;E\r\n"
           "COLUNA=NMRAZSOCCLIE;Sacado;100;E\r\n"
           "COLUNA=NRINSJURCLIE;CPF/CNPJ;92;E\r\n"
           "COLUNA=DOCUMENTO;Documento;54;E\r\n"
           "COLUNA=CDNOSNUMREC;Nosso Número;84;E\r\n"
           "COLUNA=IDSITUCNABR;Sit.;24;E\r\n"
           "COLUNA=VRFINALBREC;Valor;62;D\r\n"
           "COLUNA=VRPAGORET;Pago;51;D\r\n") +
         fields::Ajusta(versao, 8) + "#";
}

bool GetAtuGerFos(const std::string& local, const std::string& source) {
  try {
    return g_baixa ? g_baixa(local, source) : PadraoBaixa(local, source);
  } catch (const std::exception&) {
    return false;
  }
}

void SetBaixaModelo(TBaixaModelo fetch) {
  g_baixa = std::move(fetch);
}

bool TQRDesignDialog::ExistParam(const std::string& name) const {
  for (const auto& p : modelo_.Parametros)
    if (p == fields::UpperCase(name)) return true;
  return false;
}

void TQRDesignDialog::Print(const std::string& templatePath, const std::string& output) {
  modelo_ = LeModelo(templatePath);
  params_.clear();
  if (BeforeQueryParams) BeforeQueryParams(*this);
  if (!Dados) throw std::logic_error("report without a data source");
  const TPacket dados = Dados(params_);
  const TModeloRelatorio& m = modelo_;

  // Columns wider than the page are narrowed in proportion.
  const double util = m.Largura - 2 * m.Margem;
  double soma = 0;
  for (const auto& c : m.Colunas) soma += c.Largura;
  const double escala = soma > util ? util / soma : 1.0;

  const std::string osOut = OsPath(output);
  const std::string tmp = osOut + ".gerando";
  double total = 0;
  int quantidade = 0;
  {
    TPaginas pg(m, tmp);
    if (!pg.Ok()) throw std::runtime_error(W("Não foi possível gravar o borderô em ") + output);
    const std::string titulo = !m.Titulo.empty() ? m.Titulo : !Titulo.empty() ? Titulo : W("Borderô");
    pg.Titulo(titulo);
    const host::Row vazia(dados.Fields.size());
    const host::Row& cab = dados.Rows.empty() ? vazia : dados.Rows.front();
    auto c = [&](const char* f) { return Celula(dados, cab, f); };
    const double lh = m.Tamanho * 1.6;
    int pagina = 0;
    double y = 0;

    auto cabecalho = [&] {
      ++pagina;
      y = m.Margem + 12;
      pg.Fonte(12, true);
      pg.Texto(m.Margem, y, c("NMRAZSOCEMPR"), util * 0.8);
      pg.Fonte(m.Tamanho, false);
      pg.Texto(m.Margem, y, W("Página ") + std::to_string(pagina), util, true);
      y += lh;
      pg.Texto(m.Margem, y, "CNPJ: " + c("NRINSJUREMPR"), util);
      y += lh * 1.5;
      pg.Fonte(13, true);
      pg.Texto(m.Margem, y, titulo, util);
      y += lh * 1.4;
      pg.Fonte(m.Tamanho, false);
      const std::string filial =
          c("CDFILIAL").empty() ? "" : "    Filial: " + c("CDFILIAL") + " - " + c("NMFILIAL");
      pg.Texto(m.Margem, y,
               "Banco: " + c("CDBANCO") + " - " + c("NMBANCO") + W("    Agência: ") + c("CDAGENCIA") +
                   "    Conta: " + c("CDCONTCORR") +
                   (c("DSCONTCORR").empty() ? "" : " (" + c("DSCONTCORR") + ")"),
               util);
      y += lh;
      std::string data;
      const int iData = dados.IndexOf("DTCNABREC");
      if (iData >= 0 && !dados.Rows.empty())
        if (auto d = std::get_if<double>(&cab[iData])) data = fields::FormatDateTime("dd/mm/yyyy hh:nn", *d);
      pg.Texto(m.Margem, y,
               "Remessa: " + c("NRCNABREC") + "    Data: " + data + W("    Operação: ") +
                   W(Operacao(c("IDOPECNABREC"))) + W("    Sequência: ") + c("NRSEQREMESSAREC"),
               util);
      y += lh;
      pg.Texto(m.Margem, y, "Operador: " + c("NMOPERADOR") + filial, util);
      y += lh * 0.6;
      pg.Linha(y);
      y += lh;
      pg.Fonte(m.Tamanho, true);
      double x = m.Margem;
      for (const auto& col : m.Colunas) {
        pg.Texto(x, y, col.Titulo, col.Largura * escala, col.Direita);
        x += col.Largura * escala;
      }
      pg.Fonte(m.Tamanho, false);
      y += lh * 0.5;
      pg.Linha(y);
      y += lh;
    };

    cabecalho();
    const int iNr = dados.IndexOf("NRLANBOLREC");
    const int iVr = dados.IndexOf("VRFINALBREC");
    for (const auto& r : dados.Rows) {
      if (iNr >= 0 && std::holds_alternative<std::monostate>(r[iNr])) continue;  // a batch without titles
      if (y + 3 * lh > m.Altura - m.Margem) {
        pg.NovaPagina();
        cabecalho();
      }
      double x = m.Margem;
      for (const auto& col : m.Colunas) {
        pg.Texto(x, y, Celula(dados, r, col.Campo), col.Largura * escala, col.Direita);
        x += col.Largura * escala;
      }
      if (iVr >= 0)
        if (auto d = std::get_if<double>(&r[iVr])) total += fields::RoundDec(*d, 2);
      ++quantidade;
      y += lh;
    }
    if (quantidade == 0) {
      pg.Texto(m.Margem, y, "Nenhum boleto nesta remessa.", util);
      y += lh;
    }
    y -= lh * 0.5;
    pg.Linha(y);
    y += lh;
    pg.Fonte(m.Tamanho, true);
    pg.Texto(m.Margem, y, "Quantidade de boletos: " + std::to_string(quantidade), util / 2);
    pg.Texto(m.Margem, y, "Valor total: " + fields::FormatFloat("#,##0.00", fields::RoundDec(total, 2)), util,
             true);
    if (pg.Termina() != CAIRO_STATUS_SUCCESS) {
      std::remove(tmp.c_str());
      throw std::runtime_error(W("Não foi possível gravar o borderô em ") + output);
    }
  }
  if (std::rename(tmp.c_str(), osOut.c_str()) != 0) {
    std::remove(tmp.c_str());
    throw std::runtime_error(W("Não foi possível gravar o borderô em ") + output);
  }
}

}  // namespace host
