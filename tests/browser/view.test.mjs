// The viewer page in a real browser: Debian's chromium driven by
// puppeteer-core. Each state is saved as a screenshot in the output folder
// (SC_BROWSER_OUT, default build/browser-tests) to be looked at.
//
// SC_PROGRAM names the built scenario-compiler (default build/scenario-compiler).
import { test, before, after, describe } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { LINE, TRAIN, launchBrowser, outDir, program } from "./support.mjs";
import { maximumRoute } from "./maximum_route.mjs";


let work, browser;

function run(args, cwd) {
  return execFileSync(program, args, { cwd, encoding: "latin1", stdio: ["ignore", "pipe", "pipe"] });
}

// The built-in scenario's two text files in a folder of their own, edited
// by `edit(lineText, trainText)` when given.
function scenarioFolder(name, edit) {
  const dir = path.join(work, name);
  fs.mkdirSync(dir);
  run(["emit", "--out", dir], work);
  if (edit) {
    const line = fs.readFileSync(path.join(dir, LINE), "latin1");
    const train = fs.readFileSync(path.join(dir, TRAIN), "latin1");
    const [newLine, newTrain] = edit(line, train);
    fs.writeFileSync(path.join(dir, LINE), newLine, "latin1");
    fs.writeFileSync(path.join(dir, TRAIN), newTrain, "latin1");
  }
  return dir;
}

// Writes the page; a failed check (exit status 2) still writes it.
function writePage(dir, line = LINE, train = TRAIN) {
  const out = path.join(dir, "view.html");
  try {
    run(["view", line, train, "-o", out], dir);
  } catch (e) {
    if (e.status !== 2) throw e;
  }
  return out;
}

// Opens a page, recording console errors, page errors and every request
// that is not the page file itself.
async function open(file, { width = 1400, height = 900 } = {}) {
  const page = await browser.newPage();
  await page.setViewport({ width, height });
  const problems = [];
  const requests = [];
  const url = pathToFileURL(file).href;
  page.on("console", (m) => { if (m.type() === "error") problems.push("console: " + m.text()); });
  page.on("pageerror", (e) => problems.push("page error: " + e.message));
  page.on("request", (r) => { if (r.url() !== url && !r.url().startsWith("data:")) requests.push(r.url()); });
  const started = Date.now();
  await page.goto(url, { waitUntil: "load" });
  await page.waitForSelector("body[data-ready='1']", { timeout: 30000 });
  const loadMs = Date.now() - started;
  return { page, problems, requests, loadMs };
}

async function shot(page, name) {
  await page.screenshot({ path: path.join(outDir, name + ".png") });
}

const cursorText = (page) => page.$eval("#cursor-info", (e) => e.innerText);
const selectionText = (page) => page.$eval("#selection-info", (e) => e.innerText);
const range = (page) => page.evaluate(() => window.scenarioView.range());

// Moves the mouse over the profiles at metre `m`.
async function hoverProfiles(page, m) {
  const box = await (await page.$("#profiles")).boundingBox();
  const { x, y } = await page.evaluate((metre) => ({
    x: window.scenarioView.metreToProfileX(metre), y: window.scenarioView.objectLaneY() + 100,
  }), m);
  await page.mouse.move(box.x + x, box.y + y);
}

async function search(page, text) {
  await page.click("#search", { clickCount: 3 });
  await page.keyboard.type(text);
  await page.keyboard.press("Enter");
}

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), "sc-view-"));
  browser = await launchBrowser();
});

after(async () => {
  if (browser) await browser.close();
  if (work) fs.rmSync(work, { recursive: true, force: true });
});

describe("built-in scenario", () => {
  let file;
  before(() => { file = writePage(scenarioFolder("builtin")); });

  test("loads with no console error and no network request", async () => {
    const { page, problems, requests } = await open(file);
    await shot(page, "01-loaded");
    assert.deepEqual(problems, []);
    assert.deepEqual(requests, []);
    assert.match(await page.title(), /Vastro - Dreo/);
    const diagnostics = await page.$eval("#diagnostics", (e) => e.innerText);
    assert.match(diagnostics, /None/);
    await page.close();
  });

  test("hovering at 2 700 m shows the cell with the 2 800 m signal's first countdown mark", async () => {
    const { page } = await open(file);
    await search(page, "2600");
    for (let i = 0; i < 3; i++) await page.click("#zoom-in");
    const [m0, m1] = await range(page);
    assert.ok(m0 < 2705 && 2705 < m1 && m1 - m0 <= 5000, `range ${m0} to ${m1}`);
    await hoverProfiles(page, 2705);
    const text = await cursorText(page);
    await shot(page, "02-hover-2700");
    assert.match(text, /2\u2009700 m\s+\u00b7\s+cell 55/);
    // sx 2, dx 2: aspect 8, so the first mark is 81.
    assert.match(text, /countdown\s+81 \(signal aspect 8, mark 1\)\s+\u2190 Vastro - Dreo_2001-\.txt:33/);
    assert.match(text, /speed\s+130 km\/h/);
    // The speed came from the train file's "velocita, 900, 130" line.
    assert.match(text, /Vastro - Dreo_2001-\.txt:11/);
    await page.close();
  });

  test("clicking the station Castelletto on the plan shows its file and line", async () => {
    const { page } = await open(file);
    const box = await (await page.$("#plan")).boundingBox();
    const [x, y] = await page.evaluate(() => window.scenarioView.planPointOf(9850));
    await page.mouse.click(box.x + x, box.y + y);
    const text = await selectionText(page);
    await shot(page, "03-castelletto");
    assert.match(text, /Castelletto/);
    assert.match(text, /Vastro - Dreo_2001-\.txt:20/);
    assert.match(text, /stazione,\s+9850/);
    assert.match(text, /position \(m\)\s+9850/);
    await page.close();
  });

  test("fit, zoom and the search for Dreo move the visible range", async () => {
    const { page } = await open(file);
    const full = await range(page);
    assert.deepEqual(full, [0, 40000]);
    await page.click("#zoom-in");
    const zoomed = await range(page);
    await shot(page, "04-zoomed");
    assert.ok(zoomed[1] - zoomed[0] < full[1] - full[0], `zoomed ${zoomed}`);
    await page.keyboard.press("f");
    assert.deepEqual(await range(page), full);
    await page.click("#zoom-in");
    await page.click("#zoom-in");
    await search(page, "Dreo");
    const r = await range(page);
    await shot(page, "05-search-dreo");
    assert.equal(await page.evaluate(() => window.scenarioView.cursorCell()), 801);
    assert.ok(r[0] <= 40000 && 40000 <= r[1], `range ${r}`);
    assert.match(await cursorText(page), /40\u2009000 m/);
    await page.close();
  });

  test("the route's end is marked and the run-out past it dimmed; every end station labelled", async () => {
    const { page, problems } = await open(file);
    const at = (f) => page.evaluate(f);
    assert.equal(await at(() => window.scenarioView.routeLength()), 40000);
    assert.equal(await at(() => window.scenarioView.runOutEnd()), 47000);
    // At full-route zoom both ends' stations are labelled, in the plan and
    // in the objects lane; no plan label overlaps another or covers a
    // station's marker.
    const planLabels = await at(() => window.scenarioView.planLabels());
    const laneLabels = await at(() => window.scenarioView.laneLabels());
    for (const name of ["Vastro", "Dreo"]) {
      assert.ok(planLabels.some((l) => l.text === name), `plan labels ${planLabels.map((l) => l.text)}`);
      assert.ok(laneLabels.some((l) => l.text === name), `lane labels ${laneLabels.map((l) => l.text)}`);
    }
    const markers = await at(() => window.scenarioView.view.scenario.objects
      .filter((o) => o.type === "station").map((o) => window.scenarioView.planPointOf(o.metre)));
    planLabels.forEach((a, i) => {
      for (const b of planLabels.slice(i + 1)) {
        assert.ok(!(a.box[0] < b.box[2] && b.box[0] < a.box[2] && a.box[1] < b.box[3] && b.box[1] < a.box[3]),
                  `${a.text} overlaps ${b.text}`);
      }
      for (const [x, y] of markers) {
        assert.ok(!(a.box[0] < x + 6 && x - 6 < a.box[2] && a.box[1] < y + 6 && y - 6 < a.box[3]),
                  `${a.text} covers the station marker at ${x}, ${y}`);
      }
    });
    await shot(page, "05a-full-route-labels");
    // Zoomed out at the end, the profiles show the run-out past 40 km.
    await search(page, "Dreo");
    await page.click("#zoom-out");
    await page.click("#zoom-out");
    const r = await range(page);
    assert.ok(r[1] > 40000 && r[1] <= 47000, `range ${r}`);
    await shot(page, "05b-route-end");
    assert.deepEqual(problems, []);
    await page.close();
  });

  test("new data replaces the scenario in place, keeping zoom, cursor and selection", async () => {
    const { page, problems } = await open(file);
    await page.click("#object-lists li[data-key='station:3']");
    await page.click("#zoom-in");
    const before = { range: await range(page), cursor: await page.evaluate(() => window.scenarioView.cursorCell()) };
    await page.evaluate(() => {
      const data = JSON.parse(document.getElementById("scenario-data").textContent);
      data.objects.stations[2].name = "Castelletto Nuovo";
      window.scenarioView.setData(data);
    });
    assert.deepEqual(await range(page), before.range);
    assert.equal(await page.evaluate(() => window.scenarioView.cursorCell()), before.cursor);
    assert.match(await selectionText(page), /Castelletto Nuovo/);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test("arrow keys move the cursor by one cell and / focuses the search", async () => {
    const { page } = await open(file);
    await search(page, "1000");
    await page.click("#plan-box", { offset: { x: 5, y: 5 } });
    await page.keyboard.press("ArrowRight");
    assert.equal(await page.evaluate(() => window.scenarioView.cursorCell()), 22);
    await page.keyboard.press("ArrowLeft");
    await page.keyboard.press("ArrowLeft");
    assert.equal(await page.evaluate(() => window.scenarioView.cursorCell()), 20);
    await page.keyboard.press("/");
    assert.equal(await page.evaluate(() => document.activeElement.id), "search");
    await page.close();
  });
});

describe("a scenario with a failed check", () => {
  let file;
  before(() => {
    // A second signal on the cell of the one at 2 800 m.
    file = writePage(scenarioFolder("failed", (line, train) =>
      [line, train.replace("segnale,    5050,", "segnale,    2810,")]));
  });

  test("lists the error; selecting it marks its place and shows its line", async () => {
    const { page, problems } = await open(file);
    assert.deepEqual(problems, []);
    const list = await page.$eval("#diagnostics", (e) => e.innerText);
    assert.match(list, /error/);
    assert.match(list, /Vastro - Dreo_2001-\.txt:34/);
    // As on the terminal: the column of the position the error checks, and
    // its note on the record that took the cell.
    assert.match(list, /Vastro - Dreo_2001-\.txt:34:13: error 16: the signal.s cell is already taken/);
    assert.match(list, /note Vastro - Dreo_2001-\.txt:33:1: cell \d+ was taken here by the signal at 2800 m/);
    await page.click("#diagnostics li");
    const text = await selectionText(page);
    await shot(page, "06-diagnostic");
    assert.match(text, /segnale,\s+2810/);
    assert.match(text, /note Vastro - Dreo_2001-\.txt:33:1: cell \d+ was taken here/);
    assert.match(await page.$eval("#selection-note-source", (e) => e.innerText), /segnale,\s+2800/);
    assert.equal(await page.evaluate(() => window.scenarioView.cursorCell()), 57);
    await page.close();
  });
});

describe("records as the compiler reads them", () => {
  let file;
  before(() => {
    // A quoted sign text holding a comma; a speed record whose value is on
    // the next line.
    file = writePage(scenarioFolder("fields", (line, train) => [
      line.replace("(GALLERIA   )(DELL'ANGELO)", "\"(GALLERIA, )(DELL'ANGELO)\""),
      train.replace("velocita,     900,   130", "velocita,     900\r\n   130")]));
  });

  test("the record panel shows the quoted text whole and the field read from the next line", async () => {
    const { page, problems } = await open(file);
    assert.deepEqual(problems, []);
    // The sign at 1 100 m stands in cell 23.
    await page.evaluate(() => window.scenarioView.view.select("cell:23"));
    let text = await selectionText(page);
    await shot(page, "07-quoted-sign");
    assert.match(text, /text\s+\(GALLERIA, \)\(DELL'ANGELO\)/);
    const id = await page.evaluate(() => window.scenarioView.view.scenario.records.findIndex(
      (r) => r.line === 11 && /velocita/.test(r.keyword)));
    assert.ok(id >= 0);
    await page.evaluate((n) => window.scenarioView.view.select("record:" + n), id);
    text = await selectionText(page);
    await shot(page, "08-continued-record");
    assert.match(text, /position \(m\)\s+900/);
    assert.match(text, /speed \(km\/h\)\s+130\s+\(line 12\)/);
    await page.close();
  });
});

describe("compiled files without a route plan", () => {
  test("the page notes the missing plan, the profiles answer, records come from the decompiled text", async () => {
    const dir = scenarioFolder("compiled");
    run(["compile", LINE, TRAIN, "--no-plan"], dir);
    const file = path.join(dir, "compiled.html");
    run(["view", "--from-compiled", "-", "Vastro - Dreo_2001.sim", "Vastro - Dreo_2001.dat", "-o", file], dir);
    const { page, problems } = await open(file);
    assert.match(await page.$eval("#plan-note", (e) => e.innerText), /no route plan/);
    await hoverProfiles(page, 20000);
    assert.match(await cursorText(page), /cell \d+/);
    await page.click("#object-lists li[data-key='station:3']");
    // Compiled files that a decompile gives back whole show the records of
    // the decompiled texts, as `decompile` would write them.
    assert.match(await selectionText(page), /Vastro - Dreo_2001-\.txt:\d+[\s\S]*stazione,\s+9850/);
    await shot(page, "09-compiled-no-plan");
    assert.deepEqual(problems, []);
    await page.close();
  });
});

describe("the maximum route", () => {
  let file;
  before(() => {
    const dir = path.join(work, "maximum");
    fs.mkdirSync(dir);
    const { line, train } = maximumRoute();
    fs.writeFileSync(path.join(dir, "Massimo_linea.txt"), line, "latin1");
    fs.writeFileSync(path.join(dir, "Massimo_1-.txt"), train, "latin1");
    file = writePage(dir, "Massimo_linea.txt", "Massimo_1-.txt");
  });

  test("loads and answers a hover; load time and size are printed", async () => {
    const { page, problems, loadMs } = await open(file);
    const firstPaint = await page.evaluate(() => window.scenarioView.firstPaintMs);
    const size = fs.statSync(file).size;
    console.log(`maximum route page: ${(size / 1e6).toFixed(2)} MB, loaded in ${loadMs} ms ` +
                `(script to first frame ${Math.round(firstPaint)} ms)`);
    await shot(page, "07-maximum-route");
    assert.deepEqual(problems, []);
    await search(page, "500000");
    await hoverProfiles(page, 500000);
    assert.match(await cursorText(page), /500\u2009000 m|499\u20099\d0 m|500\u20090\d0 m/);
    // Panning: time a few drags of the plan and the profiles.
    const box = await (await page.$("#profiles")).boundingBox();
    const started = Date.now();
    for (let i = 0; i < 10; i++) {
      await page.mouse.move(box.x + 400, box.y + 150);
      await page.mouse.down();
      await page.mouse.move(box.x + 300, box.y + 150, { steps: 4 });
      await page.mouse.up();
    }
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));
    console.log(`maximum route: 10 profile drags in ${Date.now() - started} ms`);
    await shot(page, "08-maximum-route-panned");
    await page.close();
  });
});
