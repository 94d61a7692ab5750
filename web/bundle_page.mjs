// Bundles the page's scripts in an assembled site (run by web/build.sh; node
// bundle_page.mjs SITE_DIR): js/main.js and every module it imports become one
// file in its place, so that a first visit asks for one script instead of a score
// of them, each a round trip on a slow network. The modules taken into it are
// removed from the site; js/boot.js, which loads it, stays as it is. The site's
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
  const entry = join(site, "js/main.js");
  const bundle = join(work, "main.js");
  const metafile = join(work, "meta.json");
  execFileSync("esbuild", [entry, "--bundle", "--format=esm", "--minify-syntax", "--minify-whitespace",
                           "--log-level=warning", `--metafile=${metafile}`, `--outfile=${bundle}`],
               { stdio: "inherit", cwd: site });
  // The metafile names the inputs relative to the folder esbuild ran in.
  const inputs = Object.keys(JSON.parse(readFileSync(metafile, "utf8")).inputs).map((input) => resolve(site, input));
  for (const input of inputs) rmSync(input);
  execFileSync("cp", [bundle, entry]);
  console.log(`page scripts bundled: js/main.js and ${inputs.length - 1} modules`);
} finally {
  rmSync(work, { recursive: true, force: true });
}
