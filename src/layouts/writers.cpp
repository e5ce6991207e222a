#include "layouts/writers.h"

#include <utility>

namespace layouts {

TWriter FindWriter(std::string_view name) {
  static const std::pair<std::string_view, TWriter> kWriters[] = {
      {"Remessa_BcoBradesco", [](bool c) { Remessa_BcoBradesco(c); }},
      {"Remessa_BcoItau", [](bool) { Remessa_BcoItau(); }},
      {"Remessa_BB", [](bool c) { Remessa_BB(c); }},
      {"Remessa_BcoCaixa", [](bool) { Remessa_BcoCaixa(); }},
      {"Remessa_Real", [](bool) { Remessa_Real(); }},
      {"Remessa_BcoSantander", [](bool) { Remessa_BcoSantander(); }},
  };
  for (const auto& [n, w] : kWriters)
    if (n == name) return w;
  return nullptr;
}

}  // namespace layouts
