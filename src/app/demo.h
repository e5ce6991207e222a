// The demo store: one company, a branch, one account for every bank of the
// dispatch table, agreements, clients and titles.
#pragma once

#include <string>

namespace app {

// The demo fixture as import JSON (UTF-8), dated around the given day.
std::string DemoFixture(double hoje);

}  // namespace app
