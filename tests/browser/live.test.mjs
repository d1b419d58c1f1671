// The live viewer (view --serve) in a real browser: the server runs on a copy
// of the built-in scenario in a temporary folder, the test edits the files
// as an author would and checks that the open page follows without a
// reload. Screenshots of each state go to SC_BROWSER_OUT (default
// build/browser-tests), named live-*.png.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { LINE, TRAIN, launchBrowser, outDir, program } from "./support.mjs";

const SIGNAL = "segnale,    6400,";

let work, browser, server, url, page, trainFile, original;
const problems = [];

// Starts `view --serve` and waits for the address it prints.
function startServer(dir) {
  const child = spawn(program, ["view", LINE, TRAIN, "--serve"], { cwd: dir });
  child.output = "";
  child.stderr.on("data", (d) => { child.output += d.toString("latin1"); });
  return new Promise((resolve, reject) => {
    let seen = "";
    child.stdout.on("data", (d) => {
      seen += d.toString("latin1");
      child.output += d.toString("latin1");
      const m = seen.match(/serving (http:\/\/127\.0\.0\.1:\d+\/)/);
      if (m) resolve([child, m[1]]);
    });
    child.on("exit", (code) => reject(new Error("the server ended (" + code + "): " + child.output)));
  });
}

const shot = (name) => page.screenshot({ path: path.join(outDir, "live-" + name + ".png") });
const version = () => page.evaluate(() => Number(document.body.dataset.liveVersion || 0));
const signalMetres = () => page.evaluate(() =>
  window.scenarioView.view.scenario.objects.filter((o) => o.type === "signal").map((o) => o.metre));
const diagnostics = () => page.$eval("#diagnostics", (e) => e.innerText);
const liveStatus = () => page.$eval("#live-status", (e) => e.className + ": " + e.innerText);
const zoom = () => page.evaluate(() => ({
  range: window.scenarioView.range(), plan: { ...window.scenarioView.view.planView },
}));

// Saves the train file with `edit` applied to the original text, and waits
// until the page has taken a version newer than the one it shows.
async function saveTrain(edit) {
  await changeFiles(() => fs.writeFileSync(trainFile, edit(original), "latin1"));
}
async function changeFiles(change) {
  const before = await version();
  change();
  await page.waitForFunction((v) => Number(document.body.dataset.liveVersion || 0) > v,
                             { timeout: 5000 }, before);
}

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), "sc-live-"));
  execFileSync(program, ["emit", "--out", work]);
  trainFile = path.join(work, TRAIN);
  original = fs.readFileSync(trainFile, "latin1");
  assert.ok(original.includes(SIGNAL));
  [server, url] = await startServer(work);
  browser = await launchBrowser();
  page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 900 });
  page.on("console", (m) => { if (m.type() === "error") problems.push("console: " + m.text()); });
  page.on("pageerror", (e) => problems.push("page error: " + e.message));
  page.on("framenavigated", (f) => { if (f === page.mainFrame()) problems.push("navigated: " + f.url()); });
  await page.goto(url, { waitUntil: "load" });
  problems.length = 0;  // the first load is not a reload
  await page.waitForSelector("body[data-ready='1']");
  await page.waitForFunction(() => document.body.dataset.liveVersion === "1");
});

after(async () => {
  if (browser) await browser.close();
  if (server && server.exitCode === null) server.kill("SIGKILL");
  if (work) fs.rmSync(work, { recursive: true, force: true });
});

test("the page served live shows the scenario and the server's state", async () => {
  assert.deepEqual(problems, []);
  assert.match(await liveStatus(), /^live-ok: Compiled, no warnings/);
  assert.match(await diagnostics(), /None/);
  assert.ok((await signalMetres()).includes(6400));
  await shot("01-served");
});

test("a signal moved by 500 m in the train file moves on the page, which keeps its zoom", async () => {
  await page.evaluate(() => window.scenarioView.view.select(
    window.scenarioView.view.scenario.objects.find((o) => o.name === "Bussoleno").key));
  for (let i = 0; i < 3; i++) await page.click("#zoom-in");
  const zoomed = await zoom();
  await shot("02-zoomed-before-edit");
  await saveTrain((t) => t.replace(SIGNAL, "segnale,    6900,"));
  const metres = await signalMetres();
  assert.ok(metres.includes(6900) && !metres.includes(6400), String(metres));
  assert.deepEqual(await zoom(), zoomed);
  assert.match(await page.$eval("#selection-info", (e) => e.innerText), /Bussoleno/);
  assert.match(await diagnostics(), /None/);
  assert.deepEqual(problems, [], "no reload, no error");
  await shot("03-signal-moved");
});

test("a misspelt keyword shows its warning, and the fix takes it away", async () => {
  await saveTrain((t) => t.replace(SIGNAL, "segnalle,    6900,"));
  assert.match(await diagnostics(), /warning.*'segnalle' is not a record keyword.*segnale/s);
  assert.match(await liveStatus(), /^live-ok: Compiled, 1 warning/);
  assert.ok(!(await signalMetres()).includes(6900));
  await shot("04-misspelt-keyword");
  await saveTrain((t) => t.replace(SIGNAL, "segnale,    6900,"));
  assert.match(await diagnostics(), /None/);
  assert.ok((await signalMetres()).includes(6900));
  assert.deepEqual(problems, []);
  await shot("05-keyword-fixed");
});

test("a save that cannot be compiled keeps the last picture and says why; the next save wins", async () => {
  const before = await signalMetres();
  await changeFiles(() => fs.unlinkSync(trainFile));  // an editor that removes it first
  assert.match(await liveStatus(), /^live-(stale|failed)/);
  assert.match(await diagnostics(), /error/);
  // Bussoleno stays selected; its record went with the save that failed.
  assert.match(await page.$eval("#selection-info", (e) => e.innerText),
               /Bussoleno[\s\S]*this save did not compile/);
  await shot("06-broken-save");
  // Half a file, then the whole file at once after it.
  fs.writeFileSync(trainFile, original.slice(0, original.length / 2), "latin1");
  await saveTrain((t) => t.replace(SIGNAL, "segnale,    6900,"));
  await page.waitForFunction(() => document.querySelector("#live-status").className === "live-ok",
                             { timeout: 5000 });
  assert.deepEqual(await signalMetres(), before);
  assert.match(await diagnostics(), /None/);
  assert.deepEqual(problems, []);
  await shot("07-recovered");
});

test("a save whose check fails keeps the last good picture with its error, and shows its own on request", async () => {
  const good = await signalMetres();
  const toggle = () => page.$eval("#live-failed-toggle", (e) => (e.hidden ? "hidden" : e.innerText));
  assert.equal(await toggle(), "hidden");
  // A second signal on the cell of the one at 2 800 m: error 16, and the
  // compile still writes (a partial result).
  await saveTrain((t) => t.replace("segnale,    5050,", "segnale,    2810,"));
  assert.match(await liveStatus(), /^live-stale: This save's check failed: the picture is the last good one/);
  assert.match(await diagnostics(), /error 16: the signal.s cell is already taken/);
  assert.deepEqual(await signalMetres(), good);
  assert.equal(await toggle(), "Show this save's result");
  await shot("09-failed-check-last-good");
  await page.click("#live-failed-toggle");
  await page.waitForFunction(() => document.body.dataset.showingFailed === "1");
  const partial = await signalMetres();
  assert.notDeepEqual(partial, good);
  assert.equal(await toggle(), "Show the last good picture");
  assert.match(await liveStatus(), /^live-stale: This save.s check failed: showing its own result/);
  await shot("10-failed-check-own-result");
  await page.click("#live-failed-toggle");
  await page.waitForFunction(() => document.body.dataset.showingFailed === "0");
  assert.deepEqual(await signalMetres(), good);
  // The fix: a clean picture, nothing failed to offer.
  await saveTrain((t) => t);
  await page.waitForFunction(() => document.querySelector("#live-status").className === "live-ok",
                             { timeout: 5000 });
  assert.equal(await toggle(), "hidden");
  assert.deepEqual(problems, []);
});

test("Ctrl-C stops the server cleanly", async () => {
  const ended = new Promise((resolve) => server.on("exit", (code, signal) => resolve([code, signal])));
  server.kill("SIGINT");
  assert.deepEqual(await ended, [0, null]);
  assert.match(server.output, /stopped/);
  await page.waitForFunction(() => document.querySelector("#live-status").className === "live-lost",
                             { timeout: 10000 });
  await shot("08-server-stopped");
});
