// The static server of the built site for `./dev web`, the browser tests and the
// benchmarks. It serves files as they are, with two things a school's server is
// asked to do as well (README.md):
// - `.wasm` as application/wasm, so that the browser compiles the module while it
//   downloads;
// - a precompressed copy beside a file (`kurovel.wasm.br`, `kurovel.wasm.gz`, made
//   by web/build.sh) in place of the file, with its Content-Encoding, when the
//   browser accepts that encoding. A copy older than its file is ignored, so a file
//   replaced by hand is never hidden behind the copy of the one it replaced.
// Files are read at each request, so a test may replace them.
//   node web/serve.mjs SITE_DIR [PORT]   (port 8000 by default, on 127.0.0.1)
import { createServer } from "node:http";
import { createReadStream } from "node:fs";
import { stat } from "node:fs/promises";
import { extname, join, resolve, sep } from "node:path";
import { pathToFileURL } from "node:url";

const MIME_TYPES = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".json": "application/json",
  ".webmanifest": "application/manifest+json",
  ".wasm": "application/wasm",
  ".png": "image/png",
  ".svg": "image/svg+xml",
  ".ico": "image/x-icon",
  ".bmp": "image/bmp",
  ".txt": "text/plain; charset=utf-8",
  ".md": "text/markdown; charset=utf-8",
};
// Preferred first: brotli is the smaller.
const ENCODINGS = [["br", ".br"], ["gzip", ".gz"]];
const DEFAULT_PORT = 8000;

// The encodings the request accepts ("gzip, deflate, br", "br;q=0" refuses br).
export function acceptedEncodings(header = "") {
  const accepted = new Set();
  for (const part of header.split(",")) {
    const [name, ...parameters] = part.trim().toLowerCase().split(";").map((piece) => piece.trim());
    const q = parameters.find((parameter) => parameter.startsWith("q="));
    if (name && (!q || Number(q.slice(2)) > 0)) accepted.add(name);
  }
  return accepted;
}

async function fileStat(path) {
  try {
    const info = await stat(path);
    return info.isFile() ? info : null;
  } catch {
    return null;
  }
}

// The file a path of the site names, or null when it names none (or leaves the site).
async function siteFile(root, pathname) {
  let path;
  try {
    path = decodeURIComponent(pathname);
  } catch {
    return null;
  }
  if (path.includes("\0")) return null;
  const full = resolve(root, `.${path}`);
  if (full !== root && !full.startsWith(root + sep)) return null;
  const info = await fileStat(full);
  if (info) return { path: full, info };
  const index = join(full, "index.html");
  const indexInfo = path.endsWith("/") ? await fileStat(index) : null;
  return indexInfo ? { path: index, info: indexInfo } : null;
}

// The precompressed copy to send instead of the file, or null.
async function precompressed(file, accepted) {
  for (const [encoding, suffix] of ENCODINGS) {
    if (!accepted.has(encoding)) continue;
    const info = await fileStat(file.path + suffix);
    if (info && info.mtimeMs >= file.info.mtimeMs) return { encoding, path: file.path + suffix, info };
  }
  return null;
}

function plain(response, status, text, headers = {}) {
  response.writeHead(status, { "Content-Type": "text/plain; charset=utf-8", ...headers });
  response.end(text);
}

async function respond(root, request, response) {
  if (request.method !== "GET" && request.method !== "HEAD") {
    plain(response, 405, "method not allowed\n", { Allow: "GET, HEAD" });
    return;
  }
  const { pathname } = new URL(request.url, "http://site");
  const file = await siteFile(root, pathname);
  if (!file) {
    plain(response, 404, "not found\n");
    return;
  }
  const copy = await precompressed(file, acceptedEncodings(request.headers["accept-encoding"]));
  const modified = new Date(Math.floor(file.info.mtimeMs / 1000) * 1000);
  const headers = {
    "Content-Type": MIME_TYPES[extname(file.path).toLowerCase()] ?? "application/octet-stream",
    "Last-Modified": modified.toUTCString(),
    // Asked again each time: a new build replaces the files under the same names.
    "Cache-Control": "no-cache",
    "X-Content-Type-Options": "nosniff",
    // Any file may have a precompressed copy.
    Vary: "Accept-Encoding",
  };
  // Last-Modified counts whole seconds: a build replaced within the second it was
  // served would look unchanged, and a browser would keep the old one (the service
  // worker's update check among them). The ETag tells them apart to the microsecond,
  // and a browser that has it asks by it first.
  headers.ETag = `"${file.info.size.toString(16)}-${Math.round(file.info.mtimeMs * 1000).toString(16)}` +
                 `${copy ? `-${copy.encoding}` : ""}"`;
  const tags = request.headers["if-none-match"];
  const since = Date.parse(request.headers["if-modified-since"] ?? "");
  const unchanged = tags !== undefined ? tags.split(",").some((tag) => tag.trim() === headers.ETag)
                                       : !Number.isNaN(since) && modified.getTime() <= since;
  if (unchanged) {
    response.writeHead(304, headers);
    response.end();
    return;
  }
  const sent = copy ?? file;
  if (copy) headers["Content-Encoding"] = copy.encoding;
  headers["Content-Length"] = sent.info.size;
  response.writeHead(200, headers);
  if (request.method === "HEAD") {
    response.end();
    return;
  }
  createReadStream(sent.path).on("error", () => response.destroy()).pipe(response);
}

// Serves DIRECTORY on 127.0.0.1; port 0 takes a free one. Resolves to
// { port, close() } once it listens.
export function serveSite(directory, { port = 0, host = "127.0.0.1" } = {}) {
  const root = resolve(directory);
  const server = createServer((request, response) => {
    respond(root, request, response).catch(() => {
      if (!response.headersSent) plain(response, 500, "internal error\n");
      else response.destroy();
    });
  });
  return new Promise((resolveListening, reject) => {
    server.once("error", reject);
    server.listen(port, host, () => {
      server.off("error", reject);
      resolveListening({
        port: server.address().port,
        close: () => new Promise((done) => {
          server.closeAllConnections();
          server.close(() => done());
        }),
      });
    });
  });
}

if (process.argv[1] && import.meta.url === pathToFileURL(resolve(process.argv[1])).href) {
  const [directory, port = String(DEFAULT_PORT)] = process.argv.slice(2);
  if (!directory || !/^\d+$/.test(port)) {
    console.error("usage: node serve.mjs SITE_DIR [PORT]");
    process.exit(64);
  }
  const { port: listening } = await serveSite(directory, { port: Number(port) });
  console.log(`serving ${resolve(directory)} at http://localhost:${listening}/ (Ctrl-C ends the server)`);
}
