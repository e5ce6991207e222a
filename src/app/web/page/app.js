// The operator's screen: every control drives the server's form through the
// JSON API; nothing of the form's rules lives here. Text from the store is
// always put on the page as text (textContent), never as markup.
"use strict";

const TAM_PAGINA = 50;
const url = new URL(location.href);
const token = url.searchParams.get("token") || "";
let sessao = null, csrf = null, estado = null;
let pagBoletos = 0, pagRemessas = 0, atualBoleto = 0, atualRemessa = 0;
let linhasBoletos = [], linhasRemessas = [];

const $ = (s, r = document) => r.querySelector(s);
const $$ = (s, r = document) => Array.from(r.querySelectorAll(s));

function cabecalhos(json) {
  const h = {};
  if (json) h["Content-Type"] = "application/json";
  if (token) h["X-Token"] = token;
  if (sessao) { h["X-Sessao"] = sessao; h["X-CSRF"] = csrf; }
  return h;
}

function linkApi(caminho, params) {
  const q = new URLSearchParams(params || {});
  q.set("sessao", sessao);
  if (token) q.set("token", token);
  return "/api/" + caminho + "?" + q.toString();
}

function mostraMensagem(tipo, texto) {
  const d = document.createElement("div");
  d.className = "msg " + tipo;
  d.textContent = texto;
  $("#mensagens").appendChild(d);
  setTimeout(() => d.remove(), tipo === "erro" ? 12000 : 6000);
}

// The form's question as a modal dialog; resolves true for Sim/OK.
function pergunta(p) {
  return new Promise(resolve => {
    const dlg = $("#dlgPergunta");
    $("#perguntaTexto").textContent = p.texto;
    const ok = p.botoes === "okCancelar";
    $("#btnSim").textContent = ok ? "OK" : "Sim";
    $("#btnNao").textContent = ok ? "Cancelar" : "Não";
    const fim = v => { dlg.close(); $("#btnSim").onclick = $("#btnNao").onclick = null; resolve(v); };
    $("#btnSim").onclick = () => fim(true);
    $("#btnNao").onclick = () => fim(false);
    dlg.oncancel = e => { e.preventDefault(); fim(false); };
    dlg.showModal();
    $("#btnSim").focus();
  });
}

// A long run shows its progress while the request is open.
function vigiaAndamento() {
  let parar = false;
  const caixa = $("#progresso");
  const t = setTimeout(async function volta() {
    if (parar) return;
    caixa.hidden = false;
    try {
      const r = await fetch(linkApi("andamento"), { headers: cabecalhos(false) });
      const a = await r.json();
      const barra = $("#progressoBarra");
      if (a.progresso) {
        $("#progressoLegenda").textContent = a.progresso.legenda;
        barra.max = a.progresso.maximo; barra.value = a.progresso.posicao;
      } else {
        $("#progressoLegenda").textContent = "Aguarde…";
        barra.removeAttribute("value");
      }
    } catch (e) { /* the main request reports */ }
    if (!parar) setTimeout(volta, 300);
  }, 400);
  return () => { parar = true; clearTimeout(t); caixa.hidden = true; };
}

async function chama(metodo, caminho, corpo) {
  const r = await fetch("/api/" + caminho, {
    method: metodo, headers: cabecalhos(metodo === "POST"),
    body: metodo === "POST" ? JSON.stringify(corpo || {}) : undefined,
  });
  let j = {};
  try { j = await r.json(); } catch (e) { j = { erro: "Resposta inválida do servidor." }; }
  if (r.status === 401) { mostraMensagem("erro", j.erro); }
  return j;
}

// One operator action: the form's questions are answered in dialogs until the
// action ends; then its messages are shown and the screen follows the form.
async function acao(caminho, corpo) {
  const fim = vigiaAndamento();
  let j;
  try {
    j = await chama("POST", caminho, corpo);
    while (j.pergunta) {
      fim();
      const sim = await pergunta(j.pergunta);
      j = await chama("POST", "resposta", { sim });
    }
  } finally { fim(); }
  for (const m of j.mensagens || []) mostraMensagem(m.tipo, m.texto);
  if (j.erro) mostraMensagem("erro", j.erro);
  if (j.estado) await aplicaEstado(j.estado);
  return j;
}

function poeControle(id, c) {
  const e = document.getElementById(id);
  if (document.activeElement !== e) e.value = c.texto;
  e.disabled = !c.habilitado;
  const b = e.parentElement.querySelector(".pesquisa");
  if (b) b.disabled = !c.habilitado;
}

function poeCombo(id, c) {
  const e = document.getElementById(id);
  if (e.options.length !== c.itens.length)
    e.replaceChildren(...c.itens.map((t, i) => { const o = document.createElement("option"); o.value = i; o.textContent = t; return o; }));
  e.value = c.indice;
  e.disabled = !c.habilitado;
}

async function aplicaEstado(s) {
  estado = s;
  poeControle("medCdEmpresa", s.empresa);
  $(".pesquisa[data-campo=empresa]").disabled = !s.empresa.habilitado;
  $("#nomeEmpresa").textContent = s.nomeEmpresa;
  poeControle("dbeCdReduCont", s.conta);
  poeControle("dbeCdReduContCobr", s.contaCobranca);
  poeControle("dbeCdFilial", s.filial);
  poeControle("dbeArquivo", s.arquivo);
  poeCombo("dbcTpMov", s.operacao);
  poeCombo("cbbTpRemessa", s.tipoRemessa);
  $("#dbeDtCNABRec").value = s.data;
  for (const b of $$("[data-comando]")) {
    const c = b.dataset.comando;
    b.disabled = c in s.comandos ? !s.comandos[c] : !s.comandos.cancelaRemessa;
  }
  $("#btnFiltrar").disabled = !s.comandos.filtrar;
  $("#sbtCancelaRemessa").disabled = !s.comandos.cancelaRemessa;
  for (const b of $$("#abas button")) {
    b.disabled = !s.paginas[b.dataset.pagina] && s.pagina !== b.dataset.pagina;
    b.setAttribute("aria-selected", String(s.pagina === b.dataset.pagina));
  }
  for (const p of ["remessas", "formulario", "boletos"]) $("#pg-" + p).hidden = s.pagina !== p;
  $("#btnMarcarTodos").disabled = s.boletos === 0;
  $("#nedQuant").textContent = s.marcados;
  $("#nedTotal").textContent = s.total;
  $("#doVrCreditoBancario").textContent = s.creditoBancario;
  const ra = s.remessaAtual;
  $("#descricaoConta").textContent = ra ? [ra.banco, ra.agencia, ra.descricaoConta, ra.filial].filter(Boolean).join(" · ") : "";
  if (s.pagina === "boletos") await carregaBoletos();
  if (s.pagina === "remessas") await carregaRemessas();
}

function celula(tr, texto, classe) {
  const td = document.createElement("td");
  td.textContent = texto;
  if (classe) td.className = classe;
  tr.appendChild(td);
  return td;
}

function paginacao(el, total, pagina, vai) {
  const paginas = Math.max(1, Math.ceil(total / TAM_PAGINA));
  el.replaceChildren();
  const b = (t, p, rot) => {
    const x = document.createElement("button");
    x.type = "button"; x.textContent = t; x.title = rot;
    x.disabled = p < 0 || p >= paginas || p === pagina;
    x.onclick = () => vai(p);
    el.appendChild(x);
  };
  b("«", 0, "Primeira página"); b("‹", pagina - 1, "Página anterior");
  const s = document.createElement("span");
  s.textContent = ` Página ${pagina + 1} de ${paginas} (${total} linhas) `;
  el.appendChild(s);
  b("›", pagina + 1, "Próxima página"); b("»", paginas - 1, "Última página");
}

async function carregaBoletos() {
  const j = await chama("GET", `boletos?inicio=${pagBoletos * TAM_PAGINA}&quantos=${TAM_PAGINA}`);
  if (!j.pagina) return;
  const p = j.pagina;
  if (pagBoletos * TAM_PAGINA >= p.total && p.total > 0) { pagBoletos = Math.floor((p.total - 1) / TAM_PAGINA); return carregaBoletos(); }
  linhasBoletos = p.linhas;
  const tb = $("#grdBoletos tbody");
  tb.replaceChildren(...p.linhas.map((l, i) => {
    const tr = document.createElement("tr");
    tr.dataset.linha = l.linha;
    if (l.marcado) tr.classList.add("marcado");
    celula(tr, "");
    celula(tr, l.vencimento); celula(tr, l.cliente); celula(tr, l.tipoBaixa); celula(tr, l.documento);
    celula(tr, l.valor, "num"); celula(tr, l.situacao); celula(tr, l.conta);
    tr.title = l.filial + "/" + l.numero;
    tr.onclick = () => { atualBoleto = i; realca("#grdBoletos", atualBoleto); };
    tr.ondblclick = () => marca(i);
    return tr;
  }));
  atualBoleto = Math.min(atualBoleto, Math.max(0, p.linhas.length - 1));
  realca("#grdBoletos", atualBoleto);
  paginacao($("#pagBoletos"), p.total, pagBoletos, n => { pagBoletos = n; atualBoleto = 0; carregaBoletos(); });
}

async function carregaRemessas() {
  const j = await chama("GET", `remessas?inicio=${pagRemessas * TAM_PAGINA}&quantos=${TAM_PAGINA}`);
  if (!j.pagina) return;
  const p = j.pagina;
  linhasRemessas = p.linhas;
  const tb = $("#grdRemessas tbody");
  tb.replaceChildren(...p.linhas.map((l, i) => {
    const tr = document.createElement("tr");
    tr.dataset.linha = l.linha;
    if (l.marcado) tr.classList.add("marcado");
    const m = celula(tr, "");
    m.title = "Marcar para o borderô";
    m.onclick = e => { e.stopPropagation(); acao("marcaRemessa", { linha: l.linha }); };
    celula(tr, l.numero); celula(tr, l.data); celula(tr, l.operador); celula(tr, l.conta); celula(tr, l.banco);
    celula(tr, l.operacao); celula(tr, String(l.quantidade), "num"); celula(tr, l.valor, "num"); celula(tr, l.arquivo);
    const td = celula(tr, "");
    const a = document.createElement("a");
    a.textContent = "Baixar arquivo"; a.download = ""; a.href = linkApi("arquivo", { remessa: l.numero.trim() }); a.className = "baixar";
    const v = document.createElement("button");
    v.type = "button"; v.textContent = "Ver"; v.className = "ver";
    v.onclick = e => { e.stopPropagation(); ver(l.numero.trim()); };
    td.append(a, " ", v);
    tr.onclick = () => { if (p.atual !== l.linha) acao("remessa", { linha: l.linha }); };
    return tr;
  }));
  atualRemessa = Math.max(0, p.linhas.findIndex(l => l.linha === p.atual));
  realca("#grdRemessas", atualRemessa);
  paginacao($("#pagRemessas"), p.total, pagRemessas, n => { pagRemessas = n; carregaRemessas(); });
}

function realca(grade, i) {
  $$(grade + " tbody tr").forEach((tr, k) => tr.classList.toggle("atual", k === i));
  const tr = $$(grade + " tbody tr")[i];
  if (tr) tr.scrollIntoView({ block: "nearest" });
}

async function marca(i) {
  const l = linhasBoletos[i];
  if (!l) return;
  atualBoleto = i;
  await acao("marca", { linha: l.linha });
}

async function ver(numero) {
  const j = await chama("GET", "ver?remessa=" + encodeURIComponent(numero));
  for (const m of j.mensagens || []) mostraMensagem(m.tipo, m.texto);
  if (j.erro) mostraMensagem("erro", j.erro);
  const pre = $("#verArquivo");
  if (j.ver) { pre.textContent = j.ver.arquivo + "\n\n" + j.ver.texto; pre.hidden = false; }
}

async function pesquisa(campo) {
  const j = await chama("POST", "pesquisa", { campo });
  for (const m of j.mensagens || []) mostraMensagem(m.tipo, m.texto);
  if (!j.pesquisa) { if (j.erro) mostraMensagem("erro", j.erro); return; }
  const p = j.pesquisa, dlg = $("#dlgPesquisa");
  $("#pesquisaTitulo").textContent = p.titulo;
  if (p.linhas.length === 0) { mostraMensagem("aviso", p.textoVazio || "Nenhum registro."); return; }
  const th = document.createElement("tr");
  for (const c of p.colunas) { const h = document.createElement("th"); h.textContent = c; th.appendChild(h); }
  $("thead", dlg).replaceChildren(th);
  $("tbody", dlg).replaceChildren(...p.linhas.map((l, i) => {
    const tr = document.createElement("tr");
    for (const v of l) celula(tr, v);
    tr.onclick = async () => { dlg.close(); await acao("escolhe", { campo, linha: i }); };
    return tr;
  }));
  dlg.showModal();
}

// Only what the operator changed goes to the dialog: the rest keeps the
// criteria the dialog remembers (its defaults the first time).
function criterios(dlg) {
  const c = {};
  for (const e of $$("input", dlg))
    if (e.dataset.mudou) c[e.name] = e.type === "checkbox" ? e.checked : e.value;
  return c;
}

function mostraResultado(j) {
  const r = $("#resultado");
  r.replaceChildren();
  if (!j.remessa) { r.hidden = true; return; }
  const p = document.createElement("p");
  p.textContent = `Remessa ${j.remessa} gerada. `;
  const a = document.createElement("a");
  a.id = "baixarRemessa"; a.textContent = "Baixar o arquivo da remessa"; a.download = "";
  a.href = linkApi("arquivo", { remessa: j.remessa.trim() });
  p.appendChild(a);
  r.appendChild(p);
  r.hidden = false;
}

function mostraRecusas(recusas) {
  const d = $("#recusas");
  d.replaceChildren();
  for (const r of recusas || []) {
    const p = document.createElement("p");
    p.className = "recusa";
    p.textContent = `${r.quantos} × ${r.texto}`;
    const ul = document.createElement("ul");
    for (const b of r.boletos.slice(0, 20)) { const li = document.createElement("li"); li.textContent = b; ul.appendChild(li); }
    d.append(p, ul);
  }
}

// The bank's return file, sent as base64 and applied to the titles.
async function leRetorno(arquivo) {
  const url = await new Promise((ok, erro) => {
    const r = new FileReader();
    r.onload = () => ok(r.result); r.onerror = () => erro(r.error);
    r.readAsDataURL(arquivo);
  });
  const j = await acao("retorno", { nome: arquivo.name, conteudo: url.slice(url.indexOf(",") + 1), simular: $("#simularRetorno").checked });
  const d = $("#resultadoRetorno");
  d.replaceChildren();
  if (!j.retorno) return;
  const a = j.retorno.arquivo, col = n => a.colunas.indexOf(n), l = a.linhas[0] || [];
  const p = document.createElement("p");
  p.className = "retorno";
  p.textContent = (j.retorno.novo ? "" : "Arquivo retorno já lido: nada foi alterado. ") +
    `Retorno ${l[col("NRARQRETORNO")] || ""}: ${l[col("QTOCORRENCIAS")] || 0} ocorrência(s), ` +
    `${l[col("QTAPLICADAS")] || 0} aplicada(s), ${l[col("QTNAOENCONTR")] || 0} sem título` + (j.retorno.simulado ? " (simulação: nada foi gravado)." : ".");
  d.appendChild(p);
}

function liga() {
  const campo = (id, nome) => {
    const e = document.getElementById(id);
    e.addEventListener("change", () => acao("campo", { campo: nome, valor: e.tagName === "SELECT" ? Number(e.value) : e.value }));
    if (e.tagName === "INPUT") e.addEventListener("keydown", ev => { if (ev.key === "Enter") e.blur(); });
  };
  campo("medCdEmpresa", "empresa");
  campo("dbcTpMov", "operacao");
  campo("dbeCdReduCont", "conta");
  campo("dbeCdReduContCobr", "contaCobranca");
  campo("cbbTpRemessa", "tipoRemessa");
  campo("dbeCdFilial", "filial");
  campo("dbeArquivo", "arquivo");
  for (const b of $$(".pesquisa")) b.onclick = () => pesquisa(b.dataset.campo);
  for (const b of $$("[data-comando]")) b.onclick = async () => {
    $("#pmnCancelaRemessa").hidden = true;
    const c = b.dataset.comando;
    const j = await acao("comando", { comando: c });
    if (c === "confirmar") mostraResultado(j);
    if (c === "incluir") { $("#resultado").hidden = true; mostraRecusas([]); }
    if (c === "imprimir" && j.bordero) window.open(linkApi("bordero"), "_blank");
  };
  $("#sbtCancelaRemessa").onclick = () => { $("#pmnCancelaRemessa").hidden = !$("#pmnCancelaRemessa").hidden; };
  for (const b of $$("#abas button")) b.onclick = () => acao("pagina", { pagina: b.dataset.pagina });
  $("#btnFiltrar").onclick = () => {
    const boletos = estado && estado.pagina === "boletos";
    const dlg = boletos ? $("#dlgFiltroBoletos") : $("#dlgFiltroRemessas");
    // The dialog opens with what it remembers; only what the operator changes is sent.
    const lembrados = (estado && estado.criterios && estado.criterios[boletos ? "boletos" : "remessas"]) || {};
    for (const e of $$("input", dlg)) {
      delete e.dataset.mudou;
      if (!(e.name in lembrados)) continue;
      if (e.type === "checkbox") e.checked = !!lembrados[e.name]; else e.value = lembrados[e.name];
    }
    dlg.showModal();
  };
  for (const e of $$("#dlgFiltroRemessas input, #dlgFiltroBoletos input"))
    e.addEventListener("change", () => { e.dataset.mudou = "1"; });
  for (const b of $$("dialog .fecha")) b.onclick = () => b.closest("dialog").close();
  $("#btnAplicaRemessas").onclick = async () => { $("#dlgFiltroRemessas").close(); pagRemessas = 0; await acao("filtroRemessas", { criterios: criterios($("#dlgFiltroRemessas")) }); };
  $("#btnAplicaBoletos").onclick = async () => { $("#dlgFiltroBoletos").close(); pagBoletos = 0; await acao("filtroBoletos", { criterios: criterios($("#dlgFiltroBoletos")) }); };
  $("#arqRetorno").addEventListener("change", async e => { const f = e.target.files[0]; e.target.value = ""; if (f) await leRetorno(f); });
  $("#btnFechaPesquisa").onclick = () => $("#dlgPesquisa").close();
  $("#btnMarcarTodos").onclick = async () => { const j = await acao("comando", { comando: "marcarTodos" }); mostraRecusas(j.recusas); };
  $("#grdBoletos").addEventListener("keydown", async ev => {
    const n = linhasBoletos.length;
    if (ev.key === "ArrowDown" && atualBoleto < n - 1) atualBoleto++;
    else if (ev.key === "ArrowUp" && atualBoleto > 0) atualBoleto--;
    else if (ev.key === "Home") atualBoleto = 0;
    else if (ev.key === "End") atualBoleto = n - 1;
    else if (ev.key === " " || ev.key === "Enter") { ev.preventDefault(); await marca(atualBoleto); return; }
    else if (ev.key === "PageDown" && (pagBoletos + 1) * TAM_PAGINA < estado.boletos) { pagBoletos++; atualBoleto = 0; ev.preventDefault(); return carregaBoletos(); }
    else if (ev.key === "PageUp" && pagBoletos > 0) { pagBoletos--; atualBoleto = 0; ev.preventDefault(); return carregaBoletos(); }
    else return;
    ev.preventDefault();
    realca("#grdBoletos", atualBoleto);
  });
  $("#grdRemessas").addEventListener("keydown", async ev => {
    const l = linhasRemessas[atualRemessa];
    if (ev.key === "ArrowDown" && atualRemessa < linhasRemessas.length - 1) { ev.preventDefault(); await acao("remessa", { linha: linhasRemessas[atualRemessa + 1].linha }); }
    else if (ev.key === "ArrowUp" && atualRemessa > 0) { ev.preventDefault(); await acao("remessa", { linha: linhasRemessas[atualRemessa - 1].linha }); }
    else if (ev.key === " " && l) { ev.preventDefault(); await acao("marcaRemessa", { linha: l.linha }); }
  });
}

async function entra() {
  const j = await chama("POST", "sessao", { operador: $("#selOperador").value });
  if (!j.sessao) { mostraMensagem("erro", j.erro || "Não foi possível entrar."); return; }
  sessao = j.sessao; csrf = j.csrf;
  $("#operador").textContent = `Operador: ${j.nome} (${j.operador})`;
  $("#entrada").hidden = true;
  $("#tela").hidden = false;
  const e = await chama("GET", "estado");
  if (e.estado) await aplicaEstado(e.estado);
  $("#medCdEmpresa").focus();
}

async function inicia() {
  liga();
  const j = await chama("GET", "operadores");
  const sel = $("#selOperador");
  for (const o of j.operadores || []) {
    const op = document.createElement("option");
    op.value = o.codigo; op.textContent = `${o.codigo} - ${o.nome}`;
    sel.appendChild(op);
  }
  if (j.erro) mostraMensagem("erro", j.erro);
  $("#btnEntrar").onclick = entra;
  window.addEventListener("beforeunload", () => {
    if (sessao) fetch("/api/sair", { method: "POST", headers: cabecalhos(true), body: "{}", keepalive: true });
  });
}

inicia();
