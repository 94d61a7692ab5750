// Programs shared by link: made in one browser context and opened in another, as
// the QR code says too; a link's program is only ever text; a damaged, too-long or
// unwelcome link changes nothing; the page's Content-Security-Policy is in force
// and the page itself needs no more than it allows.
import { test, before, after, describe } from "node:test";
import assert from "node:assert/strict";
import { deflateSync } from "node:zlib";
import jsQR from "jsqr";
import { openSite, controls, texts, canvasPixels, runnerPixels, differences, until } from "./harness.mjs";

const TEXTS = texts();
const UNSAVED_TITLE = `${TEXTS.titleText} （未保存）`;
const DAMAGED = "このリンクは壊れているため、プログラムを開けません。リンクが途中で切れていないか確かめてください。";
const TOO_LONG = "このリンクのプログラムは長すぎるため、開けません。プログラムはファイルで受け取ってください。";
const SHARE = "リンクで共有";
const WAIT = { timeout: 15_000 };
let site;
before(async () => { site = await openSite(); });
after(async () => {
  await site?.close();
  assert.deepEqual(site?.pageErrors ?? [], [], "the page threw");
});

// A link as the page makes it, made here with node's own zlib.
const linkFor = (bytes) => `${site.baseUrl}#kv1=${deflateSync(bytes).toString("base64url")}`;
const newContext = () => site.browser.newContext({ serviceWorkers: "block" });
const shareDialog = (page) => page.getByRole("dialog", { name: SHARE });

// The link the share dialog gives for the editor's program.
async function shareLink(page) {
  await controls(page).chooseMenu("ファイル", SHARE);
  return shareDialog(page).getByRole("textbox", { name: "リンク" }).inputValue();
}

// The dialog's QR code as a camera would see it: each module 4 pixels, no smoothing.
async function decodeQr(page) {
  const { width, height, rgba } = await shareDialog(page).getByRole("img").evaluate((code) => {
    const scaled = new OffscreenCanvas(code.width * 4, code.height * 4);
    const context = scaled.getContext("2d");
    context.imageSmoothingEnabled = false;
    context.drawImage(code, 0, 0, scaled.width, scaled.height);
    return { width: scaled.width, height: scaled.height,
             rgba: [...context.getImageData(0, 0, scaled.width, scaled.height).data] };
  });
  return jsQR(Uint8ClampedArray.from(rgba), width, height)?.data ?? null;
}

const editorShows = (page, text) => until(page, (text) => document.getElementById("program-editor").value === text, text,
                                          WAIT);

async function boxText(page) {
  const box = page.locator("dialog.box[open]");
  await box.waitFor(WAIT);
  return { caption: await box.locator(".box-caption").textContent(), text: await box.locator(".box-text").textContent() };
}

// Nothing was drawn: the canvas is what kurovel-run shows for no program.
async function nothingDrawn(page) {
  const actual = await canvasPixels(page);
  assert.deepEqual(differences(actual, runnerPixels("", { width: actual.width, height: actual.height })), []);
}

describe("share by link", () => {
  test("a link made in one context opens the program in another; its QR code and the copy are the link", async () => {
    const program = ["くりかえし　３６", "\u3000\u3000まえに　１００", "\u3000\u3000みぎに　１９０", "ここまで", "pd 2 fd 50"].join("\n");
    const maker = await newContext();
    await maker.grantPermissions(["clipboard-read", "clipboard-write"], { origin: site.baseUrl });
    const teacher = await site.newPage({ context: maker });
    await controls(teacher).editor.fill(program);
    const link = await shareLink(teacher);
    assert.ok(link.startsWith(`${site.baseUrl}#kv1=`), link);
    assert.equal(await decodeQr(teacher), link);
    await shareDialog(teacher).getByRole("button", { name: "リンクをコピー" }).click();
    await shareDialog(teacher).getByRole("status").getByText("リンクをコピーしました。").waitFor(WAIT);
    assert.equal(await teacher.evaluate(() => navigator.clipboard.readText()), link);
    await shareDialog(teacher).getByRole("button", { name: "閉じる" }).click();

    const opener = await newContext();
    const pupil = await site.newPage({ context: opener, url: link });
    await editorShows(pupil, program);
    assert.equal(await pupil.title(), UNSAVED_TITLE);
    assert.equal(pupil.url(), site.baseUrl, "a reload opens the link no more");
    assert.equal(await pupil.locator("dialog[open]").count(), 0, "nothing asked on an unchanged editor");
    await nothingDrawn(pupil);
    // Kept as the tab's draft: a reload still shows it.
    await pupil.reload();
    await pupil.waitForSelector("body[data-ready]");
    await editorShows(pupil, program);
    await maker.close();
    await opener.close();
  });

  test("a program of HTML and script is only text: nothing runs and nothing loads", async () => {
    const program = ['<script>window.ran = 1</script>', '<img src="x" onerror="window.ran = 2">',
                     '"><svg onload="window.ran = 3">', '</textarea><script>window.ran = 4</script>',
                     "javascript:window.ran = 5", "fd 100"].join("\n");
    const context = await newContext();
    const page = await site.newPage({ context, ready: false });
    const requested = [];
    page.on("request", (request) => requested.push(new URL(request.url()).pathname));
    let dialogs = 0;
    page.on("dialog", (dialog) => { dialogs += 1; dialog.dismiss(); });
    await page.goto(linkFor(Buffer.from(program)));
    await page.waitForSelector("body[data-ready]");
    await editorShows(page, program);
    await page.waitForTimeout(300);
    assert.equal(await page.evaluate(() => window.ran), undefined);
    assert.equal(dialogs, 0);
    assert.deepEqual(requested.filter((path) => path === "/x"), [], "no picture was fetched");
    assert.equal(await page.locator("svg, img, script:not([src])").count(), 0, "no element came from the link");
    await nothingDrawn(page);
    await context.close();
  });

  test("unsaved changes: the question of 呼出 first; Cancel keeps them, OK replaces them", async () => {
    const page = await site.newPage();
    const c = controls(page);
    await c.editor.fill("fd 5");
    const link = linkFor(Buffer.from("rt 90"));
    for (const [answer, shown] of [["キャンセル", "fd 5"], ["OK", "rt 90"]]) {
      await page.goto(link);  // the same page: only its fragment changes
      assert.deepEqual(await boxText(page), { caption: TEXTS.warningCaption, text: TEXTS.warningDiscard });
      await c.boxButton(answer).click();
      await editorShows(page, shown);
      assert.equal(page.url(), site.baseUrl);
    }
    assert.equal(await page.title(), UNSAVED_TITLE);
    await page.context().close();
  });

  const refused = [
    ["cut short", () => linkFor(Buffer.from("fd 100\nrt 90\n".repeat(20))).slice(0, -12), DAMAGED],
    ["one character changed", () => {
      const link = linkFor(Buffer.from("fd 100\nrt 90\n".repeat(20)));
      const at = link.length - 8;
      return link.slice(0, at) + (link[at] === "A" ? "B" : "A") + link.slice(at + 1);
    }, DAMAGED],
    ["no base64url", () => `${site.baseUrl}#kv1=fd+100!`, DAMAGED],
    ["with bytes after its program", () => `${site.baseUrl}#kv1=` +
      Buffer.concat([deflateSync(Buffer.from("fd 100")), Buffer.from("more")]).toString("base64url"), DAMAGED],
    ["no UTF-8", () => linkFor(Buffer.from([0x82, 0xdc, 0xff])), DAMAGED],
    ["unpacks past the limit", () => linkFor(Buffer.alloc(TEXTS.shareLimits.maxProgramBytes + 1, 0x61)), TOO_LONG],
  ];
  for (const [name, link, message] of refused) {
    test(`a link ${name} says so and changes nothing`, async () => {
      const page = await site.newPage();
      const c = controls(page);
      await c.editor.fill("fd 5");
      await page.goto(link());
      assert.deepEqual(await boxText(page), { caption: TEXTS.applicationTitle, text: message });
      await c.boxButton("OK").click();
      assert.equal(await c.editor.inputValue(), "fd 5");
      assert.equal(await page.title(), TEXTS.titleText);
      await page.context().close();
    });
  }

  test("a program too long for a QR code still gets its link; one too long for a link is told so", async () => {
    const page = await site.newPage();
    const c = controls(page);
    // Random letters hardly compress: 4,000 of them make a link past what a code holds,
    // 3,000,000 one past Chromium's 2 MB.
    const random = (length) => Array.from({ length }, () => "abcdefghijklmnopqrstuvwxyz0123456789"[Math.floor(Math.random() * 36)]).join("");
    await c.editor.fill(random(4000));
    assert.ok((await shareLink(page)).length > 2953);
    await shareDialog(page).getByText("このリンクは長いため、QR コードにできません。リンクをコピーして渡してください。").waitFor(WAIT);
    assert.equal(await shareDialog(page).getByRole("img").count(), 0);
    await shareDialog(page).getByRole("button", { name: "閉じる" }).click();
    await c.editor.evaluate((editor, text) => { editor.value = text; }, random(3_000_000));
    await c.chooseMenu("ファイル", SHARE);
    await shareDialog(page).getByText("このプログラムは長すぎるため、リンクにできません（リンクは 2,097,152 文字まで）。" +
                                      "ファイルに保存して渡してください。").waitFor(WAIT);
    assert.equal(await shareDialog(page).getByRole("textbox").count(), 0);
    await page.context().close();
  });
});

describe("content security policy", () => {
  test("no inline script, handler attribute or eval runs; the page's own use breaks no rule", async () => {
    const context = await newContext();
    await context.addInitScript(() => {
      window.violations = [];
      document.addEventListener("securitypolicyviolation", (event) => window.violations.push(event.violatedDirective));
    });
    const page = await site.newPage({ context });
    const c = controls(page);
    // The page's own ways: a run, a typed line, the help window, a box, the insertion
    // menu, the share dialog with its code.
    await c.editor.fill("くりかえし　４\nまえに　５０\nみぎに　９０\nここまで");
    await c.runButton.click();
    await c.enabled(c.runButton);
    await c.commandBox.fill("div var1 0");
    await c.commandBox.press("Enter");
    await c.boxButton("OK").click();
    await c.helpButton.click();
    await c.editor.click({ button: "right" });
    await page.keyboard.press("Escape");
    await shareLink(page);
    await shareDialog(page).getByRole("img").waitFor(WAIT);
    assert.deepEqual(await page.evaluate(() => window.violations), []);
    // What the policy refuses: a script element's text, a handler attribute and a
    // string of code (run later by the page, not by this test's evaluation, which the
    // browser lets through).
    await page.evaluate(() => {
      const script = document.createElement("script");
      script.textContent = "window.ran = 'inline'";
      document.body.append(script);
      const target = document.createElement("div");
      target.setAttribute("onclick", "window.ran = 'handler'");
      document.body.append(target);
      target.click();
      setTimeout("window.ran = 'eval'", 0);
    });
    await page.waitForTimeout(200);
    assert.equal(await page.evaluate(() => window.ran), undefined);
    assert.deepEqual([...new Set(await page.evaluate(() => window.violations))].sort(),
                     ["script-src", "script-src-attr", "script-src-elem"]);
    await context.close();
  });
});
