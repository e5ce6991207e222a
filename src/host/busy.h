// The host's busy animation (Showavi): shown while the server works, and
// removed whatever the call's outcome.
#pragma once

namespace host {

void ActiveShowAvi();
void DeactiveShowAvi();
bool ShowAviAtivo();

// Shows the animation for its scope.
class TShowAvi {
 public:
  TShowAvi() { ActiveShowAvi(); }
  ~TShowAvi() { DeactiveShowAvi(); }
  TShowAvi(const TShowAvi&) = delete;
  TShowAvi& operator=(const TShowAvi&) = delete;
};

}  // namespace host
