#include "app/demo.h"

#include <nlohmann/json.hpp>

#include "fields/datetime.h"
#include "fields/text.h"

namespace app {

using nlohmann::json;

namespace {

struct TBancoDemo {
  const char* codigo;
  const char* nome;
  const char* conv;  // agreement bank
};

// One account for every bank code the dispatcher knows.
const TBancoDemo kBancos[] = {
    {"237", "BRADESCO", "237"},
    {"341", "ITAU", "341"},
    {"399", "HSBC", "399"},
    {"422", "SAFRA", "422"},
    {"409", "UNIBANCO", "409"},
    {"479", "BANKBOSTON", "479"},
    {"001", "BANCO DO BRASIL", "001"},
    {"031", "BEG", "031"},
    {"389", "MERCANTIL", "389"},
    {"021", "BANESTES", "021"},
    {"151", "NOSSA CAIXA", "151"},
    {"275", "REAL", "275"},
    {"356", "REAL", "356"},
    {"453", "RURAL", "453"},
    {"749", "RURAL", "749"},
    {"353", "SANTANDER", "353"},
    {"033", "SANTANDER", "033"},
    {"008", "SANTANDER", "008"},
    {"104", "CAIXA", "104"},
    {"069", "PORTUGUES", "069"},
    {"347", "SUDAMERIS", "347"},
    {"041", "BANRISUL", "041"},
    {"637", "SOFISA", "637"},
    {"748", "SICREDI", "748"},
    {"756", "SICOOB", "756"},
    {"707", "DAYCOVAL", "707"},
    {"025", "ALFA", "025"},
    {"888", "FACTORING", "888"},
    {"092", "BRICKELL", "092"},
    {"612", "GUANABARA", "612"},
    {"604", "INDUSTRIAL", "604"},
    {"394", "BRR", "394"},
    {"999", "FOMENTO", "999"},
    {"004", "NORDESTE", "004"},
};

std::string iso(double d) {
  return fields::FormatDateTime("yyyy-mm-dd", d);
}

// A second company, whose parameters at Caixa choose the SIGCB layout: the
// parameters are the company's, so the first company keeps the plain one.
void SegundaEmpresa(json& j, double hoje) {
  j["EMPRESA"].push_back({{"CDEMPRESA", "02"},
                          {"NMEMPRESA", "Serviços Exemplo"},
                          {"IDTPIJUREMPR", "J"},
                          {"NRINSJUREMPR", "98765432000198"},
                          {"NMRAZSOCEMPR", "Serviços Exemplo Ltda."}});
  j["FILIAL"].push_back({{"CDFILIAL", "0002"},
                         {"CDEMPRESA", "02"},
                         {"NMFILIAL", "Serviços"},
                         {"IDTPIJURFILI", "J"},
                         {"NRINSJURFILI", "98.765.432/0001-98"},
                         {"NMRAZSOCFILI", "Serviços Exemplo Ltda."}});
  j["ENDEFILI"].push_back({{"CDFILIAL", "0002"},
                           {"IDTPENDEFILI", "P"},
                           {"CDPAIS", "1058"},
                           {"SGESTADO", "MG"},
                           {"CDMUNICIPIO", "3106"},
                           {"DSENDEFILI", "Rua da Bahia, 900"},
                           {"NMBAIRFILI", "Centro"},
                           {"NRCEPFILI", "30160-011"}});
  j["OPEREMPR"].push_back({{"CDOPERADOR", "ADMIN"}, {"CDEMPRESA", "02"}});
  j["PARAMFILIAL"].push_back({{"CDFILIAL", "0002"}, {"NRTAMNUMNFUT", 9}});
  j["EMPRBANC"].push_back({{"CDEMPRESA", "02"},
                           {"CDBANCO", "104"},
                           {"CDEMPBANCREC", "456789"},
                           {"CDCARTCOBR", "14"},
                           {"IDPADRCNABREC", "2"},
                           {"IDCARTCOBR", "1"},
                           {"IDIMPRBOLETO", "E"}});
  j["CONTCORR"].push_back({{"CDREDUCONT", "201"},
                           {"CDEMPRESA", "02"},
                           {"CDBANCO", "104"},
                           {"CDAGENCIA", "12345"},
                           {"CDCONTCORR", "00098765-4"},
                           {"DSCONTCORR", "Cob. CAIXA SIGCB"},
                           {"DSNOSNUMCORR", "14[SEQ15]"},
                           {"CDCEDENTEBAN", "456789"},
                           {"CDBANCCNAB", "104"},
                           {"CDBANCOCONV", "104"},
                           {"NMCEDENTEBAN", "Serviços Exemplo"},
                           {"CDFILIAL", "0002"}});
  for (int k = 0; k < 3; ++k) {
    const std::string nr = std::to_string(2001 + k);
    j["BOLETOREC"].push_back({{"CDFILIAL", "0002"},
                              {"NRLANBOLREC", nr},
                              {"CDEMPRESA", "02"},
                              {"CDCLIENTE", "C00" + std::to_string(1 + k)},
                              {"CDREDUCONT", "201"},
                              {"DTVENBOLREC", iso(hoje + 15 + 7 * k)},
                              {"DTEMISBOLREC", iso(hoje - 2)},
                              {"VRFINALBREC", 480.0 + 10.5 * k},
                              {"IDSITUCNABR", "00"},
                              {"CDNOSNUMREC", "14000000000200" + std::to_string(k + 1)},
                              {"CDCARTCOBBOL", "14"},
                              {"IDCARTCOBREC", "1"},
                              {"QTDIAPROTBOL", 0},
                              {"IDIMPRBOLBOL", "E"},
                              {"VRPEMULBREC", 2.0},
                              {"VRMORDIABREC", 0.5},
                              {"CDFILIBOLREC", "0002"},
                              {"NRPARCBOLREC", "1"},
                              {"DOCUMENTO", "S" + nr}});
  }
}

}  // namespace

std::string DemoFixture(double hoje) {
  json j;
  // The company's CNPJ is kept as its 14 digits: Banco Real refuses to send
  // titles of a company whose registered tax id is longer.
  j["EMPRESA"] = {{{"CDEMPRESA", "01"},
                   {"NMEMPRESA", "Comércio Exemplo"},
                   {"IDTPIJUREMPR", "J"},
                   {"NRINSJUREMPR", "12345678000195"},
                   {"NMRAZSOCEMPR", "Comércio de Peças Exemplo São João Ltda."}}};
  j["MUNICIPIO"] = {
      {{"CDPAIS", "1058"}, {"SGESTADO", "SP"}, {"CDMUNICIPIO", "3550"}, {"NMMUNICIPIO", "São Paulo"}},
      {{"CDPAIS", "1058"}, {"SGESTADO", "MG"}, {"CDMUNICIPIO", "3106"}, {"NMMUNICIPIO", "Belo Horizonte"}}};
  j["FILIAL"] = {{{"CDFILIAL", "0001"},
                  {"CDEMPRESA", "01"},
                  {"NMFILIAL", "Matriz"},
                  {"IDTPIJURFILI", "J"},
                  {"NRINSJURFILI", "12.345.678/0001-95"},
                  {"NMRAZSOCFILI", "Comércio de Peças Exemplo São João Ltda."}}};
  j["ENDEFILI"] = {{{"CDFILIAL", "0001"},
                    {"IDTPENDEFILI", "P"},
                    {"CDPAIS", "1058"},
                    {"SGESTADO", "SP"},
                    {"CDMUNICIPIO", "3550"},
                    {"DSENDEFILI", "Avenida Paulista, 1000"},
                    {"NMBAIRFILI", "Bela Vista"},
                    {"NRCEPFILI", "01310-100"}}};
  j["OPERADOR"] = {
      {{"CDOPERADOR", "ADMIN"}, {"NMOPERADOR", "Administrador"}, {"IDALTBOLREM", "S"}, {"IDCANBOLREM", "S"}}};
  j["OPEREMPR"] = {{{"CDOPERADOR", "ADMIN"}, {"CDEMPRESA", "01"}}};
  j["PARAMFILIAL"] = {{{"CDFILIAL", "0001"}, {"NRTAMNUMNFUT", 9}}};

  j["CLIENTE"] = {{{"CDCLIENTE", "C001"},
                   {"NMRAZSOCCLIE", "José Antônio Conceição & Filhos Comércio Ltda"},
                   {"NMFANTCLIE", "Empório São José"},
                   {"IDTPIJURCLIE", "J"},
                   {"NRINSJURCLIE", "98.765.432/0001-10"},
                   {"EMAILCOBCLIE", "financeiro@emporiosaojose.com.br"}},
                  {{"CDCLIENTE", "C002"},
                   {"NMRAZSOCCLIE", "Maria da Graça Ribeiro"},
                   {"NMFANTCLIE", "Maria"},
                   {"IDTPIJURCLIE", "F"},
                   {"NRINSJURCLIE", "123.456.789-09"}},
                  {{"CDCLIENTE", "C003"},
                   {"NMRAZSOCCLIE", "Indústria Ñandú de Calçados S.A."},
                   {"NMFANTCLIE", "Ñandú"},
                   {"IDTPIJURCLIE", "J"},
                   {"NRINSJURCLIE", "11.222.333/0001-81"}},
                  {{"CDCLIENTE", "C004"},
                   {"NMRAZSOCCLIE", "Auto Peças Übersee"},
                   {"NMFANTCLIE", "Übersee"},
                   {"IDTPIJURCLIE", "J"},
                   {"NRINSJURCLIE", "44.555.666/0001-70"}}};
  j["ENDECLIE"] = json::array();
  const char* enderecos[] = {"Rua Dr. José Bonifácio de Andrada e Silva, 1234 B", "Av. Afonso Pena, 4000",
                             "Travessa #7 do Comércio, s/n", "Rua Açaí, 12"};
  for (int i = 0; i < 4; ++i)
    j["ENDECLIE"].push_back({{"CDCLIENTE", "C00" + std::to_string(i + 1)},
                             {"IDTPENDECLIE", "C"},
                             {"CDPAIS", "1058"},
                             {"SGESTADO", i == 1 ? "MG" : "SP"},
                             {"CDMUNICIPIO", i == 1 ? "3106" : "3550"},
                             {"DSENDECLIE", enderecos[i]},
                             {"NMBAIRCLIE", i == 1 ? "Funcionários" : "Centro"},
                             {"NRCEPCLIE", i == 1 ? "30130-009" : "01001-000"}});

  j["BANCO"] = json::array();
  j["CONTCORR"] = json::array();
  j["EMPRBANC"] = json::array();
  j["BOLETOREC"] = json::array();
  j["NOTAFISCAL"] = json::array();
  j["DUPLICATA"] = json::array();
  j["TXBOLETO"] = json::array();
  j["LICENCAUSO"] = json::array();
  int conta = 0, titulo = 0;
  for (const auto& b : kBancos) {
    ++conta;
    const std::string cd = fields::Ajusta(std::to_string(conta), 3);
    j["BANCO"].push_back(
        {{"CDBANCO", b.codigo}, {"NMBANCO", b.nome}, {"CDPICTAGEN", "9999-9"}, {"CDPICTCONT", "9999999-9"}});
    json c = {{"CDREDUCONT", cd},
              {"CDEMPRESA", "01"},
              {"CDBANCO", b.codigo},
              {"CDAGENCIA", "1234"},
              {"CDCONTCORR", "0012345" + std::to_string(conta % 10)},
              {"DSCONTCORR", fields::LeftStr(std::string("Cob. ") + b.nome, 20)},
              {"DSNOSNUMCORR", "09[SEQ11]"},
              {"CDCEDENTEBAN", "4567890"},
              {"CDBANCCNAB", b.codigo},
              {"CDBANCOCONV", b.conv},
              {"NRAUTCNABDES", "0042"},
              {"NMCEDENTEBAN", "Comércio Exemplo"},
              {"CDIDRECCONTCORR", "00000000000004567890"},
              {"CDFILIAL", "0001"}};
    // Caixa reads the agency's check digit where the bank's picture has its
    // hyphen, so its account keeps the agency with that digit.
    if (std::string(b.codigo) == "104") c["CDAGENCIA"] = "12345";
    if (std::string(b.codigo) == "237" || std::string(b.codigo) == "422") {
      c["CDSACAVALISTA"] = "123.456.789-09";
      c["NMSACAVALISTA"] = "Avalista Conceição";
      c["IDTPIJURSAC"] = "F";
    }
    j["CONTCORR"].push_back(c);
    j["EMPRBANC"].push_back({{"CDEMPRESA", "01"},
                             {"CDBANCO", b.codigo},
                             {"CDEMPBANCREC", "4567890"},
                             {"CDCARTCOBR", "109"},
                             {"NRVARIACARTCOB", "019"},
                             {"IDPADRCNABREC", "1"},
                             {"IDCARTCOBR", "1"},
                             {"IDIMPRBOLETO", "E"},
                             {"IDGERLINHACOBEMAIL", "S"}});
    // Rural's file takes the portfolio from the code's last but one character,
    // which must not be "0".
    if (std::string(b.codigo) == "453" || std::string(b.codigo) == "749")
      j["EMPRBANC"].back()["CDCARTCOBR"] = "019";
    // Nordeste writes a fine record after each title when asked to, and its
    // portfolio code from the company's portfolio.
    if (std::string(b.codigo) == "004") {
      j["EMPRBANC"].back()["IDGERLINHACOMP"] = "S";
      j["EMPRBANC"].back()["CDCARTCOBR"] = "21";
    }
    // The factoring company's code has eight positions: the account carries
    // no identification of its own, so the company's code at the bank is sent.
    if (std::string(b.codigo) == "888") j["CONTCORR"].back()["CDIDRECCONTCORR"] = "";
    for (int k = 0; k < 3; ++k) {
      ++titulo;
      const std::string nr = std::to_string(1000 + titulo);
      const double venc = hoje + 10 + 7 * k;
      json t = {{"CDFILIAL", "0001"},
                {"NRLANBOLREC", nr},
                {"CDEMPRESA", "01"},
                {"CDCLIENTE", "C00" + std::to_string(1 + titulo % 4)},
                {"CDREDUCONT", cd},
                {"DTVENBOLREC", iso(venc)},
                {"DTEMISBOLREC", iso(hoje - 5)},
                {"VRFINALBREC", 150.0 * (k + 1) + 0.37 * titulo},
                {"IDSITUCNABR", "00"},
                {"CDNOSNUMREC",
                 fields::Ajusta(std::to_string(700000 + titulo), 11) + "-" + std::to_string(titulo % 10)},
                {"CDCARTCOBBOL", "09"},
                {"IDCARTCOBREC", "1"},
                {"CDINS1COBBOL", "06"},
                {"QTDIAPROTBOL", k == 0 ? 5 : 0},
                {"IDIMPRBOLBOL", "E"},
                {"VRPEMULBREC", 2.0},
                {"VRPEMORBREC", k == 1 ? 0.033 : 0.0},
                {"VRMORDIABREC", 1.5},
                {"VRPEDESCBCLI", k == 2 ? 5.0 : 0.0},
                {"CDFILIBOLREC", "0001"},
                {"NRPARCBOLREC", std::to_string(k + 1)},
                {"DOCUMENTO", "NF" + nr},
                {"IDFORMCADBREC", k == 2 ? "2" : "1"}};
      // Sofisa writes the company's own number for portfolio 6 only.
      if (std::string(b.codigo) == "637") t["CDCARTCOBBOL"] = "6";
      j["BOLETOREC"].push_back(t);
      const std::string lanc = "L" + nr;
      j["NOTAFISCAL"].push_back(
          {{"CDFILIAL", "0001"},
           {"NRLANCTONF", lanc},
           {"NRNOTAFISC", std::to_string(50000 + titulo)},
           {"CDSERIE", k == 0 ? "" : "1"},
           {"NRACESSONFE", k == 0 ? "35261212345678000195550010000500011000500010" : ""},
           {"VRNOTAFISC", 150.0 * (k + 1)},
           {"DTEMISSAO", iso(hoje - 5)},
           {"CDFILIRECE", "0001"}});
      j["DUPLICATA"].push_back({{"CDFILIAL", "0001"},
                                {"NRLANBOLREC", nr},
                                {"DUPLICATA", std::to_string(50000 + titulo)},
                                {"NRPARCELA", std::to_string(k + 1)},
                                {"DTEMISSAO", iso(hoje - 5)},
                                {"CDFILINF", "0001"},
                                {"NRLANCTONF", lanc}});
      if (k == 1)
        j["TXBOLETO"].push_back(
            {{"CDFILIAL", "0001"},
             {"NRLANBOLREC", nr},
             {"TXMENSBOLBOL", "Não receber após 30 dias do vencimento. Cobrar juros de mora."}});
      if (k == 2 && conta % 2 == 1)
        j["LICENCAUSO"].push_back({{"CDFILIAL", "0001"},
                                   {"NRLANBOLREC", nr},
                                   {"IDTPIJURLUSO", "J"},
                                   {"NRINSJURLUSO", "55.666.777/0001-00"},
                                   {"NMRAZSOCLUSO", "Licenciada Três Corações Distribuidora"},
                                   {"NMFANTLUSO", "Três Corações"},
                                   {"DSENDELUSO", "  Rodovia BR-116, Km 23, Galpão 4"},
                                   {"NMBAIRLUSO", "Distrito Industrial"},
                                   {"NRCEPLUSO", "37410-000"},
                                   {"NMMUNICIPIO", "Três Corações"},
                                   {"SGESTADO", "MG"}});
    }
  }
  // Collection accounts for the banks that take one.
  int extra = 100;
  for (const char* b : {"353", "033", "008"}) {
    j["CONTCORR"].push_back({{"CDREDUCONT", std::to_string(++extra)},
                             {"CDEMPRESA", "01"},
                             {"CDBANCO", b},
                             {"CDAGENCIA", "4321"},
                             {"CDCONTCORR", "0098765"},
                             {"DSCONTCORR", "Conta cobrança"},
                             {"CDBANCCNAB", b},
                             {"IDCONTCOBR", "S"}});
  }
  SegundaEmpresa(j, hoje);
  return j.dump(2);
}

}  // namespace app
