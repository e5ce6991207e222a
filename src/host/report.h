// The host's report component: a template from the report folder fixes the
// layout, the report server supplies the rows for the template's
// parameters, and printing renders the pages as a PDF file. Also the host's
// template fetch (GetAtuGerFos) and the version tag that templates carry.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/dataset.h"

namespace host {

// A template's layout. Texts are Windows-1252; measures are PDF points.
struct TModeloRelatorio {
  std::string Titulo;
  double Largura = 595, Altura = 842, Margem = 36;  // A4 portrait
  std::string Fonte = "DejaVu Sans";
  double Tamanho = 8.5;
  std::vector<std::string> Parametros;  // query parameters the report asks for
  struct TColuna {
    std::string Campo, Titulo;
    double Largura = 60;
    bool Direita = false;
  };
  std::vector<TColuna> Colunas;
  std::string Versao;  // the version tag; empty when the file carries none
};

// The tag of a template's contents: the 8 bytes before a last byte "#";
// empty when the contents do not end in "#".
std::string VersaoModelo(const std::string& contents);
// Reads a template file; raises std::runtime_error with the reason when it
// cannot be read or a line is not understood.
TModeloRelatorio LeModelo(const std::string& path);
// The standard borderô template, ending in its version tag (8 characters).
std::string ModeloBorderoPadrao(const std::string& versao = "00000001");

// The host's template fetch: brings the template named by source to the
// local file; false when it cannot. The standard fetch copies a file whose
// path (or file:// address) is the source, replacing the local copy only
// once the whole template has arrived.
using TBaixaModelo = std::function<bool(const std::string& local, const std::string& source)>;
bool GetAtuGerFos(const std::string& local, const std::string& source);
void SetBaixaModelo(TBaixaModelo fetch);  // nullptr restores the standard fetch

// The report dialog (rddEmitir): prints a template with the data that the
// report server returns for its parameters.
class TQRDesignDialog {
 public:
  // Set from the server's description of the report; shown as the title
  // when the template has none of its own.
  std::string Titulo;
  // Runs before the report asks for its query parameters.
  std::function<void(TQRDesignDialog&)> BeforeQueryParams;
  // The report server's rows for the parameters (a BORDERO packet).
  std::function<TPacket(const std::map<std::string, std::string>&)> Dados;

  bool ExistParam(const std::string& name) const;
  void SetParam(const std::string& name, const std::string& value) { params_[name] = value; }

  // Renders the template's report to a PDF at output; an existing file is
  // replaced only when the new one is complete. Raises on failure.
  void Print(const std::string& templatePath, const std::string& output);

 private:
  TModeloRelatorio modelo_;
  std::map<std::string, std::string> params_;
};

// The server connection of the report server ("Qrd.rdmQRDesign").
struct TNetConnection {
  std::string ServerName, Host;
  int Port = 0;
  bool Connected = false;
  void Connect() { Connected = true; }
  void Disconnect() { Connected = false; }
};

}  // namespace host
