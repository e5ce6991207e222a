#include "host/busy.h"

namespace host {
namespace {
int g_busy = 0;
}

void ActiveShowAvi() {
  ++g_busy;
}
void DeactiveShowAvi() {
  if (g_busy > 0) --g_busy;
}
bool ShowAviAtivo() {
  return g_busy > 0;
}

}  // namespace host
