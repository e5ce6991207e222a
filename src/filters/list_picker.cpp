#include "filters/list_picker.h"

#include "host/messages.h"

namespace filters {

namespace {
TPesquisaLista g_picker;
}

void SetPesquisaLista(TPesquisaLista picker) {
  g_picker = std::move(picker);
}

host::TClientDataSet& AbreLista(host::TADOIBQuery& q, const std::string& keyField, const std::string& title,
                                std::string& list, const std::string& chaveVazia,
                                const std::string& textoVazio) {
  q.Close();
  q.Open();
  if (!textoVazio.empty() && q.IsEmpty()) host::MensErro(textoVazio, true, chaveVazia);
  if (g_picker) g_picker(q, keyField, title, list);
  return q;
}

}  // namespace filters
