// The longest program a share link holds, on Chromium's limit of 2 MB for a URL:
// for programs of three kinds, the most characters whose link the page still makes
// (found by halving, the texts made in the page); the longest whose link still
// makes a QR code; then the longest link of the first kind opened in a second
// browser context, to see that Chromium takes it and the editor gets it whole.
//   node web/tests/browser/measure_share_link.mjs
// Not a test: it measures. tests/exercises holds pupils' programs, in Shift-JIS.
import { readdirSync, readFileSync } from "node:fs";
import { join } from "node:path";
import { openSite, root, texts, until } from "./harness.mjs";

const TEXTS = texts();
const exercises = join(root, "tests/exercises");
const sjis = new TextDecoder("shift_jis");
const pupilLines = readdirSync(exercises, { recursive: true }).filter((name) => name.endsWith(".kv"))
  .flatMap((name) => sjis.decode(readFileSync(join(exercises, name))).split(/\r?\n/));
const KINDS = {
  pupils: "lines of the pupils' programs in tests/exercises, drawn at random",
  samples: "the help window's sample programs, repeated",
  random: "random letters and digits (the worst case)",
};

const site = await openSite();
try {
  const page = await site.newPage();
  // In the page: the kinds' texts of n characters (the same text for the same n),
  // and the length of the link the page makes (null: it makes none).
  await page.evaluate(({ pupilLines, samples }) => {
    const seeded = (seed) => () => {
      seed = (seed + 0x6d2b79f5) | 0;
      let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
      t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
      return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    };
    const build = (n, next) => {
      const parts = [];
      for (let length = 0; length < n;) {
        const part = next();
        parts.push(part);
        length += part.length;
      }
      return parts.join("").slice(0, n);
    };
    window.programOf = (kind, n) => {
      const random = seeded(7);
      if (kind === "pupils") return build(n, () => `${pupilLines[Math.floor(random() * pupilLines.length)]}\n`);
      if (kind === "samples") return samples.repeat(Math.ceil(n / samples.length)).slice(0, n);
      return build(n, () => "abcdefghijklmnopqrstuvwxyz0123456789"[Math.floor(random() * 36)]);
    };
    window.linkLength = async (kind, n) => {
      const { makeLink } = await import("./js/share_link.js");
      const limits = (await (await fetch("texts.json")).json()).shareLimits;
      return (await makeLink(window.programOf(kind, n), location.href, limits))?.length ?? null;
    };
  }, { pupilLines, samples: TEXTS.samplePrograms.join("\n") });

  const fitting = {};
  for (const [kind, what] of Object.entries(KINDS)) {
    let [fits, over] = [1000, TEXTS.shareLimits.maxProgramBytes + 1];
    while (over - fits > Math.max(100, fits / 2000)) {
      const middle = Math.floor((fits + over) / 2);
      if (await page.evaluate(([kind, n]) => window.linkLength(kind, n), [kind, middle]) !== null) fits = middle;
      else over = middle;
    }
    fitting[kind] = fits;
    const measured = await page.evaluate(([kind, n]) => {
      const text = window.programOf(kind, n);
      return { lines: text.split("\n").length, bytes: new TextEncoder().encode(text).length };
    }, [kind, fits]);
    const link = await page.evaluate(([kind, n]) => window.linkLength(kind, n), [kind, fits]);
    console.log(`${what}: ${fits.toLocaleString("en")} characters, ${measured.lines.toLocaleString("en")} lines, ` +
                `${measured.bytes.toLocaleString("en")} bytes of UTF-8; link ${link.toLocaleString("en")} characters`);
  }

  // The longest pupils' program whose link still makes a QR code, at each level of
  // error correction the share dialog tries.
  for (const ecc of ["medium", "low"]) {
    let [fits, over] = [1, 100_000];
    const coded = (n) => page.evaluate(async ([n, ecc]) => {
      const { makeLink } = await import("./js/share_link.js");
      const { default: encodeQR } = await import("./js/vendor/qr.js");
      const limits = (await (await fetch("texts.json")).json()).shareLimits;
      const link = await makeLink(window.programOf("pupils", n), location.href, limits);
      try {
        encodeQR(link, "raw", { ecc, border: 4 });
        return link.length;
      } catch {
        return null;
      }
    }, [n, ecc]);
    while (over - fits > 1) {
      const middle = Math.floor((fits + over) / 2);
      if (await coded(middle) !== null) fits = middle;
      else over = middle;
    }
    const lines = await page.evaluate((n) => window.programOf("pupils", n).split("\n").length, fits);
    console.log(`a QR code (${ecc} error correction): ${fits.toLocaleString("en")} characters of pupils' lines, ` +
                `${lines} lines; link ${(await coded(fits)).toLocaleString("en")} characters at ${site.baseUrl}`);
  }

  // The longest link of the first kind, made by the page and opened elsewhere.
  const link = await page.evaluate(async (n) => {
    const { makeLink } = await import("./js/share_link.js");
    const limits = (await (await fetch("texts.json")).json()).shareLimits;
    return makeLink(window.programOf("pupils", n), location.href, limits);
  }, fitting.pupils);
  const other = await site.browser.newContext({ serviceWorkers: "block" });
  const started = Date.now();
  const pupil = await site.newPage({ context: other, url: link });
  await until(pupil, (n) => document.getElementById("program-editor").value.length === n, fitting.pupils,
              { timeout: 300_000 });
  const seconds = (Date.now() - started) / 1000;
  const shown = await pupil.evaluate(() => document.getElementById("program-editor").value);
  const same = await page.evaluate(([n, shown]) => window.programOf("pupils", n) === shown, [fitting.pupils, shown]);
  console.log(`opened in another context: a link of ${link.length.toLocaleString("en")} characters, in the editor ` +
              `after ${seconds.toFixed(1)} s; it ${same ? "holds the program whole" : "DIFFERS"}`);
  await other.close();
} finally {
  await site.close();
}
