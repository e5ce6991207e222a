// Field sanitisers shared by every layout writer.
#pragma once

#include <string>
#include <string_view>

namespace fields {

// Upper-cases and keeps only what banks accept; same length as s.
std::string CampoValido(std::string_view s);
// Letters and digits only (postcodes, phone numbers).
std::string CampoValidoCEPTEL(std::string_view s);
// Money or rate text with two implied decimals, zero-filled to n.
std::string VirgDeciAssu(std::string_view s, int n);
std::string AjustaRight(std::string_view s, int n);
std::string Preenche_Brancos(int n);
// A stored number without its punctuation (blanks, ".", "-", "/"): what a
// bank reads of a tax id, account, agency, code or postcode typed as
// "123.456.789-09". Any other character stays, so that the numeric field
// that reads it refuses it rather than dropping it unseen.
std::string SemPontuacao(std::string_view s);

// "#0.00" money text of a value rounded to 2 decimals, then VirgDeciAssu.
std::string Money(double v, int n);

}  // namespace fields
