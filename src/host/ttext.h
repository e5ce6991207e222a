// The text of a field value. A data set holds tens of columns per row and
// hundreds of thousands of rows; a std::string takes 32 bytes per value, and
// with it every value of every row 40. This one takes 16: up to 15
// characters in place, longer text on the heap.
#pragma once

#include <compare>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

#include "host/pool.h"

namespace host {

class TText {
 public:
  TText() noexcept { small(0); }
  TText(std::string_view s) { assign(s); }  // NOLINT: converts like a string
  TText(const std::string& s) : TText(std::string_view(s)) {}
  TText(const char* s) : TText(std::string_view(s)) {}
  TText(const TText& o) : TText(o.view()) {}
  TText(TText&& o) noexcept {
    std::memcpy(b_, o.b_, sizeof b_);
    o.small(0);
  }
  TText& operator=(const TText& o) {
    if (this != &o) {
      TText t(o);
      *this = std::move(t);
    }
    return *this;
  }
  TText& operator=(TText&& o) noexcept {
    if (this != &o) {
      release();
      std::memcpy(b_, o.b_, sizeof b_);
      o.small(0);
    }
    return *this;
  }
  ~TText() { release(); }

  const char* data() const noexcept {
    if (!on_heap()) return b_;
    const char* p;
    std::memcpy(&p, b_, sizeof p);
    return p;
  }
  size_t size() const noexcept {
    if (!on_heap()) return static_cast<unsigned char>(b_[kLast]);
    uint32_t n;
    std::memcpy(&n, b_ + sizeof(char*), sizeof n);
    return n;
  }
  bool empty() const noexcept { return size() == 0; }
  std::string_view view() const noexcept { return {data(), size()}; }
  operator std::string_view() const noexcept { return view(); }  // NOLINT
  std::string str() const { return std::string(view()); }

  friend bool operator==(const TText& a, const TText& b) noexcept { return a.view() == b.view(); }
  friend bool operator==(const TText& a, std::string_view b) noexcept { return a.view() == b; }
  friend bool operator==(const TText& a, const char* b) noexcept { return a.view() == b; }
  friend std::strong_ordering operator<=>(const TText& a, const TText& b) noexcept {
    return a.view() <=> b.view();
  }
  friend std::ostream& operator<<(std::ostream& o, const TText& t) { return o << t.view(); }

 private:
  static constexpr size_t kLast = 15;  // in-place length, or kHeap
  static constexpr unsigned char kHeap = 0x80;

  bool on_heap() const noexcept { return static_cast<unsigned char>(b_[kLast]) == kHeap; }
  void small(size_t n) noexcept {
    b_[n] = '\0';
    b_[kLast] = static_cast<char>(n);
  }
  void assign(std::string_view s) {
    if (s.size() < kLast) {
      std::memcpy(b_, s.data(), s.size());
      small(s.size());
      return;
    }
    char* p = static_cast<char*>(PoolAllocate(s.size() + 1));
    std::memcpy(p, s.data(), s.size());
    p[s.size()] = '\0';
    const auto n = static_cast<uint32_t>(s.size());
    std::memcpy(b_, &p, sizeof p);
    std::memcpy(b_ + sizeof p, &n, sizeof n);
    b_[kLast] = static_cast<char>(kHeap);
  }
  void release() noexcept {
    if (on_heap()) PoolRelease(const_cast<char*>(data()), size() + 1);
  }

  alignas(8) char b_[16];
};

}  // namespace host
