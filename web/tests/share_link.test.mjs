// The share links' format under node (which has the browser's CompressionStream):
// what a link carries comes back whole, and a link that is too long, cut, altered or
// no link at all is told apart, at small limits so that each edge is cheap to reach.
// (Bytes after the end of the compressed program are refused by browsers, not by
// node's stream: that case is in browser/share.test.mjs.)
import { test } from "node:test";
import assert from "node:assert/strict";
import { deflateSync } from "node:zlib";
import { makeLink, readLink, withoutLink } from "../page/js/share_link.js";

const PAGE = "https://school.example/kurovel/index.html";
const WIDE = { maxLinkChars: 1 << 20, maxProgramBytes: 1 << 20 };
const packed = (bytes) => `${PAGE}#kv1=${deflateSync(bytes).toString("base64url")}`;

test("every text comes back as it went, and a reload's address has no link", async () => {
  const programs = ["", "fd 100", "くりかえし　３６\n\u3000まえに　１００\nここまで", "a\r\nb\0c", "😀 <script>x</script>",
                    "まえに　１０\n".repeat(5000)];
  for (const text of programs) {
    const link = await makeLink(text, `${PAGE}#kv1=old`, WIDE);
    assert.ok(link.startsWith(`${PAGE}#kv1=`), link);
    assert.deepEqual(await readLink(link, WIDE), { outcome: "program", text });
    assert.equal(withoutLink(link), PAGE);
  }
});

test("no link is made past either limit, and one is made right at them", async () => {
  const text = "まえに　１００\n".repeat(50);
  const length = (await makeLink(text, PAGE, WIDE)).length;
  const bytes = new TextEncoder().encode(text).length;
  const cases = [
    [{ maxLinkChars: length, maxProgramBytes: bytes }, true],
    [{ maxLinkChars: length - 1, maxProgramBytes: bytes }, false],
    [{ maxLinkChars: length, maxProgramBytes: bytes - 1 }, false],
  ];
  for (const [limits, made] of cases) assert.equal(await makeLink(text, PAGE, limits) !== null, made, JSON.stringify(limits));
});

test("what an address carries: nothing, a program, or why not", async () => {
  const good = packed(Buffer.from("fd 10"));
  const altered = good.slice(0, -3) + (good.at(-3) === "A" ? "B" : "A") + good.slice(-2);
  const cases = [
    ["no fragment", PAGE, null],
    ["another fragment", `${PAGE}#help`, null],
    ["a program", good, { outcome: "program", text: "fd 10" }],
    ["longer than the page takes", good, { outcome: "tooLong" }, { ...WIDE, maxLinkChars: good.length - 1 }],
    ["unpacks to more than the page takes", packed(Buffer.alloc(1001, 0x61)), { outcome: "tooLong" },
     { ...WIDE, maxProgramBytes: 1000 }],
    ["unpacks to just what the page takes", packed(Buffer.alloc(1000, 0x61)), { outcome: "program", text: "a".repeat(1000) },
     { ...WIDE, maxProgramBytes: 1000 }],
    ["cut short", good.slice(0, -4), { outcome: "damaged" }],
    ["a character altered", altered, { outcome: "damaged" }],
    ["no base64url", `${PAGE}#kv1=fd+10`, { outcome: "damaged" }],
    ["a length no base64 has", `${PAGE}#kv1=AAAAA`, { outcome: "damaged" }],
    ["no deflate", `${PAGE}#kv1=${Buffer.from("fd 10").toString("base64url")}`, { outcome: "damaged" }],
    ["no UTF-8", packed(Buffer.from([0x82, 0xdc])), { outcome: "damaged" }],
  ];
  for (const [name, href, expected, limits = WIDE] of cases) assert.deepEqual(await readLink(href, limits), expected, name);
});
