// A scripted editor: starts `scenario-compiler lsp`, opens the built-in
// scenario, breaks and mends a keyword, hovers, completes and asks for the
// outline, all through the protocol library editors use.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { rmSync } from 'node:fs';
import { pathToFileURL } from 'node:url';
import * as rpc from 'vscode-jsonrpc/node.js';
import { program, emitScenario, readText } from './support.mjs';

function startServer() {
  const child = spawn(program, ['lsp'], { stdio: ['pipe', 'pipe', 'inherit'] });
  const connection = rpc.createMessageConnection(
    new rpc.StreamMessageReader(child.stdout), new rpc.StreamMessageWriter(child.stdin));
  const published = new Map();
  const waiters = [];
  connection.onNotification('textDocument/publishDiagnostics', (params) => {
    published.set(params.uri, params.diagnostics);
    for (const w of [...waiters]) {
      if (w.uri === params.uri && w.accept(params.diagnostics)) {
        waiters.splice(waiters.indexOf(w), 1);
        w.resolve(params.diagnostics);
      }
    }
  });
  connection.listen();
  // Resolves with the first diagnostics for `uri` that `accept` takes.
  const diagnostics = (uri, accept = () => true) => new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`no diagnostics for ${uri}`)), 10000);
    waiters.push({ uri, accept, resolve: (d) => { clearTimeout(timer); resolve(d); } });
  });
  return { child, connection, diagnostics };
}

const lineOf = (text, needle) => text.slice(0, text.indexOf(needle)).split('\n').length - 1;

test('the language server, driven as an editor drives it', async () => {
  const { dir, line, train } = emitScenario();
  const lineUri = pathToFileURL(line).href;
  const trainUri = pathToFileURL(train).href;
  const lineText = readText(line);
  const trainText = readText(train);
  const { child, connection, diagnostics } = startServer();
  const exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));

  const init = await connection.sendRequest('initialize', { processId: process.pid, rootUri: null, capabilities: {} });
  assert.equal(init.capabilities.hoverProvider, true);
  assert.equal(init.capabilities.documentSymbolProvider, true);
  connection.sendNotification('initialized', {});

  // The built-in scenario: no diagnostics.
  const cleanLine = diagnostics(lineUri);
  const cleanTrain = diagnostics(trainUri);
  const open = (uri, languageId, text) => connection.sendNotification('textDocument/didOpen',
    { textDocument: { uri, languageId, version: 1, text } });
  open(lineUri, 'scenario-line', lineText);
  open(trainUri, 'scenario-train', trainText);
  assert.deepEqual(await cleanLine, []);
  assert.deepEqual(await cleanTrain, []);

  // A misspelt keyword: one warning, on the keyword.
  const broken = trainText.replace('segnale,    2800', 'segnal,    2800');
  const warned = diagnostics(trainUri, (d) => d.length > 0);
  connection.sendNotification('textDocument/didChange',
    { textDocument: { uri: trainUri, version: 2 }, contentChanges: [{ text: broken }] });
  const warnings = await warned;
  assert.equal(warnings.length, 1);
  const at = lineOf(broken, 'segnal,    2800');
  assert.deepEqual(warnings[0].range, { start: { line: at, character: 0 }, end: { line: at, character: 6 } });
  assert.equal(warnings[0].severity, 2);
  assert.match(warnings[0].message, /did you mean 'segnale'\?/);

  // Mended: the warning goes.
  const mended = diagnostics(trainUri, (d) => d.length === 0);
  connection.sendNotification('textDocument/didChange',
    { textDocument: { uri: trainUri, version: 3 }, contentChanges: [{ text: trainText }] });
  await mended;

  // Hover on a station's kind field and on a speed not a multiple of 5.
  const station = lineOf(trainText, 'stazione,    3400');
  let hover = await connection.sendRequest('textDocument/hover',
    { textDocument: { uri: trainUri }, position: { line: station, character: 19 } });
  assert.match(hover.contents.value, /\*\*station\*\*, field 2 of 17: \*\*kind\*\*/);
  assert.match(hover.contents.value, /kind 22/);
  const fast = trainText.replace('velocita,     900,   130', 'velocita,     900,   132');
  connection.sendNotification('textDocument/didChange',
    { textDocument: { uri: trainUri, version: 4 }, contentChanges: [{ text: fast }] });
  hover = await connection.sendRequest('textDocument/hover',
    { textDocument: { uri: trainUri }, position: { line: lineOf(fast, 'velocita,     900'), character: 22 } });
  assert.match(hover.contents.value, /speed 132 km\/h -> stored as 130 km\/h/);

  // Completion at the start of a line: keywords with snippets naming the fields.
  const items = await connection.sendRequest('textDocument/completion',
    { textDocument: { uri: lineUri }, position: { line: lineOf(lineText, '[curve]'), character: 0 } });
  const curve = items.find((i) => i.label === 'curvad2');
  assert.ok(curve, JSON.stringify(items.map((i) => i.label)));
  assert.equal(curve.textEdit.newText, 'curvad2,  ${1:start},  ${2:length}');

  // The outline.
  const symbols = await connection.sendRequest('textDocument/documentSymbol', { textDocument: { uri: trainUri } });
  const names = symbols.map((s) => s.name);
  assert.ok(names.includes('station Vastro'), names.join(', '));
  assert.ok(names.includes('signal at 1450 m'), names.join(', '));
  assert.equal(names.filter((n) => n.startsWith('station ')).length, 10);

  // A request for a document never opened is an error, not a crash.
  await assert.rejects(connection.sendRequest('textDocument/hover',
    { textDocument: { uri: 'file:///nowhere.txt' }, position: { line: 0, character: 0 } }), /unknown document/);

  await connection.sendRequest('shutdown');
  connection.sendNotification('exit');
  assert.equal(await exited, 0);
  connection.dispose();
  rmSync(dir, { recursive: true, force: true });
});
