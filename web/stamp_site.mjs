// Stamps an assembled site (run by web/build.sh; node stamp_site.mjs SITE_DIR):
// - the module and its glue get one build stamp, made from both: a custom
//   section of kurovel.wasm and an export of kurovel.js, which the page compares
//   before it starts the module (web/page/js/boot.js);
// - sw.js gets its cache name, made from the contents of every file of the site,
//   and each file's SHA-256, which it checks when it installs them.
// Stamping a stamped site again replaces the stamps. Stamping changes files, so it
// removes the precompressed copies (FILE.br, FILE.gz), which web/build.sh makes
// afresh afterwards; they are no files of the page of their own.
import { createHash } from "node:crypto";
import { existsSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from "node:fs";
import { join, resolve } from "node:path";
import { pathToFileURL } from "node:url";

const STAMP_SECTION = "kurovel-build";
const GLUE_STAMP = /\nexport const buildStamp = "[0-9a-f]*";\n$/;
const WORKER_BUILD = /^const BUILD = .*;$/m;
// In the site but no part of the page: the worker itself and the build's notes.
const NOT_KEPT = new Set(["sw.js", "README.md"]);
const PRECOMPRESSED = /\.(br|gz)$/;

const sha256 = (...parts) => {
  const hash = createHash("sha256");
  for (const part of parts) hash.update(part);
  return hash.digest("hex");
};

function leb128(value) {
  const bytes = [];
  do {
    let byte = value & 0x7f;
    value >>>= 7;
    if (value !== 0) byte |= 0x80;
    bytes.push(byte);
  } while (value !== 0);
  return Buffer.from(bytes);
}

function readLeb128(bytes, at) {
  let value = 0;
  for (let shift = 0; ; shift += 7) {
    const byte = bytes[at++];
    value += (byte & 0x7f) * 2 ** shift;
    if ((byte & 0x80) === 0) return { value, at };
  }
}

// The module without its custom sections of that name.
function withoutSection(wasm, name) {
  const kept = [wasm.subarray(0, 8)];
  for (let at = 8; at < wasm.length;) {
    const start = at;
    const id = wasm[at];
    const size = readLeb128(wasm, at + 1);
    at = size.at + size.value;
    if (id === 0) {
      const length = readLeb128(wasm, size.at);
      if (wasm.toString("utf8", length.at, length.at + length.value) === name) continue;
    }
    kept.push(wasm.subarray(start, at));
  }
  return Buffer.concat(kept);
}

function customSection(name, payload) {
  const body = Buffer.concat([leb128(Buffer.byteLength(name)), Buffer.from(name), Buffer.from(payload)]);
  return Buffer.concat([Buffer.from([0]), leb128(body.length), body]);
}

// The site's files, by their names in it, precompressed copies included.
const siteFiles = (site) => readdirSync(site, { recursive: true })
  .map((name) => name.split("\\").join("/"))
  .filter((name) => statSync(join(site, name)).isFile())
  .sort();
const isPrecompressedCopy = (site, name) => PRECOMPRESSED.test(name) && existsSync(join(site, name.replace(PRECOMPRESSED, "")));

export function stampSite(site) {
  for (const name of siteFiles(site)) if (isPrecompressedCopy(site, name)) rmSync(join(site, name));
  const wasmPath = join(site, "kurovel.wasm");
  const gluePath = join(site, "kurovel.js");
  const wasm = withoutSection(readFileSync(wasmPath), STAMP_SECTION);
  const glue = readFileSync(gluePath, "utf8").replace(GLUE_STAMP, "\n");
  const stamp = sha256(wasm, glue).slice(0, 16);
  writeFileSync(wasmPath, Buffer.concat([wasm, customSection(STAMP_SECTION, stamp)]));
  writeFileSync(gluePath, `${glue.replace(/\n*$/, "\n")}export const buildStamp = "${stamp}";\n`);

  const files = siteFiles(site).filter((name) => !NOT_KEPT.has(name));
  const digests = Object.fromEntries(files.map((name) => [name, sha256(readFileSync(join(site, name)))]));
  digests["./"] = digests["index.html"];  // the folder's address serves index.html
  const cache = `kurovel-${sha256(files.map((name) => `${digests[name]}  ${name}\n`).join("")).slice(0, 16)}`;
  const workerPath = join(site, "sw.js");
  const worker = readFileSync(workerPath, "utf8");
  if (!WORKER_BUILD.test(worker)) throw new Error(`${workerPath}: no "const BUILD = ...;" line to stamp`);
  writeFileSync(workerPath, worker.replace(WORKER_BUILD, `const BUILD = ${JSON.stringify({ cache, files: digests })};`));
  return { stamp, cache };
}

if (process.argv[1] && import.meta.url === pathToFileURL(resolve(process.argv[1])).href) {
  if (process.argv.length !== 3) {
    console.error("usage: node stamp_site.mjs SITE_DIR");
    process.exit(64);
  }
  const { stamp, cache } = stampSite(process.argv[2]);
  console.log(`site stamped: module ${stamp}, cache ${cache}`);
}
