// Bundles the page's scripts in an assembled site (run by web/build.sh; node
// bundle_page.mjs SITE_DIR): js/main.js and every module it imports become one
// file in its place, so that a first visit asks for one script instead of a score
// of them, each a round trip on a slow network. The class report's worker, started
// by its own file's address, is bundled alike in its own place. The module's glue
// (kurovel.js) stays outside: it finds kurovel.wasm beside its own address. The
// modules taken into a bundle are removed from the site; js/boot.js, which loads
// the page's bundle, stays as it is. The site's
// own copies are bundled, so that files the build put there (a library from
// npm) are taken in too. esbuild is Debian's package.
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";

const [site] = process.argv.slice(2).map((path) => resolve(path));
if (!site) {
  console.error("usage: node bundle_page.mjs SITE_DIR");
  process.exit(64);
}
const work = mkdtempSync(join(tmpdir(), "kurovel-bundle-"));
try {
  const entries = ["js/main.js", "js/class_worker.js"];
  const metafile = join(work, "meta.json");
  execFileSync("esbuild", [...entries, "--bundle", "--format=esm", "--minify-syntax", "--minify-whitespace",
                           "--external:../kurovel.js", "--log-level=warning", `--metafile=${metafile}`,
                           "--outbase=.", `--outdir=${work}`],
               { stdio: "inherit", cwd: site });
  // The metafile names the inputs relative to the folder esbuild ran in.
  const inputs = Object.keys(JSON.parse(readFileSync(metafile, "utf8")).inputs).map((input) => resolve(site, input));
  for (const input of inputs) rmSync(input);
  for (const entry of entries) execFileSync("cp", [join(work, entry), join(site, entry)]);
  console.log(`page scripts bundled: ${entries.join(" and ")} from ${inputs.length} modules`);
} finally {
  rmSync(work, { recursive: true, force: true });
}
