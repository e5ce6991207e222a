// The bank layout writers. Each reads the remittance context of the one
// workspace form and writes the batch's file; none returns a value.
#pragma once

#include <string_view>

namespace layouts {

// A writer as the dispatcher calls it; writers without a remittance kind ignore it.
using TWriter = void (*)(bool cobranca);

// The writer of that name, or nullptr when this build has none.
TWriter FindWriter(std::string_view name);

void Remessa_BcoBradesco(bool cobranca);
void Remessa_BcoItau();
void Remessa_BB(bool cobranca);
void Remessa_BcoCaixa();
void Remessa_Real();
void Remessa_BcoSantander();

}  // namespace layouts
