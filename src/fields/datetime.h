// Dates as the host keeps them: days since 1899-12-30, the fraction being the
// time of day. Formatting never reads the process locale.
#pragma once

#include <string>
#include <string_view>

namespace fields {

using TDateTime = double;

TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec);
TDateTime DateOf(TDateTime dt);
int DayOfWeek(TDateTime dt);  // 1 = Sunday, as the host counts

// Patterns: d, dd, ddd (short weekday), dddd (weekday), ddddd (dd/mm/yyyy),
// m, mm, yy, yyyy, h, hh, n, nn, s, ss; letters are matched without regard
// to case, anything else is copied.
std::string FormatDateTime(std::string_view pattern, TDateTime dt);

// "dd/mm/aaaa" (or with " hh:nn:ss"), false when not a valid date.
bool TryStrToDate(std::string_view s, TDateTime& out);
// "aaaa-mm-dd" or "aaaa-mm-dd hh:nn:ss".
bool TryIsoToDateTime(std::string_view s, TDateTime& out);
std::string DateTimeToIso(TDateTime dt);  // "aaaa-mm-dd hh:nn:ss" or "aaaa-mm-dd"

// Money and rates: "#0.00", "0.00", "#,##0.00", "0", "#0.000"... with the
// Brazilian separators ("," decimal, "." thousands), rounded half away from zero.
std::string FormatFloat(std::string_view pattern, double x);
// The host's general number text: up to 15 significant digits, no trailing
// zeros, "," as decimal separator (4.81 * 30 gives "144,3", not the binary
// neighbour 144,29999999999998).
std::string FloatToStr(double x);
// Reads "1234,56", "1.234,56" or "1234.56"; false when not a number.
bool TryStrToFloat(std::string_view s, double& out);

}  // namespace fields
