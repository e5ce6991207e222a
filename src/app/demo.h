// The demo store: one company, a branch, one account for every bank of the
// dispatch table, agreements, clients and titles.
#pragma once

#include <string>

#include "app/cli_common.h"

namespace app {

// The demo fixture as import JSON (UTF-8), dated around the given day.
std::string DemoFixture(double hoje);

// The demo's borderô template: kept beside the database, where every
// workstation's report folder fetches it from.
void InstalaModeloDemo(server::TRemessaServer& s, const std::string& db);

// The bank's answer to the last batch of every account of the demo store
// whose bank has a return layout, written in dir and read back.
int DemoRetornos(const TGlobais& g, const std::string& dir);

// `remessa demo`: a fresh demo store in demo-out/ and every bank's file.
int ComandoDemo(TGlobais g);

}  // namespace app
