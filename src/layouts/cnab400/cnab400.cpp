#include "layouts/cnab400/cnab400.h"

#include "fields/text.h"

namespace layouts::cnab400 {

TArquivo::TArquivo(const TRemessa& remessa, int tamanho)
    : tamanho_(tamanho), file_(remessa.Arquivo, tamanho) {}

void TArquivo::Numera(Record& r) const {
  r.num(395, 6, fields::IntToStr(file_.count() + 1));
}

void TArquivo::Escreve(Record& r) {
  if (r.text().size() == 394) Numera(r);
  if (r.text().size() == 400 && tamanho_ > 400) r.put(401, tamanho_ - 400, "");
  file_.write(r);
}

void TArquivo::TrailerEFecha() {
  Record t = Registro();
  t.put(1, 1, "9");
  t.put(2, 393, "");
  Escreve(t);
  Fecha();
}

void Gera(const TRemessa& remessa, TTitulos& titulos, const std::function<void(TArquivo&)>& cabecalho,
          const std::function<void(TArquivo&, TTitulo&)>& titulo,
          const std::function<void(TArquivo&)>& trailer, int tamanho) {
  TArquivo arq(remessa, tamanho);
  cabecalho(arq);
  titulos.ParaCada([&](TTitulo& t) { titulo(arq, t); });
  if (!trailer) return arq.TrailerEFecha();
  trailer(arq);
  arq.Fecha();
}

}  // namespace layouts::cnab400
