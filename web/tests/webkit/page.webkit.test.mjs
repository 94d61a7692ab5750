// The page in WebKit, the engine of every browser on an iPad: what matters most
// for a pupil, checked against kurovel-run's drawings and the desktop's texts as
// the Chromium tests do. Run by web/tests/webkit/run.sh (a virtual display).
import { test, before, after, describe } from "node:test";
import assert from "node:assert/strict";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { differences, runnerPixels, siteDir, texts } from "../browser/harness.mjs";
import { serveSite } from "../../serve.mjs";
import { Keys } from "./webdriver.mjs";
import { openWebKit, pause, until } from "./harness.mjs";

const TEXTS = texts();
// The smallest touch target, in CSS pixels.
const TOUCH_TARGET = 44;
// What the page offers yet: the share action, and the touch layout with its
// button that inserts commands.
const INDEX = readFileSync(join(siteDir, "index.html"), "utf8");
const SHARE_ITEM = "リンクで共有";
const INSERT_BUTTON = ">挿入</button>";
const NO_SHARING = !INDEX.includes(SHARE_ITEM) && `the page has no ${SHARE_ITEM} yet`;
const NO_TOUCH_LAYOUT = !INDEX.includes(INSERT_BUTTON) && "the page has no touch layout (its 挿入 button) yet";
let webkit;
const work = mkdtempSync(join(tmpdir(), "kurovel-webkit-files-"));
before(async () => { webkit = await openWebKit(); });
after(async () => {
  await webkit?.close();
  rmSync(work, { recursive: true, force: true });
});

// A test on a fresh page of its own browser, closed afterwards.
const onPage = (options, body) => async () => {
  const page = await webkit.newPage(options);
  try {
    await body(page);
  } finally {
    await webkit.closePage(page);
  }
};

async function assertCanvasMatchesRunner(page, program, lines) {
  await page.painted();
  const actual = await page.canvasPixels();
  assert.deepEqual(differences(actual, runnerPixels(program, { width: actual.width, height: actual.height, lines })), []);
}

const runEnded = (page, run) => until(() => run.enabled(), 20_000);

describe("typing and drawing", () => {
  test("lines typed into the command box, an error line among them, draw what kurovel-run draws", onPage({}, async (page) => {
    const lines = ["まえに　１００", "pd 2", "rt 90", "div var1 0", "lt 45 fd 30"];
    const box = await page.byRole("textbox", "１行コマンド");
    for (const line of lines) {
      await page.fill(box, line);
      await box.type(Keys.enter);
      if (line.startsWith("div")) {
        assert.deepEqual(await page.boxText(), { caption: TEXTS.applicationTitle, text: "0 による浮動小数点数除算." });
        await (await page.boxButton("OK")).click();
      }
    }
    assert.equal(await page.value(box), lines.at(-1), "the line stays in the box");
    await assertCanvasMatchesRunner(page, `${lines.join("\n")}\n`, true);
  }));

  test("a nested program typed into the editor and run draws what kurovel-run draws", onPage({}, async (page) => {
    const program = "くりかえし　４\n　くりかえし　３６\n　　まえに　５\n　　みぎに　１０\n　ここまで\n　みぎへ　９０\nここまで";
    const editor = await page.byRole("textbox", "プログラム");
    await page.fill(editor, program);
    assert.equal(await page.value(editor), program);
    const run = await page.button("実行");
    await run.click();
    assert.ok(await runEnded(page, run), "the run ended");
    await assertCanvasMatchesRunner(page, `${program}\n`, false);
  }));
});

describe("run and stop", () => {
  test("実行 is disabled and 中断 enabled during a long run; 中断 ends it, and 実行 works again", onPage({}, async (page) => {
    await page.fill(await page.byRole("textbox", "プログラム"), "repeat 100000000\nfd 1\nrt 1\nnext");
    const run = await page.button("実行");
    const stop = await page.button("中断");
    await run.click();
    assert.equal(await until(async () => !await run.enabled() && await stop.enabled()), true, "running");
    await pause(300);
    await stop.click();
    assert.equal(await until(() => run.enabled(), 2000), true, "the run ended soon after 中断");
    assert.equal(await stop.enabled(), false);
    await (await page.button("画面消去")).click();
    await page.fill(await page.byRole("textbox", "プログラム"), "fd 30\nrt 90\nfd 40");
    await run.click();
    assert.ok(await runEnded(page, run));
    await assertCanvasMatchesRunner(page, "fd 30\nrt 90\nfd 40\n", false);
  }));
});

describe("files", () => {
  // "まえに　１００" CR LF "rt 90" in Shift-JIS.
  const sjis = Buffer.from([0x82, 0xDC, 0x82, 0xA6, 0x82, 0xC9, 0x81, 0x40, 0x82, 0x50, 0x82, 0x4F, 0x82, 0x4F,
                            0x0D, 0x0A, 0x72, 0x74, 0x20, 0x39, 0x30]);

  test("open a Shift-JIS file and save it back as a download, byte for byte", onPage({}, async (page) => {
    const file = join(work, "square.kv");
    writeFileSync(file, sjis);
    // WebKit's automation answers a file picker that a page opens itself with
    // nothing, as if cancelled: the picker stays closed, and the file is chosen
    // on the page's file input, as WebDriver chooses files.
    const input = await page.session.find("#program-file");
    await page.session.execute("arguments[0].click = () => {};", input);
    await (await page.button("呼出")).click();
    await input.type(file);
    assert.ok(await until(async () => (await page.session.title()).endsWith("square.kv")), "opened");
    assert.equal(await page.value(await page.byRole("textbox", "プログラム")), "まえに　１００\nrt 90");
    assert.equal(await page.session.title(), `${TEXTS.titleText} square.kv`);

    await (await page.button("保存")).click();
    const name = await until(() => page.byRole("textbox", "ファイル名", { scope: "dialog[open]" }));
    assert.equal(await page.value(name), "square.kv", "the dialog offers the current name");
    await page.fill(name, "copy");
    await (await page.boxButton("保存")).click();
    assert.deepEqual(await webkit.download("copy.kv"), sjis);
    assert.ok(await until(async () => (await page.session.title()).endsWith("copy.kv")), "saved under the new name");
  }));

  test("save picture downloads a BMP 10 pixels narrower than the surface", onPage({}, async (page) => {
    const { width, height } = await page.canvasPixels();
    await page.chooseMenu("ファイル", "名前を付けて作品を保存");
    await page.fill(await until(() => page.byRole("textbox", "ファイル名", { scope: "dialog[open]" })), "work");
    await (await page.boxButton("保存")).click();
    const bmp = await webkit.download("work.bmp");
    assert.ok(bmp, "downloaded");
    assert.equal(bmp.toString("latin1", 0, 2), "BM");
    assert.deepEqual([bmp.readInt32LE(18), bmp.readInt32LE(22)], [width - 10, height]);
  }));
});

describe("the help window", () => {
  test("four tabs with the desktop's texts", onPage({}, async (page) => {
    await (await page.button("使い方")).click();
    const tabs = await until(async () => {
      const found = await page.session.findAll("[role=tab]");
      return found.length > 0 && found;
    });
    assert.deepEqual(await Promise.all(tabs.map((tab) => tab.label())),
                     [TEXTS.versionTab, TEXTS.commandListTab, TEXTS.exerciseTab, TEXTS.sampleProgramTab]);
    const pages = [[TEXTS.commandListTab, TEXTS.commandList], [TEXTS.exerciseTab, TEXTS.exercises],
                   [TEXTS.sampleProgramTab, TEXTS.samplePrograms], [TEXTS.versionTab, TEXTS.versionNote]];
    for (const [tab, lines] of pages) {
      await (await page.byRole("tab", tab)).click();
      const shown = await page.session.execute(
        "return document.querySelector('[role=tabpanel]:not([hidden]) textarea').value;");
      assert.equal(shown, lines.join("\n"), tab);
    }
    await (await page.byRole("tab", TEXTS.exerciseTab)).click();
    await (await page.button(TEXTS.helpClose)).click();
    assert.equal(await page.byRole("dialog", TEXTS.helpCaption), null, "closed");
    await page.chooseMenu("ヘルプ", "使い方など");
    assert.equal(await (await until(() => page.byRole("tab", TEXTS.exerciseTab))).attribute("aria-selected"), "true",
                 "the last tab stays selected");
  }));
});

describe("nothing lost", () => {
  test("a reload restores the editor from the tab's draft and says it is unsaved", onPage({}, async (page) => {
    const program = "くりかえし　４\nまえに　５０\nここまで";
    await page.fill(await page.byRole("textbox", "プログラム"), program);
    await pause(500);  // the draft is written a moment after the change
    await page.session.refresh();
    await page.whenReady();
    assert.equal(await page.value(await page.byRole("textbox", "プログラム")), program);
    assert.equal(await page.session.title(), `${TEXTS.titleText} （未保存）`);
  }));

  test("once opened, the page starts and draws with its server gone (the offline copy)", async () => {
    const server = await serveSite(siteDir);
    const page = await webkit.newPage({ url: `http://localhost:${server.port}/` });
    try {
      const controlled = await page.session.executeAsync(`
        const done = arguments[0];
        navigator.serviceWorker.ready.then(() => {
          if (navigator.serviceWorker.controller) return done(true);
          navigator.serviceWorker.addEventListener("controllerchange", () => done(true), { once: true });
        });`);
      assert.equal(controlled, true);
      await server.close();
      await page.session.refresh();
      await page.whenReady();
      const box = await page.byRole("textbox", "１行コマンド");
      await page.fill(box, "まえに　１００");
      await box.type(Keys.enter);
      await assertCanvasMatchesRunner(page, "まえに　１００\n", true);
    } finally {
      await webkit.closePage(page);
      await server.close();
    }
  });
});

describe("sharing", () => {
  // WebKitWebDriver drives one browser at a time: the first is closed before the
  // second opens the link.
  test("a link made in one browser opens its program in another, as text, running nothing", { skip: NO_SHARING },
       async () => {
    const program = 'fd 10\n<img src=x onerror="window.ran = 1"><script>window.ran = 2</script>\nまえに　２０';
    let link;
    await onPage({}, async (page) => {
      await page.fill(await page.byRole("textbox", "プログラム"), program);
      await page.chooseMenu("ファイル", SHARE_ITEM);
      link = await until(() => page.session.execute(
        "return document.querySelector('dialog[open] input, dialog[open] textarea')?.value || false;"));
    })();
    assert.ok(link?.startsWith(webkit.baseUrl), `a link to the page: ${link}`);
    await onPage({ url: link }, async (other) => {
      const editor = await other.byRole("textbox", "プログラム");
      assert.equal(await until(async () => await other.value(editor) === program), true, "the program is in the editor");
      assert.equal(await other.session.execute("return window.ran ?? null;"), null, "nothing in it ran");
      await assertCanvasMatchesRunner(other, "", false);  // and nothing was drawn
    })();
  });
});

// WebKit's WebDriver cannot make the pointer coarse, as a touch screen's is: the
// page's rules for a coarse pointer are made to hold whatever the pointer, and
// for a fine one never, and the boxes are measured in WebKit's layout.
const TOUCH_SIZES = [[820, 1180], [1180, 820], [390, 844]];
const emulateCoarsePointer = (page) => page.session.execute(`
  const rules = (list) => [...list].flatMap((rule) => rule.cssRules ? [rule, ...rules(rule.cssRules)] : [rule]);
  for (const sheet of document.styleSheets) {
    for (const rule of rules(sheet.cssRules)) {
      if (!rule.media) continue;
      rule.media.mediaText = rule.media.mediaText.replaceAll("(pointer: coarse)", "(min-width: 0px)")
                                                 .replaceAll("(pointer: fine)", "(max-width: 0px)");
    }
  }`);
// Every control shown that is smaller than a touch target, and how far the page
// reaches past the viewport's width.
const touchLayout = (page) => page.session.execute(`
  const controls = document.querySelectorAll("button, input, textarea, select, [role=menuitem], [role=tab]");
  const small = [];
  for (const control of controls) {
    const box = control.getBoundingClientRect();
    if (box.width === 0 || box.height === 0 || getComputedStyle(control).visibility === "hidden") continue;
    if (box.width < ${TOUCH_TARGET} || box.height < ${TOUCH_TARGET}) {
      small.push(\`\${control.id || control.textContent.trim()}: \${Math.round(box.width)}x\${Math.round(box.height)}\`);
    }
  }
  return { small, overflow: document.documentElement.scrollWidth - innerWidth };`);

describe("touch", () => {
  for (const [width, height] of TOUCH_SIZES) {
    test(`at ${width}x${height} every control is a touch target and nothing overflows`, { skip: NO_TOUCH_LAYOUT },
         onPage({ width, height }, async (page) => {
      await emulateCoarsePointer(page);
      await pause(300);  // the drawing area follows its new size
      assert.deepEqual(await touchLayout(page), { small: [], overflow: 0 });
    }));
  }
});
