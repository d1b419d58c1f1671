// The largest scenario the compiler takes: a route of 1 000 000 m with
// curves throughout, and a train with signals, stations and slowdowns along
// all of it. Run as a program, writes the two files into the folder given.
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";

export // A route of 1 000 000 m with curves throughout, and a train with hundreds
// of signals, stations and slowdowns.
function maximumRoute() {
  const line = ["[generale]", "lunghezza percorso,    1000000", "[curve]"];
  for (let m = 1000; m + 2000 < 1000000; m += 5000) {
    line.push(`curva${m % 10000 === 1000 ? "s" : "d"}${1 + (m / 5000) % 6},  ${m},  1500`);
  }
  line.push("[montagne]");
  for (let m = 20000; m < 990000; m += 40000) line.push(`montagna,  ${m},  ${m + 8000},  ${m % 80000 === 20000 ? 12 : 2}`);
  line.push("[pendenze]");
  for (let m = 0; m < 1000000; m += 10000) line.push(`pendenza,  ${m},  ${((m / 10000) % 13) - 6}`);
  line.push("[fine]");
  const train = ["[generale]", "numero vetture,  10", "aderenza,  0,  100"];
  for (let m = 0; m < 1000000; m += 25000) train.push(`velocita,  ${m},  ${80 + (m / 25000) % 8 * 10}`);
  for (let m = 10000, n = 1; m < 990000; m += 20000, n++) {
    train.push(`stazione,  ${m},  12,  600,  1, 1, 0,  4,1,1,  2,1,1,  0,  8, 0, 0, Stazione ${n}`);
  }
  for (let m = 2500; m < 995000; m += 2500) {
    if (m % 10000 === 0 || (m + 2500) % 10000 === 0 || (m - 2500) % 10000 === 0) continue;
    train.push(`segnale,  ${m},  2, 4, 0,  0, 0,  1,  3,0,0, 0`);
  }
  for (let m = 106000; m < 990000; m += 100000) train.push(`rallentamento,  ${m},  60,  500, 1,  1,  10`);
  train.push("[fine]");
  return { line: line.join("\r\n") + "\r\n", train: train.join("\r\n") + "\r\n" };
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const dir = process.argv[2] || ".";
  const { line, train } = maximumRoute();
  fs.writeFileSync(path.join(dir, "Massimo_linea.txt"), line, "latin1");
  fs.writeFileSync(path.join(dir, "Massimo_1-.txt"), train, "latin1");
}
