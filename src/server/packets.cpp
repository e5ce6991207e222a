#include "server/packets.h"

#include <map>
#include <stdexcept>
#include <string>

namespace server {
namespace {

using host::DateField;
using host::FloatField;
using host::StrField;
using host::TFieldDef;

std::map<std::string, std::vector<TFieldDef>, std::less<>> build() {
  std::map<std::string, std::vector<TFieldDef>, std::less<>> m;
  m["CNABREC"] = {
      DateField("DTCNABREC"),         StrField("NMOPERADOR", 40),        StrField("DSARQCNABREC", 250),
      StrField("CDEMPRESA", 2),       StrField("NRCNABREC", 10),         StrField("IDTIPCNABREC", 1),
      StrField("CDOPERADOR", 12),     StrField("CDREDUCONT", 3),         StrField("CDBANCO", 3),
      StrField("CDAGENCIA", 5),       StrField("CDPICTAGEN", 10),        StrField("CDCONTCORR", 10),
      StrField("DSCONTCORR", 20),     StrField("CDPICTCONT", 20),        StrField("CDBANCCNAB", 3),
      StrField("IDOPECNABREC", 1),    StrField("NMBANCO", 30),           StrField("DSARQBORDREC", 250),
      StrField("IDMARCADO", 1),       StrField("DSNOSNUMCORR", 200),     StrField("CDREDUCONTCOBR", 3),
      StrField("CDBANCOCOBR", 3),     StrField("CDAGENCIACOBR", 5),      StrField("CDCONTCORRCOBR", 10),
      StrField("DSCONTCORRCOBR", 20), StrField("DSNOSNUMCORRCOBR", 200), FloatField("QTBOLENVCNABREC"),
      FloatField("VRTOTBOLCNABREC"),  StrField("NRSEQREMESSAREC", 10),   StrField("CDBANCOCONV", 3),
      FloatField("QTDBOLREM"),        StrField("CDFILIAL", 4),           StrField("NMFILIAL", 30),
  };
  m["BOLETOS"] = {
      FloatField("QTDIADEVOL"),
      StrField("CDDIADEVOL", 1),
      StrField("TXMENSBOLBOL", 500),
      StrField("IDBAIXAUTILR", 1),
      StrField("CDPICTAGEN", 10),
      StrField("IDMARCADO", 1),
      DateField("DTVENBOLREC"),
      StrField("NMRAZSOCCLIE", 50),
      StrField("IDSITUCNABR", 2),
      StrField("IDTPIJURCLIE", 1),
      StrField("NRINSJURCLIE", 20),
      FloatField("VRFINALBREC"),
      StrField("DSCONTCORR", 20),
      StrField("CDCLIENTE", 21),
      StrField("CDFILIAL", 4),
      StrField("NRLANBOLREC", 10),
      StrField("CDREDUCONT", 3),
      StrField("CDEMPRESA", 2),
      StrField("NRCNABRECREM", 10),
      StrField("CDBANCO", 3),
      StrField("CDAGENCIA", 5),
      StrField("CDCONTCORR", 10),
      StrField("CDPICTCONT", 20),
      FloatField("VRPEMULBREC"),
      FloatField("VRMULTABREC"),
      FloatField("VRPEMORBREC"),
      FloatField("VRMORDIABREC"),
      StrField("CDBANCCNAB", 3),
      StrField("CDNOSNUMREC", 20),
      StrField("CDCARTCOBBOL", 3),
      StrField("CDINS1COBBOL", 2),
      StrField("CDINS2COBBOL", 2),
      FloatField("QTDIAPROTBOL"),
      StrField("IDIMPRBOLBOL", 1),
      StrField("NRRETCNABREC", 20),
      StrField("NMFANTCLIE", 50),
      StrField("NMBANCO", 30),
      StrField("NMTPBAIXAREC", 50),
      StrField("IDCARTCOBREC", 1),
      StrField("DOCUMENTO", 10),
      StrField("IDSTATBREC", 1),
      StrField("CDDIAPROTBOL", 1),
      StrField("IDBOLRECALTER", 1),
      StrField("IDFORMCADBREC", 1),
      StrField("NRPARCBOLREC", 2),
      FloatField("VRPEDESCBCLI"),
      StrField("CDFILIBOLREC", 4),
      StrField("EMAILCOBCLIE", 120),
      // The title's issue date: a bank file takes it where the title has no invoice.
      DateField("DTEMISBOLREC"),
  };
  m["ALTERABOLETOS"] = {
      StrField("CDFILIAL", 4),      StrField("NRLANBOLREC", 10), StrField("NRCNABREC", 10),
      StrField("CDREDUCONT", 3),    StrField("CDNOSNUMREC", 20), StrField("IDSITUCNABR", 2),
      StrField("IDBOLRECALTER", 1), StrField("IDOPECNABREC", 1), StrField("CDEMPRESA", 2),
      FloatField("VRFINALBREC"),
  };
  m["DOCUMENTOS"] = {StrField("NRNOTAFISC", 20), StrField("CDSERIE", 5)};
  m["TOTREMESSA"] = {FloatField("QTBOLETOS"), FloatField("VRTOTBOL")};
  m["DOCBOL"] = {StrField("DUPLICATA", 10),   StrField("NRPARCELA", 2), StrField("NRNOTAFISC", 20),
                 StrField("NRACESSONFE", 44), FloatField("VRNOTAFISC"), DateField("DTEMISSAO")};
  m["LICENCAUSO"] = {StrField("IDTPIJURLUSO", 1), StrField("NRINSJURLUSO", 20), StrField("NMRAZSOCLUSO", 100),
                     StrField("NMFANTLUSO", 50),  StrField("DSENDELUSO", 100),  StrField("NMBAIRLUSO", 50),
                     StrField("NRCEPLUSO", 15),   StrField("NMMUNICIPIO", 30),  StrField("SGESTADO", 2)};
  m["TXBOLETOS"] = {StrField("TXMENSBOLBOL", 500)};
  m["DUPLICATA"] = {StrField("DUPLICATA", 10), StrField("NRPARCELA", 2), DateField("DTEMISSAO")};
  m["INSTRUBOL"] = {StrField("INSTRU1", 100), StrField("INSTRU2", 100)};
  m["EMPRBANC"] = {
      StrField("CDEMPBANCREC", 20),  StrField("CDCARTCOBR", 3),     StrField("NRVARIACARTCOB", 3),
      StrField("IDPADRCNABREC", 20), StrField("IDGERLINHACOMP", 1), StrField("IDIMPRBOLETO", 1),
      StrField("IDCARTCOBR", 1),     StrField("IDREGSEGSCOB", 1),   StrField("IDGERLINHACOBEMAIL", 1)};
  m["IDCONTA"] = {StrField("CDIDRECCONTCORR", 20)};
  m["CONTACORR"] = {
      StrField("CDPICTAGEN", 10),    StrField("CDREDUCONT", 3),     StrField("CDBANCO", 3),
      StrField("CDAGENCIA", 5),      StrField("CDCONTCORR", 10),    StrField("DSCONTCORR", 20),
      StrField("DSNOSNUMCORR", 200), StrField("CDCEDENTEBAN", 30),  StrField("IDFASCNABREC", 1),
      StrField("CDPICTCONT", 20),    StrField("CDBANCCNAB", 3),     StrField("NMBANCO", 30),
      StrField("NRAUTCNABDES", 4),   StrField("NMCEDENTEBAN", 40),  StrField("CDBANCOCONV", 3),
      StrField("CDSACAVALISTA", 30), StrField("NMSACAVALISTA", 40), StrField("IDTPIJURSAC", 1),
  };
  m["CONTACORRCOBR"] = {
      StrField("CDPICTAGEN", 10),    StrField("CDREDUCONT", 3),   StrField("CDBANCO", 3),
      StrField("CDAGENCIA", 5),      StrField("CDCONTCORR", 10),  StrField("DSCONTCORR", 20),
      StrField("DSNOSNUMCORR", 200), StrField("IDFASCNABREC", 1), StrField("CDCEDENTEBAN", 30),
      StrField("CDPICTCONT", 20),    StrField("CDBANCCNAB", 3),   StrField("NMBANCO", 30)};
  m["FILIAL"] = {StrField("CDFILIAL", 4),      StrField("NMFILIAL", 30),      StrField("IDTPIJURFILI", 1),
                 StrField("NRINSJURFILI", 20), StrField("NMRAZSOCFILI", 100), StrField("SGESTADO", 2),
                 StrField("CDMUNICIPIO", 4),   StrField("DSENDEFILI", 50),    StrField("NMBAIRFILI", 30),
                 StrField("NRCEPFILI", 15),    StrField("NMMUNICIPIO", 30)};
  m["FILIALCC"] = {StrField("CDFILIAL", 4), StrField("NMFILIAL", 30)};
  m["FILIRECE"] = {StrField("CDFILIAL", 4),     StrField("NRLANCTONF", 10),  StrField("CDFILIRECE", 4),
                   StrField("CDFILIBOLREC", 4), StrField("NRLANBOLREC", 10), StrField("NRINSJURFILI", 20)};
  m["PARAMFILIAL"] = {FloatField("NRTAMNUMNFUT")};
  m["GERALREC"] = {StrField("CDGERALREC", 2), FloatField("QTDIAANTBOLR"), FloatField("QTDIAAPOBOLR")};
  m["PARAMGERAL"] = {StrField("IDEXIBDADORC", 1)};
  m["OPCOESFILTRO"] = {StrField("NMOPCAO", 30), StrField("DSVALOR", 4000)};
  // A return file: what its header says (the first eight fields, the
  // account's code empty when the file is to name it) and, as stored, its
  // number, when it was read and what became of its occurrences. Dates as
  // "aaaa-mm-dd" text.
  m["ARQRETORNO"] = {
      StrField("CDREDUCONT", 3),       StrField("CDBANCO", 3),        StrField("DSLEIAUTE", 30),
      StrField("DTARQUIVO", 10),       StrField("NRSEQRETORNO", 20),  StrField("DSDIGEST", 64),
      StrField("DSARQUIVO", 260),      StrField("NRINSCRICAO", 20),   StrField("CDAGENCIA", 10),
      StrField("CDCONTA", 20),         StrField("CDCODEMPRESA", 20),  StrField("CDEMPRESA", 2),
      host::IntField("NRARQRETORNO"),  StrField("DTLEITURA", 19),     StrField("CDOPERADOR", 12),
      host::IntField("QTOCORRENCIAS"), host::IntField("QTAPLICADAS"), host::IntField("QTNAOENCONTR"),
  };
  // One occurrence of a return file: as read (up to VRABATIMENTO), then the
  // title it was matched to and what was done.
  m["OCORRETORNO"] = {
      host::IntField("NRREGISTRO"), StrField("CDOCORRENCIA", 2), StrField("DSOCORRENCIA", 80),
      StrField("IDEFEITO", 1),      StrField("DSMOTIVOS", 40),   StrField("DSIDENTIF", 25),
      StrField("CDNOSNUM", 20),     StrField("DSDOCUMENTO", 15), StrField("DTVENCIMENTO", 10),
      StrField("DTOCORRENCIA", 10), StrField("DTCREDITO", 10),   FloatField("VRTITULO"),
      FloatField("VRPAGO"),         FloatField("VRTARIFA"),      FloatField("VRJUROS"),
      FloatField("VRDESCONTO"),     FloatField("VRABATIMENTO"),  StrField("CDFILIAL", 4),
      StrField("NRLANBOLREC", 10),  StrField("IDSITUANTES", 2),  StrField("IDSITUDEPOIS", 2),
      StrField("DSRESULTADO", 120),
  };
  m["DADOSREL"] = {DateField("DTRELATORIO"), StrField("NRVERSAO", 8), StrField("DSORIGEM", 250)};
  // One row per title of the batch, the batch's own data repeated on each; a
  // batch without titles gives one row whose title fields are null.
  m["BORDERO"] = {
      StrField("CDEMPRESA", 2),
      StrField("NMRAZSOCEMPR", 80),
      StrField("NRINSJUREMPR", 20),
      StrField("NRCNABREC", 10),
      DateField("DTCNABREC"),
      StrField("IDOPECNABREC", 1),
      StrField("NMOPERADOR", 40),
      StrField("DSARQCNABREC", 250),
      StrField("CDBANCO", 3),
      StrField("NMBANCO", 30),
      StrField("CDAGENCIA", 5),
      StrField("CDPICTAGEN", 10),
      StrField("CDCONTCORR", 10),
      StrField("CDPICTCONT", 20),
      StrField("DSCONTCORR", 20),
      StrField("NRSEQREMESSAREC", 10),
      StrField("CDFILIAL", 4),
      StrField("NMFILIAL", 30),
      StrField("CDFILIALBOL", 4),
      StrField("NRLANBOLREC", 10),
      DateField("DTVENBOLREC"),
      StrField("NMRAZSOCCLIE", 50),
      StrField("NRINSJURCLIE", 20),
      StrField("DOCUMENTO", 10),
      StrField("CDNOSNUMREC", 20),
      FloatField("VRFINALBREC"),
      StrField("IDSITUCNABR", 2),
      // What the bank's last return said: its reasons, what was paid.
      StrField("DSMOTIVRET", 40),
      FloatField("VRPAGORET"),
      DateField("DTPAGORET"),
  };
  return m;
}

}  // namespace

const std::vector<TFieldDef>& PacketFields(std::string_view name) {
  static const auto m = build();
  auto it = m.find(name);
  if (it == m.end()) throw std::out_of_range("unknown packet " + std::string(name));
  return it->second;
}

}  // namespace server
