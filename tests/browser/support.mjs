// What the browser tests share: where the program and the screenshots are,
// the built-in scenario's file names, and a headless chromium started the
// same way for every test file.
//
// SC_PROGRAM names the built scenario-compiler (default build/scenario-compiler),
// SC_BROWSER_OUT the screenshot folder (default build/browser-tests),
// SC_CHROMIUM the browser (default /usr/bin/chromium).
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";

const here = path.dirname(fileURLToPath(import.meta.url));
export const root = path.resolve(here, "../..");
export const program = path.resolve(process.env.SC_PROGRAM || path.join(root, "build/scenario-compiler"));
export const outDir = path.resolve(process.env.SC_BROWSER_OUT || path.join(root, "build/browser-tests"));
export const LINE = "Vastro - Dreo_linea.txt";
export const TRAIN = "Vastro - Dreo_2001-.txt";

// A headless chromium with a profile of its own, off the network except for
// the pages it is sent to.
export function launchBrowser() {
  fs.mkdirSync(outDir, { recursive: true });
  return puppeteer.launch({
    executablePath: process.env.SC_CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: fs.mkdtempSync(path.join(os.tmpdir(), "sc-chromium-")),
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
}
