// The site's static server (web/serve.mjs): precompressed copies sent as they are
// when the browser accepts them and only while they are not older than their
// file, the module's type, and nothing served from outside the site.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { request } from "node:http";
import { mkdirSync, mkdtempSync, rmSync, utimesSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { acceptedEncodings, serveSite } from "../../serve.mjs";

const work = mkdtempSync(join(tmpdir(), "kurovel-serve-"));
const site = join(work, "site");
const FILES = {
  "index.html": "<!doctype html>page",
  "index.html.br": "brotli page",
  "index.html.gz": "gzip page",
  "kurovel.wasm": "\0asm module",
  "js/main.js": "export {};",
  "js/main.js.gz": "stale gzip",
};
let server;

before(async () => {
  for (const [name, content] of Object.entries(FILES)) {
    mkdirSync(join(site, name, ".."), { recursive: true });
    writeFileSync(join(site, name), content);
  }
  writeFileSync(join(work, "secret.txt"), "outside the site");
  const past = new Date("2024-01-01T00:00:00Z");
  for (const name of ["index.html", "index.html.br", "index.html.gz", "kurovel.wasm"]) utimesSync(join(site, name), past, past);
  utimesSync(join(site, "js/main.js.gz"), new Date("2023-01-01T00:00:00Z"), new Date("2023-01-01T00:00:00Z"));
  server = await serveSite(site);
});
after(async () => {
  await server?.close();
  rmSync(work, { recursive: true, force: true });
});

// The raw response: no client in between that would decode it.
const fetchRaw = (path, { method = "GET", headers = {} } = {}) => new Promise((resolve, reject) => {
  request({ host: "127.0.0.1", port: server.port, path, method, headers }, (response) => {
    const chunks = [];
    response.on("data", (chunk) => chunks.push(chunk));
    response.on("end", () => resolve({ status: response.statusCode, headers: response.headers,
                                       body: Buffer.concat(chunks).toString("latin1") }));
  }).on("error", reject).end();
});

test("the copy sent is the first accepted one that is not older than its file", async () => {
  const cases = [
    ["/", "gzip, deflate, br", "br", "brotli page"],
    ["/index.html", "gzip, deflate", "gzip", "gzip page"],
    ["/index.html", "br;q=0, gzip;q=0.5", "gzip", "gzip page"],
    ["/index.html", "identity", undefined, "<!doctype html>page"],
    ["/index.html", undefined, undefined, "<!doctype html>page"],
    ["/js/main.js", "gzip", undefined, "export {};"],  // its copy is older than the file
    ["/kurovel.wasm", "gzip, br", undefined, "\0asm module"],  // no copy
  ];
  for (const [path, accept, encoding, body] of cases) {
    const response = await fetchRaw(path, { headers: accept === undefined ? {} : { "Accept-Encoding": accept } });
    const label = `${path} with ${accept}`;
    assert.equal(response.status, 200, label);
    assert.equal(response.headers["content-encoding"], encoding, label);
    assert.equal(response.body, body, label);
    assert.equal(Number(response.headers["content-length"]), Buffer.byteLength(body, "latin1"), label);
    assert.equal(response.headers.vary, "Accept-Encoding", label);
  }
});

test("types: the module as application/wasm, the page as HTML", async () => {
  const types = [["/kurovel.wasm", "application/wasm"], ["/", "text/html; charset=utf-8"],
                 ["/js/main.js", "text/javascript; charset=utf-8"], ["/index.html.br", "application/octet-stream"]];
  for (const [path, type] of types) assert.equal((await fetchRaw(path)).headers["content-type"], type, path);
});

test("nothing outside the site, and no other method than GET and HEAD", async () => {
  const refused = [["/../secret.txt", 404], ["/%2e%2e/secret.txt", 404], ["/js/..%2f..%2fsecret.txt", 404],
                   ["/index.html%00.png", 404], ["/%E0%A4%A", 404], ["/missing.js", 404], ["/js", 404]];
  for (const [path, status] of refused) {
    const response = await fetchRaw(path);
    assert.equal(response.status, status, path);
    assert.doesNotMatch(response.body, /outside the site/, path);
  }
  const post = await fetchRaw("/index.html", { method: "POST" });
  assert.deepEqual([post.status, post.headers.allow], [405, "GET, HEAD"]);
  const head = await fetchRaw("/index.html", { method: "HEAD", headers: { "Accept-Encoding": "br" } });
  assert.deepEqual([head.status, head.headers["content-length"], head.body], [200, String("brotli page".length), ""]);
});

test("a file not changed since the browser's copy is not sent again", async () => {
  const { headers } = await fetchRaw("/index.html");
  assert.equal((await fetchRaw("/index.html", { headers: { "If-Modified-Since": headers["last-modified"] } })).status, 304);
  const earlier = new Date(Date.parse(headers["last-modified"]) - 1000).toUTCString();
  assert.equal((await fetchRaw("/index.html", { headers: { "If-Modified-Since": earlier } })).status, 200);
});

test("Accept-Encoding is read as browsers send it", () => {
  const cases = [["gzip, deflate, br", ["gzip", "deflate", "br"]], ["BR;q=1.0 , gzip;q=0", ["br"]],
                 ["", []], ["*;q=0.1", ["*"]]];
  for (const [header, expected] of cases) assert.deepEqual([...acceptedEncodings(header)], expected, header);
});
