// Shared by the editor tests: the built program and the built-in scenario's
// two text files, emitted into a fresh folder.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';

export const program = process.env.SC_PROGRAM ?? path.resolve('../../build/scenario-compiler');

export function emitScenario() {
  const dir = mkdtempSync(path.join(tmpdir(), 'sc-editor-'));
  execFileSync(program, ['emit', '--out', dir]);
  const line = path.join(dir, 'Vastro - Dreo_linea.txt');
  const train = path.join(dir, 'Vastro - Dreo_2001-.txt');
  return { dir, line, train };
}

// The files are Windows-1252, as an editor opens them.
export function readText(file) {
  return new TextDecoder('windows-1252').decode(readFileSync(file));
}
