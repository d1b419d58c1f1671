// The VS Code grammars tokenise the built-in scenario's two files: every
// line `explain` calls a record starts with a keyword, section markers and
// the comment text before [generale] are marked, numbers are numbers.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import vsctm from 'vscode-textmate';
import oniguruma from 'vscode-oniguruma';
import { program, emitScenario, readText } from './support.mjs';

const require = createRequire(import.meta.url);
const syntaxes = path.resolve('../../editors/vscode/syntaxes');

async function loadRegistry() {
  const wasm = readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  return new vsctm.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (s) => new oniguruma.OnigString(s),
    }),
    loadGrammar: async (scope) => {
      const file = { 'source.scenario.line': 'scenario-line', 'source.scenario.train': 'scenario-train' }[scope];
      return file ? vsctm.parseRawGrammar(readFileSync(path.join(syntaxes, `${file}.tmLanguage.json`), 'utf8'),
                                          `${file}.tmLanguage.json`) : null;
    },
  });
}

// Each line's tokens: [{ text, scopes }].
function tokenise(grammar, text) {
  let stack = vsctm.INITIAL;
  return text.split(/\r\n/).map((line) => {
    const result = grammar.tokenizeLine(line, stack);
    stack = result.ruleStack;
    return result.tokens.map((t) => ({ text: line.slice(t.startIndex, t.endIndex), scopes: t.scopes }));
  });
}

// The 0-based lines `explain` reads as records, and as section markers.
function explained(file) {
  const out = execFileSync(program, ['explain', file], { encoding: 'utf8' }).split('\n');
  const records = new Set();
  const sections = new Set();
  let current = -1;
  for (const l of out) {
    const m = /^(\d+): /.exec(l);
    if (m) current = Number(m[1]) - 1;
    else if (l.startsWith("    record '")) records.add(current);
    else if (l.startsWith('    section marker')) sections.add(current);
  }
  return { records, sections };
}

const has = (token, scope) => token.scopes.some((s) => s.startsWith(scope));

test('the grammars colour the built-in scenario as the compiler reads it', async () => {
  const registry = await loadRegistry();
  const { dir, line, train } = emitScenario();
  try {
    for (const [file, scope] of [[line, 'source.scenario.line'], [train, 'source.scenario.train']]) {
      const grammar = await registry.loadGrammar(scope);
      const lines = tokenise(grammar, readText(file));
      const { records, sections } = explained(file);
      assert.ok(records.size > 10);
      const general = [...sections].sort((a, b) => a - b)[0];
      lines.forEach((tokens, i) => {
        const words = tokens.filter((t) => t.text.trim() !== '');
        if (words.length === 0) return;
        if (i < general) {
          assert.ok(words.every((t) => has(t, 'comment.block.preamble')), `${file}:${i + 1} preamble`);
        } else if (records.has(i)) {
          assert.ok(has(words[0], 'keyword.other.record'), `${file}:${i + 1} ${JSON.stringify(words[0])}`);
          for (const t of words.slice(1)) {
            if (/^[-+]?\d+$/.test(t.text.trim())) assert.ok(has(t, 'constant.numeric'), `${file}:${i + 1} ${t.text}`);
          }
        } else if (sections.has(i)) {
          assert.ok(has(words[0], 'entity.name.section'), `${file}:${i + 1} ${JSON.stringify(words)}`);
        }
      });
      // A station's name and a sign's text are texts.
      const named = lines.flat().filter((t) => t.text === 'Vastro' || t.text === '(GALLERIA    )(GORM TALPINO)');
      assert.ok(named.length > 0 && named.every((t) => has(t, 'string.unquoted')), JSON.stringify(named));
    }
    // A misspelt keyword is not coloured as one.
    const grammar = await registry.loadGrammar('source.scenario.train');
    const [[first]] = tokenise(grammar, 'segnal,    1450').slice(0, 1);
    assert.ok(!has(first, 'keyword.other.record'));
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
});
