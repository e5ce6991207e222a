#include "host/pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace {

// Blocks live at the same time never overlap, whatever their sizes, and each
// keeps what was written into it.
TEST(Pool, LiveBlocksAreDistinctAndKeepTheirContents) {
  std::vector<std::pair<unsigned char*, std::size_t>> blocos;
  for (std::size_t i = 0; i < 3000; ++i) {
    const std::size_t n = 1 + (i * 37) % 5000;  // some beyond the pooled sizes
    auto* p = static_cast<unsigned char*>(host::PoolAllocate(n));
    std::memset(p, static_cast<int>(i & 0xff), n);
    blocos.emplace_back(p, n);
  }
  std::set<std::pair<std::uintptr_t, std::uintptr_t>> faixas;
  for (std::size_t i = 0; i < blocos.size(); ++i) {
    auto [p, n] = blocos[i];
    for (std::size_t k = 0; k < n; ++k) ASSERT_EQ(p[k], static_cast<unsigned char>(i & 0xff)) << i;
    const auto a = reinterpret_cast<std::uintptr_t>(p);
    auto it = faixas.lower_bound({a, 0});
    if (it != faixas.end()) {
      EXPECT_GE(it->first, a + n);
    }
    if (it != faixas.begin()) {
      EXPECT_LE(std::prev(it)->second, a);
    }
    faixas.insert({a, a + n});
    EXPECT_EQ(a % 16, 0u);
  }
  for (auto [p, n] : blocos) host::PoolRelease(p, n);
}

TEST(Pool, AllocatorServesRowsOfAnySize) {
  std::vector<std::vector<int64_t, host::TPoolAllocator<int64_t>>> rows(200);
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t k = 0; k < i * 3; ++k) rows[i].push_back(static_cast<int64_t>(i * 1000 + k));
  rows.erase(rows.begin(), rows.begin() + 50);  // released blocks are used again below
  rows.resize(300);
  for (std::size_t i = 150; i < rows.size(); ++i) rows[i].assign(i, -1);
  for (std::size_t i = 0; i < 150; ++i)
    for (std::size_t k = 0; k < rows[i].size(); ++k)
      ASSERT_EQ(rows[i][k], static_cast<int64_t>((i + 50) * 1000 + k));
  using TRow = std::vector<int64_t, host::TPoolAllocator<int64_t>>;
  for (std::size_t i = 150; i < rows.size(); ++i) EXPECT_EQ(rows[i], TRow(i, -1));
}

// The pool's own bookkeeping, which the sanitizer build never runs: a freed
// block is the next one handed out in its size class (sizes round up to 16
// bytes), a block of another class is not, and blocks past the largest class
// are the heap's.
TEST(Pool, ReleasedBlockServesTheNextOfItsSizeClass) {
  struct Caso {
    std::size_t liberado, pedido;
    bool mesmo;
  };
  const Caso casos[] = {
      {24, 24, true}, {17, 32, true}, {32, 17, true}, {16, 32, false}, {48, 49, false}, {4096, 4090, true},
  };
  if (!host::PoolServes(16)) GTEST_SKIP() << "every block is the heap's in this build";
  EXPECT_FALSE(host::PoolServes(4097));
  EXPECT_FALSE(host::PoolServes(0));
  for (const auto& c : casos) {
    void* p = host::PoolAllocate(c.liberado);
    host::PoolRelease(p, c.liberado);
    void* q = host::PoolAllocate(c.pedido);
    EXPECT_EQ(p == q, c.mesmo) << c.liberado << " -> " << c.pedido;
    host::PoolRelease(q, c.pedido);
  }
}

// More blocks than one chunk holds: the pool takes further chunks, and no
// block reaches into another across a chunk's end.
TEST(Pool, BlocksBeyondOneChunkStayApart) {
  constexpr std::size_t n = 4096, quantos = (40u << 20) / n;
  std::vector<unsigned char*> blocos;
  for (std::size_t i = 0; i < quantos; ++i) {
    auto* p = static_cast<unsigned char*>(host::PoolAllocate(n));
    p[0] = p[n - 1] = static_cast<unsigned char>(i);
    blocos.push_back(p);
  }
  for (std::size_t i = 0; i < quantos; ++i) {
    ASSERT_EQ(blocos[i][0], static_cast<unsigned char>(i)) << i;
    ASSERT_EQ(blocos[i][n - 1], static_cast<unsigned char>(i)) << i;
  }
  std::vector<std::uintptr_t> a;
  for (auto* p : blocos) a.push_back(reinterpret_cast<std::uintptr_t>(p));
  std::sort(a.begin(), a.end());
  for (std::size_t i = 1; i < a.size(); ++i) ASSERT_GE(a[i], a[i - 1] + n);
  for (auto* p : blocos) host::PoolRelease(p, n);
}

}  // namespace
