// The option buttons of the filter dialogs: the named values a dialog saves
// are kept by the server under the dialog's screen code and the operator
// logged in, so that they are there for the next session too.
#pragma once

#include <map>
#include <string>

#include "filters/filter_context.h"

namespace filters {

using TOpcoes = std::map<std::string, std::string>;

// Replaces the operator's saved options of the dialog; a server refusal
// raises and keeps what was saved before.
void GravaOpcoes(IContextoFiltros& contexto, const std::string& tela, const TOpcoes& opcoes);
// The operator's saved options of the dialog; empty when none were saved.
TOpcoes LeOpcoes(IContextoFiltros& contexto, const std::string& tela);

// A "Todos"/"Lista" choice as a saved value, and back ("T" or "L").
inline std::string OpcaoTodos(bool todos) {
  return todos ? "T" : "L";
}
// The saved value under name into into (a missing name leaves it as it was).
void LeOpcao(const TOpcoes& opcoes, const char* name, std::string& into);
void LeOpcao(const TOpcoes& opcoes, const char* name, bool& todos);

}  // namespace filters
