// W3 run by the page's module under node, without the page: kv_run alone, its
// turns to the event loop included, timed from the call to the settled promise.
//   node tests/web/bench_module_w3.mjs [rounds] [site folder, default build-web/site]
import { createRequire } from "node:module";
import fs from "node:fs";
import path from "node:path";

const PASSES = 100000;
const PROGRAM = `repeat ${PASSES}\nfd 1\nrt 1\nnext`;
const COMMANDS = 2 * PASSES;
const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), "../..");
const rounds = Number(process.argv[2] ?? 7);
const site = path.resolve(process.argv[3] ?? path.join(root, "build-web/site"));

// The module looks for the CommonJS names under node (as in module.test.mjs).
globalThis.require = createRequire(import.meta.url);
globalThis.__dirname = site;
const { default: KurovelModule } = await import(path.join(site, "kurovel.js"));
const kv = await KurovelModule({ wasmBinary: fs.readFileSync(path.join(site, "kurovel.wasm")) });

const rates = [];
for (let round = 1; round <= rounds; round++) {
  kv.ccall("kv_create", "number", ["number", "number"], [361, 446]);
  const started = performance.now();
  const status = await kv.ccall("kv_run", "number", ["string"], [PROGRAM], { async: true });
  const ms = performance.now() - started;
  if (status !== 0) throw new Error(`kv_run returned ${status}`);
  rates.push(COMMANDS / (ms / 1000));
  console.log(`round ${round}: ${ms.toFixed(1)} ms, ${Math.round(rates.at(-1)).toLocaleString("en")} commands/s`);
}
rates.sort((a, b) => a - b);
console.log(`median: ${Math.round(rates[Math.floor(rates.length / 2)]).toLocaleString("en")} commands/s`);
