// Starts `scenario-compiler lsp` for line descriptions and train and service
// files; the server does the checking, hover, completion and outline.
'use strict';
const vscode = require('vscode');
const { LanguageClient, TransportKind } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const command = vscode.workspace.getConfiguration('scenarioCompiler').get('path') || 'scenario-compiler';
  const server = { command, args: ['lsp'], transport: TransportKind.stdio };
  client = new LanguageClient('scenarioCompiler', 'Scenario compiler', { run: server, debug: server }, {
    documentSelector: [
      { scheme: 'file', language: 'scenario-line' },
      { scheme: 'file', language: 'scenario-train' },
    ],
  });
  context.subscriptions.push(client);
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
