// The file each batch keeps: written again on the operator's word
// (`remessa arquivo`), and put in place when a run died between storing its
// batch and renaming its file.
#pragma once

#include <string>

#include "server/rdm_remessa_cnab.h"

namespace app {

struct TGlobais;

// Finishes what runs that died left: a stored batch whose file was still
// staged gets it in place (the staged file if its bytes are the stored ones,
// else the stored bytes), and staging files of gone processes beside the
// last batches' files, or beside extra when given, are removed. Each step is
// told on stderr. Every command calls it as it opens the database.
void RecuperaArquivos(server::IRdmRemessaCNAB& server, const std::string& extra = {});

// The stored bytes of a batch's file (Windows-1252 texts); path gets the
// path it was written to. Raises when the batch keeps no file.
std::string ArquivoGuardado(server::IRdmRemessaCNAB& server, const std::string& empresa,
                            const std::string& remessa, std::string& path);

// Writes bytes at path through a staged file beside it: the path holds the
// old file or the new one, never part of one.
void GravaNoLugar(const std::string& path, const std::string& bytes);

// `remessa arquivo`: the batch's file again, to its path or to saida (UTF-8).
int ComandoArquivo(const TGlobais& g, const std::string& empresa, const std::string& remessa,
                   const std::string& saida);

}  // namespace app
