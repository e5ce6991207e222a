#include "host/pool.h"

#include <sys/mman.h>

#include <array>
#include <cstdint>
#include <mutex>

// Under AddressSanitizer every block comes from the heap, where the
// sanitizer sees overruns and use after release.
#if defined(__SANITIZE_ADDRESS__)
#define REMESSA_POOL_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define REMESSA_POOL_OFF 1
#endif
#endif

namespace host {

namespace {

constexpr std::size_t kGrain = 16;          // block sizes are multiples of this
constexpr std::size_t kLargest = 4096;      // larger blocks come from the heap
constexpr std::size_t kHuge = 2u << 20;     // a huge page
constexpr std::size_t kChunk = 16 * kHuge;  // memory taken from the system at a time
#ifdef REMESSA_POOL_OFF
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif

struct TFree {
  TFree* next;
};

class TPool {
 public:
  void* allocate(std::size_t bytes) {
    const std::size_t c = classe(bytes);
    std::lock_guard<std::mutex> g(m_);
    if (TFree* f = livres_[c]) {
      livres_[c] = f->next;
      return f;
    }
    const std::size_t size = c * kGrain;
    if (static_cast<std::size_t>(fim_ - livre_) < size) novo_bloco();
    void* p = livre_;
    livre_ += size;
    return p;
  }
  void release(void* p, std::size_t bytes) noexcept {
    const std::size_t c = classe(bytes);
    std::lock_guard<std::mutex> g(m_);
    auto* f = static_cast<TFree*>(p);
    f->next = livres_[c];
    livres_[c] = f;
  }

 private:
  static std::size_t classe(std::size_t bytes) { return (bytes + kGrain - 1) / kGrain; }
  void novo_bloco() {
    // Reserved with room to start on a huge-page boundary; what is left of
    // the current chunk is abandoned, at most one largest block.
    void* m = mmap(nullptr, kChunk + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::bad_alloc();
    auto base = reinterpret_cast<std::uintptr_t>(m);
    const std::uintptr_t alinhado = (base + kHuge - 1) & ~(kHuge - 1);
    if (alinhado > base) munmap(m, alinhado - base);
    const std::uintptr_t fim = alinhado + kChunk;
    const std::uintptr_t fim_reserva = base + kChunk + kHuge;
    if (fim_reserva > fim) munmap(reinterpret_cast<void*>(fim), fim_reserva - fim);
    // No MADV_HUGEPAGE: with it the kernel compacted memory for the chunks on
    // every other run, and listing 100 000 titles took 0.33 or 0.60 s by
    // turns; without it 0.35 s every time (2026-12-09, Banco do Brasil).
    livre_ = reinterpret_cast<char*>(alinhado);
    fim_ = reinterpret_cast<char*>(fim);
  }

  std::mutex m_;
  std::array<TFree*, kLargest / kGrain + 1> livres_{};
  char* livre_ = nullptr;
  char* fim_ = nullptr;
};

TPool& Pool() {
  // Never destroyed: blocks may be released by static objects' destructors.
  static TPool* p = new TPool;
  return *p;
}

}  // namespace

bool PoolServes(std::size_t bytes) noexcept {
  return kPooled && bytes != 0 && bytes <= kLargest;
}

void* PoolAllocate(std::size_t bytes) {
  if (PoolServes(bytes)) return Pool().allocate(bytes);
  return ::operator new(bytes);
}

void PoolRelease(void* p, std::size_t bytes) noexcept {
  if (!p) return;
  if (PoolServes(bytes)) {
    Pool().release(p, bytes);
    return;
  }
  ::operator delete(p);
}

}  // namespace host
