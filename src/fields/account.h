// The account and nosso-número rules every writer shares, on the values the
// batch carries: the bank's account picture separates number and check
// digit with a "-", while accounts are stored without a separator.
#pragma once

#include <string>
#include <string_view>

namespace fields {

// Width of the sequence part of a nosso-número template ("17[SEQ07]" gives
// 7); 0 without the tag or when its two characters are not a number.
int TamanhoNossoNumero(std::string_view modelo);
// The account number without its check digit: the characters before the
// picture's "-", or the whole trimmed number (lembrado, the number the
// account was validated with, when given) for a picture without one. A
// number stored with its own "-" ("00098765-4") is split there, whatever
// the picture.
std::string ContaSemDv(std::string_view conta, std::string_view picture, std::string_view lembrado = {});
// The account's check digit: its last stored character (not trimmed).
std::string DacConta(std::string_view conta);
// The collection account without, and its check digit alone ("0" for a
// picture without "-").
std::string ContaCobrancaSemDv(std::string_view conta, std::string_view picture);
std::string DvContaCobranca(std::string_view conta, std::string_view picture);

}  // namespace fields
