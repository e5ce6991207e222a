// The form's writers: the catalogue of bank writers, each run's batch and
// marked titles taken from the form as the run left it.
#pragma once

#include <memory>

#include "layouts/remessa.h"
#include "workspace/escritores.h"
#include "workspace/form.h"

namespace app {

// Gives the form the catalogue's writers; every front end calls it before it
// opens the form.
void InstalaEscritores();

// The form's batch as the run fixes it before the writer starts, and its
// marked titles in the list's order.
layouts::TRemessa RemessaDoForm(workspace::TfrmRemessaCNAB& form);
std::unique_ptr<layouts::TTitulos> TitulosDoForm(workspace::TfrmRemessaCNAB& form);

}  // namespace app
