// The operator's screen in real Chromium: the whole flow a new user follows,
// checked against what the command line writes for the same store.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { spawn, execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { chromium } from "playwright-core";

const REMESSA = process.env.REMESSA_BINARY;
const ARTEFATOS = process.env.REMESSA_WEB_ARTEFATOS || fs.mkdtempSync(path.join(os.tmpdir(), "remessa-web-art-"));
const AGORA = "2026-12-08 10:30:00";
const MARCACAO = "<script>alert(1)</script><b>Cliente</b>";

let dir, servidor, endereco, browser, page;

function remessa(cwd, ...args) {
  return execFileSync(REMESSA, ["--agora", AGORA, ...args], { cwd, encoding: "utf8" });
}

before(async () => {
  assert.ok(REMESSA, "REMESSA_BINARY names the remessa binary");
  fs.mkdirSync(ARTEFATOS, { recursive: true });
  dir = fs.mkdtempSync(path.join(os.tmpdir(), "remessa-web-"));
  for (const d of ["web", "cli"]) fs.mkdirSync(path.join(dir, d));
  const web = path.join(dir, "web"), cli = path.join(dir, "cli");
  remessa(web, "--db", "r.db", "init", "--demo");
  // A client whose name holds markup, with a title of another account: offered, refused, shown as text.
  fs.writeFileSync(path.join(web, "marcacao.json"), JSON.stringify({
    CLIENTE: [{ CDCLIENTE: "C900", NMRAZSOCCLIE: MARCACAO, NMFANTCLIE: "X", IDTPIJURCLIE: "F", NRINSJURCLIE: "123.456.789-09" }],
    BOLETOREC: [{ CDFILIAL: "0001", NRLANBOLREC: "9900", CDEMPRESA: "01", CDCLIENTE: "C900", CDREDUCONT: "002",
      DTVENBOLREC: "2026-12-20", DTEMISBOLREC: "2026-12-01", VRFINALBREC: 10.0, IDSITUCNABR: "00", CDNOSNUMREC: "1",
      CDCARTCOBBOL: "09", IDCARTCOBREC: "1", IDIMPRBOLBOL: "E", CDFILIBOLREC: "0001" }],
  }));
  remessa(web, "--db", "r.db", "import", "marcacao.json");
  fs.copyFileSync(path.join(web, "r.db"), path.join(cli, "r.db"));
  for (const f of fs.readdirSync(web)) if (fs.statSync(path.join(web, f)).isDirectory())
    fs.cpSync(path.join(web, f), path.join(cli, f), { recursive: true });

  servidor = spawn(REMESSA, ["--agora", AGORA, "--db", "r.db", "web", "--porta", "0"], { cwd: web });
  endereco = await new Promise((resolve, reject) => {
    let saida = "";
    servidor.stdout.on("data", d => {
      saida += d;
      const m = saida.match(/(http:\/\/127\.0\.0\.1:\d+\/)/);
      if (m) resolve(m[1]);
    });
    servidor.on("exit", c => reject(new Error("remessa web saiu: " + c)));
  });
  browser = await chromium.launch({ executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"] });
  const ctx = await browser.newContext({ acceptDownloads: true, viewport: { width: 1280, height: 860 } });
  page = await ctx.newPage();
  page.on("pageerror", e => { throw e; });
});

after(async () => {
  if (browser) await browser.close();
  if (servidor) servidor.kill();
  if (dir) fs.rmSync(dir, { recursive: true, force: true });
});

const foto = nome => page.screenshot({ path: path.join(ARTEFATOS, nome + ".png"), fullPage: true });

// Answers the form's question in its dialog.
async function responde(texto, sim = true) {
  const dlg = page.locator("#dlgPergunta");
  await dlg.waitFor({ state: "visible" });
  assert.match(await page.locator("#perguntaTexto").textContent(), texto);
  await page.click(sim ? "#btnSim" : "#btnNao");
  await dlg.waitFor({ state: "hidden" });
}

async function campo(id, valor) {
  await page.fill(id, valor);
  await Promise.all([page.waitForResponse(r => r.url().endsWith("/api/campo")), page.press(id, "Tab")]);
}

test("a new batch from the browser is the file the command line writes", async () => {
  await page.goto(endereco);
  await page.selectOption("#selOperador", "ADMIN");
  await page.click("#btnEntrar");
  await page.locator("#tela").waitFor();
  await campo("#medCdEmpresa", "01");
  assert.equal(await page.textContent("#nomeEmpresa"), "Comércio Exemplo");
  await foto("remessas-vazia");

  await page.click("[data-comando=incluir]");
  await page.locator("#pg-formulario").waitFor();
  await campo("#dbeCdReduCont", "001");
  await Promise.all([page.waitForResponse(r => r.url().endsWith("/api/campo")), page.selectOption("#cbbTpRemessa", "0")]);
  await campo("#dbeArquivo", "web.txt");
  await foto("formulario");

  await page.click("#abas [data-pagina=boletos]");
  await page.locator("#grdBoletos tbody tr").first().waitFor();
  // The sent-titles filter, confirmed as it stands.
  await page.click("#btnFiltrar");
  await Promise.all([page.waitForResponse(r => r.url().includes("/api/boletos")), page.click("#btnAplicaBoletos")]);

  // A client's name holding markup stays a name.
  const celula = page.locator("#grdBoletos td", { hasText: "<script>" });
  await page.locator("#grdBoletos tbody").waitFor();
  assert.equal(await page.locator("#grdBoletos b, #grdBoletos script").count(), 0);
  const nomes = await page.locator("#grdBoletos tbody td:nth-child(3)").allTextContents();
  const paginas = await page.textContent("#pagBoletos");
  if (!nomes.includes(MARCACAO)) {
    await Promise.all([page.waitForResponse(r => r.url().includes("/api/boletos")),
                       page.click("#pagBoletos button[title='Última página']")]);
  }
  assert.equal(await celula.first().textContent(), MARCACAO, paginas);

  await page.click("#btnMarcarTodos");
  await responde(/marcar todos/i);
  await page.locator("#recusas .recusa").first().waitFor();
  const recusas = await page.locator("#recusas .recusa").allTextContents();
  assert.ok(recusas.some(r => r.includes("Operação bloqueada! Boleto não pertence à conta corrente informada.")), recusas.join("\n"));
  assert.equal(await page.textContent("#nedQuant"), "3");
  await foto("boletos-marcados");

  await page.click("[data-comando=confirmar]");
  await page.locator("#baixarRemessa").waitFor();
  const [download] = await Promise.all([page.waitForEvent("download"), page.click("#baixarRemessa")]);
  const baixado = fs.readFileSync(await download.path());
  await foto("remessa-gerada");

  remessa(path.join(dir, "cli"), "--db", "r.db", "gerar", "--empresa", "01", "--conta", "001", "--tipo", "cobranca",
          "--arquivo", "web.txt", "--todos");
  const daLinha = fs.readFileSync(path.join(dir, "cli", "web.txt"));
  assert.ok(baixado.length > 0);
  assert.ok(baixado.equals(daLinha), "the downloaded file differs from the one remessa gerar writes");
  assert.ok(baixado.equals(fs.readFileSync(path.join(dir, "web", "web.txt"))));
});

test("a title of a stored batch is released for alteration", async () => {
  await page.locator("#abas [data-pagina=remessas]").click();
  await page.locator("#grdRemessas tbody tr").first().waitFor();
  await page.click("#abas [data-pagina=boletos]");
  await page.locator("#grdBoletos tbody tr").first().waitFor();
  await page.focus("#grdBoletos");
  await Promise.all([page.waitForResponse(r => r.url().endsWith("/api/marca")), page.keyboard.press("Space")]);
  await page.locator("#grdBoletos tr.marcado").first().waitFor();
  await page.click("#sbtCancelaRemessa");
  await page.click("[data-comando=permitirAlteracao]");
  await responde(/altera/i);
  await page.locator("#grdBoletos td", { hasText: "Alterado/" }).first().waitFor();
  await foto("boletos-remessa");
});

test("the borderô of a batch prints as PDF", async () => {
  await page.click("#abas [data-pagina=remessas]");
  await page.locator("#grdRemessas tbody tr").first().waitFor();
  // The remittance filter, by the batch's number.
  await page.click("#btnFiltrar");
  await page.fill("#dlgFiltroRemessas [name=numero]", "1");
  await page.dispatchEvent("#dlgFiltroRemessas [name=numero]", "change");
  await Promise.all([page.waitForResponse(r => r.url().includes("/api/remessas")), page.click("#btnAplicaRemessas")]);
  assert.match(await page.textContent("#pagRemessas"), /\(1 linhas\)/);
  await page.locator("#grdRemessas tbody tr td:first-child").first().click();
  await page.locator("#grdRemessas tr.marcado").first().waitFor();
  const popup = page.context().waitForEvent("page");
  await page.click("[data-comando=imprimir]");
  await responde(/border/i);
  (await popup).close();
  const pdf = await page.request.get(new URL(await page.evaluate(() => linkApi("bordero")), endereco).href);
  assert.equal(pdf.headers()["content-type"], "application/pdf");
  assert.equal((await pdf.body()).subarray(0, 4).toString(), "%PDF");
  await foto("remessas");
});
