#include "fields/datetime.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "fields/cp1252.h"

namespace fields {
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t days_from_civil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civil_from_days(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

constexpr int64_t kEpochShift = 25569;  // 1899-12-30 to 1970-01-01

std::string two(int v) {
  v %= 100;
  if (v < 0) {  // as "%02d" writes it: the sign, then one digit or two
    const int a = -v;
    return a < 10 ? std::string{'-', static_cast<char>('0' + a)}
                  : std::string{'-', static_cast<char>('0' + a / 10), static_cast<char>('0' + a % 10)};
  }
  return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

const char* const kShortDays[] = {"dom", "seg", "ter", "qua", "qui", "sex", "sáb"};
const char* const kLongDays[] = {"domingo",      "segunda-feira", "terça-feira", "quarta-feira",
                                 "quinta-feira", "sexta-feira",   "sábado"};

int64_t seconds_of_day(TDateTime dt) {
  double frac = dt - std::floor(dt);
  auto s = static_cast<int64_t>(std::llround(frac * 86400.0));
  return s >= 86400 ? 86399 : s;
}

}  // namespace

TDateTime EncodeDate(int year, int month, int day) {
  return static_cast<double>(days_from_civil(year, month, day) + kEpochShift);
}

TDateTime EncodeTime(int hour, int min, int sec) {
  return (hour * 3600 + min * 60 + sec) / 86400.0;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
  civil_from_days(static_cast<int64_t>(std::floor(dt)) - kEpochShift, year, month, day);
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec) {
  int64_t s = seconds_of_day(dt);
  hour = static_cast<int>(s / 3600);
  min = static_cast<int>(s / 60 % 60);
  sec = static_cast<int>(s % 60);
}

TDateTime DateOf(TDateTime dt) {
  return std::floor(dt);
}

int DayOfWeek(TDateTime dt) {
  // 1899-12-30 was a Saturday.
  int64_t d = static_cast<int64_t>(std::floor(dt));
  int r = static_cast<int>(((d + 6) % 7 + 7) % 7);  // 0 = Sunday
  return r + 1;
}

std::string FormatDateTime(std::string_view p, TDateTime dt) {
  int y, mo, d, h, mi, s;
  DecodeDate(dt, y, mo, d);
  DecodeTime(dt, h, mi, s);
  std::string out;
  size_t i = 0;
  auto run = [&](char c) {
    size_t n = 0;
    while (i + n < p.size() && std::tolower(static_cast<unsigned char>(p[i + n])) == c) ++n;
    return n;
  };
  while (i < p.size()) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(p[i])));
    size_t n = (c == 'd' || c == 'm' || c == 'y' || c == 'h' || c == 'n' || c == 's') ? run(c) : 0;
    if (n == 0) {
      out += p[i++];
      continue;
    }
    i += n;
    switch (c) {
      case 'd':
        if (n >= 5)
          out += two(d) + "/" + two(mo) + "/" + std::to_string(y);
        else if (n == 4)
          out += Utf8ToCp1252(kLongDays[DayOfWeek(dt) - 1]);
        else if (n == 3)
          out += Utf8ToCp1252(kShortDays[DayOfWeek(dt) - 1]);
        else if (n == 2)
          out += two(d);
        else
          out += std::to_string(d);
        break;
      case 'm':
        out += n >= 2 ? two(mo) : std::to_string(mo);
        break;
      case 'y':
        if (n >= 3) {
          // Four digits, zero-filled, as the years of the dates stored are.
          if (y >= 0 && y <= 9999) {
            out += static_cast<char>('0' + y / 1000);
            out += static_cast<char>('0' + y / 100 % 10);
            out += two(y % 100);
          } else {
            char b[16];
            std::snprintf(b, sizeof b, "%04d", y);
            out += b;
          }
        } else {
          out += two(y);
        }
        break;
      case 'h':
        out += n >= 2 ? two(h) : std::to_string(h);
        break;
      case 'n':
        out += n >= 2 ? two(mi) : std::to_string(mi);
        break;
      case 's':
        out += n >= 2 ? two(s) : std::to_string(s);
        break;
    }
  }
  return out;
}

namespace {
bool valid_date(int y, int m, int d) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  static const int md[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int max = md[m - 1];
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) max = 29;
  return d <= max;
}

bool parse_time(std::string_view t, TDateTime& frac) {
  int h = 0, mi = 0, s = 0;
  char tail = 0;
  std::string str(t);
  int n = std::sscanf(str.c_str(), "%2d:%2d:%2d%c", &h, &mi, &s, &tail);
  if (n < 2 || n > 3 || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0) return false;
  frac = EncodeTime(h, mi, s);
  return true;
}
}  // namespace

bool TryStrToDate(std::string_view s, TDateTime& out) {
  std::string str(s);
  int d, m, y, consumed = 0;
  if (std::sscanf(str.c_str(), "%2d/%2d/%4d%n", &d, &m, &y, &consumed) != 3) return false;
  if (!valid_date(y, m, d)) return false;
  TDateTime frac = 0;
  std::string_view rest = s.substr(consumed);
  if (!rest.empty()) {
    if (rest[0] != ' ' || !parse_time(rest.substr(1), frac)) return false;
  }
  out = EncodeDate(y, m, d) + frac;
  return true;
}

bool TryIsoToDateTime(std::string_view s, TDateTime& out) {
  // yyyy-mm-dd, digits only: read once per stored date, so no sscanf.
  auto digits = [&s](size_t at, size_t n, int& v) {
    v = 0;
    for (size_t i = at; i < at + n; ++i) {
      if (s[i] < '0' || s[i] > '9') return false;
      v = v * 10 + (s[i] - '0');
    }
    return true;
  };
  int d, m, y;
  if (s.size() < 10 || s[4] != '-' || s[7] != '-' || !digits(0, 4, y) || !digits(5, 2, m) || !digits(8, 2, d))
    return false;
  if (!valid_date(y, m, d)) return false;
  TDateTime frac = 0;
  std::string_view rest = s.substr(10);
  if (!rest.empty()) {
    if ((rest[0] != ' ' && rest[0] != 'T') || !parse_time(rest.substr(1), frac)) return false;
  }
  out = EncodeDate(y, m, d) + frac;
  return true;
}

std::string DateTimeToIso(TDateTime dt) {
  if (seconds_of_day(dt) == 0) return FormatDateTime("yyyy-mm-dd", dt);
  return FormatDateTime("yyyy-mm-dd hh:nn:ss", dt);
}

std::string FormatFloat(std::string_view pattern, double x) {
  std::string_view p = pattern;
  auto dot = p.find('.');
  int decimals = 0;
  if (dot != std::string_view::npos) {
    for (size_t i = dot + 1; i < p.size() && (p[i] == '0' || p[i] == '#'); ++i) ++decimals;
  }
  const bool thousands =
      p.find(',') != std::string_view::npos && (dot == std::string_view::npos || p.find(',') < dot);
  // Not a number has no digits: its text makes a numeric field refuse it,
  // where a digit would write a value nobody typed.
  if (!std::isfinite(x)) return std::isnan(x) ? "NaN" : x < 0 ? "-Inf" : "Inf";
  const double f = std::pow(10.0, decimals);
  const double scaled = std::floor(std::fabs(x) * f + 0.5 + 1e-7);
  // Beyond what a long long holds (where a cast is undefined) the whole
  // number's digits come from the double itself; no field is that wide, so
  // the writer refuses it, but by its true digits.
  std::string digits;
  if (scaled < 9e18) {
    digits = std::to_string(static_cast<long long>(scaled));
  } else {
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, scaled, std::chars_format::fixed, 0);
    digits.assign(buf, res.ptr);
  }
  const bool neg = x < 0 && digits != "0";
  if (static_cast<int>(digits.size()) <= decimals) digits.insert(0, decimals + 1 - digits.size(), '0');
  std::string ip = digits.substr(0, digits.size() - decimals);
  std::string fp = digits.substr(digits.size() - decimals);
  if (thousands) {
    std::string g;
    int cnt = 0;
    for (auto it = ip.rbegin(); it != ip.rend(); ++it) {
      if (cnt && cnt % 3 == 0) g.insert(g.begin(), '.');
      g.insert(g.begin(), *it);
      ++cnt;
    }
    ip = g;
  }
  std::string r = neg ? "-" : "";
  r += ip;
  if (decimals) r += "," + fp;
  return r;
}

std::string FloatToStr(double x) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
  std::string r(buf, res.ptr);
  for (char& c : r)
    if (c == '.') c = ',';
  return r;
}

bool TryStrToFloat(std::string_view s, double& out) {
  std::string t;
  const bool has_comma = s.find(',') != std::string_view::npos;
  for (char c : s) {
    if (c == ' ') continue;
    if (has_comma && c == '.') continue;  // thousands separator
    t += (c == ',') ? '.' : c;
  }
  if (t.empty()) return false;
  char* end = nullptr;
  out = std::strtod(t.c_str(), &end);
  return end && *end == 0;
}

}  // namespace fields
