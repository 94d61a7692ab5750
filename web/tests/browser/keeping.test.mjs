// Nothing lost in the page: a draft per tab that no other tab overwrites, the
// drafts of closed tabs offered to a fresh tab, a draft too large for local
// storage, storage that refuses the draft, and an offline copy that is updated in
// one step and never mixes two builds.
import { test, before, after, describe } from "node:test";
import assert from "node:assert/strict";
import { cpSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { openSite, controls, draftKept, draftsLeft, siteDir, screenshotDir, texts, canvasPixels, runnerPixels, differences,
         until } from "./harness.mjs";
import { stampSite } from "../../stamp_site.mjs";

const TEXTS = texts();
const UNSAVED_TITLE = `${TEXTS.titleText} （未保存）`;
const WAIT = { timeout: 10_000 };
const PICKER = "保存されていないプログラム";
let site;
before(async () => { site = await openSite(); });
after(async () => {
  await site?.close();
  assert.deepEqual(site?.pageErrors ?? [], [], "the page threw");
});

const newContext = (options = {}) => site.browser.newContext({ serviceWorkers: "block", acceptDownloads: true, ...options });
const picker = (page) => page.getByRole("dialog", { name: PICKER });
// The drafts the picker offers, in its order.
const offeredDrafts = (page) => picker(page).getByRole("group").getByRole("button").allTextContents();
// A tab that has started, with its picker (if any) still open.
async function openTab(context) {
  const page = await site.newPage({ context, ready: false });
  await page.goto(site.baseUrl);
  await page.waitForSelector("body[data-ready]");
  return page;
}
async function typeAndKeep(page, text) {
  await controls(page).editor.fill(text);
  assert.equal(await draftKept(page), true, `the draft holds ${JSON.stringify(text)}`);
}
// The file name box of a browser without a save dialog, answered.
async function saveAs(page, name) {
  await page.locator("dialog[open]").getByRole("textbox", { name: "ファイル名" }).fill(name);
  await controls(page).boxButton("保存").click();
}
// Waits until the editor shows text (a chosen draft is restored a moment after the choice).
async function editorShows(page, text) {
  await until(page, (text) => document.getElementById("program-editor").value === text, text, WAIT)
    .catch(() => undefined);
  assert.equal(await controls(page).editor.inputValue(), text);
}
async function reload(page) {
  await page.reload();
  await page.waitForSelector("body[data-ready]");
}

describe("drafts", () => {
  test("two tabs keep a draft each: closing one and reloading the other loses neither", async () => {
    const context = await newContext();
    const first = await openTab(context);
    await typeAndKeep(first, "fd 11");
    const second = await openTab(context);
    assert.equal(await controls(second).editor.inputValue(), "", "the second tab starts empty");
    assert.equal(await picker(second).count(), 0, "an open tab's draft is not offered");
    await typeAndKeep(second, "fd 22");
    await typeAndKeep(first, "fd 11\nlt 45");
    await typeAndKeep(second, "fd 22\nrt 90");  // the second tab wrote last
    await second.close();
    await reload(first);
    assert.equal(await controls(first).editor.inputValue(), "fd 11\nlt 45");
    assert.equal(await first.title(), UNSAVED_TITLE);
    assert.equal(await picker(first).count(), 0, "a reload takes the tab's own draft, unasked");

    // The closed tab's text is kept for a fresh tab.
    const third = await openTab(context);
    await picker(third).waitFor(WAIT);
    assert.deepEqual((await offeredDrafts(third)).map((label) => label.split("　").pop()), ["fd 22"]);
    await context.close();
  });

  test("a duplicated tab, which inherits the session storage, keeps a draft of its own", async () => {
    const context = await newContext();
    const first = await openTab(context);
    await typeAndKeep(first, "fd 1");
    const id = await first.evaluate(() => sessionStorage.getItem("kurovel.tab"));
    const copy = await site.newPage({ context, ready: false });
    await copy.addInitScript((id) => sessionStorage.setItem("kurovel.tab", id), id);
    await copy.goto(site.baseUrl);
    await copy.waitForSelector("body[data-ready]");
    assert.notEqual(await copy.evaluate(() => sessionStorage.getItem("kurovel.tab")), id);
    await typeAndKeep(copy, "fd 2");
    await reload(first);
    assert.equal(await controls(first).editor.inputValue(), "fd 1");
    await context.close();
  });

  test("a fresh tab offers the closed tabs' drafts newest first, by keyboard or touch, and takes none unasked",
       async () => {
    const context = await newContext({ hasTouch: true });
    for (const text of ["fd 1\nrt 10", "fd 2\nrt 20"]) {
      const tab = await openTab(context);
      if (await picker(tab).count() > 0) await tab.keyboard.press("Escape");
      await typeAndKeep(tab, text);
      await tab.close();
    }
    // A draft older than the stated lifetime is no longer offered.
    const writer = await openTab(context);
    await picker(writer).waitFor(WAIT);
    await writer.evaluate(() => new Promise((resolve, reject) => {
      const request = indexedDB.open("kurovel-drafts");
      request.onsuccess = () => {
        const transaction = request.result.transaction(["summaries", "texts"], "readwrite");
        const longAgo = Date.now() - 15 * 24 * 60 * 60 * 1000;
        transaction.objectStore("summaries").put({ tab: "gone", fileName: "", savedAt: longAgo, firstLine: "fd 99", lines: 1 });
        transaction.objectStore("texts").put({ tab: "gone", text: "fd 99" });
        transaction.oncomplete = resolve;
        transaction.onerror = () => reject(transaction.error);
      };
    }));
    await writer.close();

    const third = await openTab(context);
    await picker(third).waitFor(WAIT);
    mkdirSync(screenshotDir, { recursive: true });
    await third.screenshot({ path: join(screenshotDir, "draft-picker.png") });
    const offered = await offeredDrafts(third);
    assert.deepEqual(offered.map((label) => label.split("　").pop()), ["fd 2", "fd 1"]);
    assert.match(offered[0], /^\d+\/\d+ \d\d:\d\d　名前なし（2行）　fd 2$/);
    assert.equal(await controls(third).editor.inputValue(), "", "nothing is taken before the pupil chooses");
    await third.keyboard.press("ArrowDown");
    await third.keyboard.press("Enter");
    await picker(third).waitFor({ state: "detached", ...WAIT });
    await editorShows(third, "fd 1\nrt 10");
    assert.equal(await third.title(), UNSAVED_TITLE);
    assert.equal(await draftKept(third), true, "the chosen draft is now the tab's own");

    const fourth = await openTab(context);
    await picker(fourth).waitFor(WAIT);
    await picker(fourth).getByRole("button", { name: /fd 2$/ }).tap();
    await editorShows(fourth, "fd 2\nrt 20");
    assert.equal(await draftKept(fourth), true);

    // Taken drafts are gone from the list; 選ばずに始める starts empty.
    const fifth = await openTab(context);
    assert.equal(await picker(fifth).count(), 0, "every draft is taken or has expired");
    await fourth.close();
    const sixth = await openTab(context);
    await picker(sixth).getByRole("button", { name: "選ばずに始める" }).click();
    assert.equal(await controls(sixth).editor.inputValue(), "");
    assert.equal(await sixth.title(), TEXTS.titleText);
    await context.close();
  });

  test("the one draft the page kept before is offered, not lost", async () => {
    const context = await newContext();
    await context.addInitScript(() => {
      if (sessionStorage.getItem("seeded")) return;
      sessionStorage.setItem("seeded", "1");
      localStorage.setItem("kurovel.draft", JSON.stringify({ text: "fd 7\nrt 7", fileName: "kame.kv", modified: true }));
    });
    const page = await openTab(context);
    await picker(page).waitFor(WAIT);
    const offered = await offeredDrafts(page);
    assert.equal(offered.length, 1);
    assert.match(offered[0], /　kame\.kv（2行）　fd 7$/);
    await picker(page).getByRole("button", { name: /fd 7$/ }).click();
    await editorShows(page, "fd 7\nrt 7");
    assert.equal(await page.title(), `${TEXTS.titleText} kame.kv （未保存）`);
    assert.equal(await page.evaluate(() => localStorage.getItem("kurovel.draft")), null);
    await context.close();
  });

  test("a draft saved or given up is removed", async () => {
    const cases = [
      { name: "保存", steps: async (c, page) => {
        await c.saveButton.click();
        await saveAs(page, "a.kv");
      } },
      { name: "新規作成, OK", steps: async (c) => {
        await c.chooseMenu("ファイル", "新規作成");
        await c.boxButton("OK").click();
      } },
      { name: "終了, いいえ", steps: async (c) => {
        await c.quitButton.click();
        await c.boxButton("いいえ").click();
      } },
    ];
    for (const { name, steps } of cases) {
      const context = await newContext();
      const observer = await openTab(context);
      const page = await openTab(context);
      await typeAndKeep(page, "fd 5");
      await steps(controls(page), page);
      assert.equal(await draftsLeft(observer, 0), 0, name);
      await context.close();
    }
  });

  test("a 6.5 MB program is kept and comes back after a reload", async () => {
    const context = await newContext();
    const page = await openTab(context);
    // Lines of 61 bytes: the browser lays out a textarea of a million short lines slowly.
    const program = `${"fd 1 rt 1 ".repeat(6)}\n`.repeat(Math.ceil(6.5 * 1024 * 1024 / 61));
    await controls(page).editor.evaluate((editor, text) => {
      editor.value = text;
      editor.dispatchEvent(new InputEvent("input", { bubbles: true, inputType: "insertFromPaste" }));
    }, program);
    assert.equal(await draftKept(page, 60), true);
    await reload(page);
    assert.equal(await controls(page).editor.evaluate((editor, length) => editor.value.length, program.length),
                 program.length);
    assert.equal(await controls(page).editor.evaluate((editor, text) => editor.value === text, program), true);
    assert.equal(await page.title(), UNSAVED_TITLE);
    assert.equal(await page.getByRole("alert").count(), 0, "no failure was reported");
    await context.close();
  });

  describe("storage that refuses the draft", () => {
    const notKept = (reason) => `このプログラムの下書きをブラウザーに残せません（${reason}）。` +
                                "ページを閉じたり読み込み直したりすると変更が失われるので、保存してください。";
    const cases = [
      { name: "the quota is exceeded", reason: "ブラウザーに保存できる量を超えました",
        init: () => {
          IDBObjectStore.prototype.put = () => { throw new DOMException("The quota has been exceeded.", "QuotaExceededError"); };
        } },
      { name: "storage is blocked", reason: "このブラウザーの設定（プライベート ブラウズなど）では、ページのデータを残せません",
        init: () => {
          IDBFactory.prototype.open = () => { throw new DOMException("The user denied permission.", "SecurityError"); };
        } },
    ];
    for (const { name, reason, init } of cases) {
      test(`${name}: the page says so once and offers 保存`, async () => {
        const context = await newContext();
        await context.addInitScript(init);
        const page = await openTab(context);
        const c = controls(page);
        await c.editor.fill("fd 10");
        const alert = page.getByRole("alert");
        await alert.waitFor(WAIT);
        assert.equal(await alert.locator("p").textContent(), notKept(reason));
        if (name === "the quota is exceeded") {
          mkdirSync(screenshotDir, { recursive: true });
          await page.screenshot({ path: join(screenshotDir, "draft-not-kept.png") });
        }
        await c.editor.fill("fd 10\nrt 90");
        await page.waitForTimeout(200);
        assert.equal(await alert.count(), 1, "said once");
        const download = page.waitForEvent("download");
        await alert.getByRole("button", { name: "保存", exact: true }).click();
        await saveAs(page, "a.kv");
        assert.equal(readFileSync(await (await download).path(), "latin1"), "fd 10\r\nrt 90");
        assert.equal(await alert.count(), 0);
        await c.editor.fill("fd 20");
        await page.waitForTimeout(200);
        assert.equal(await alert.count(), 0, "not said again");
        await context.close();
      });
    }
  });
});

describe("offline copy", () => {
  // Build B: build A's site with a module that differs (one more custom section)
  // and another caption of the speed menu, stamped as web/build.sh stamps a build.
  function makeBuildB(directory) {
    cpSync(siteDir, directory, { recursive: true });
    const wasm = readFileSync(join(directory, "kurovel.wasm"));
    const name = Buffer.from("build-b");
    writeFileSync(join(directory, "kurovel.wasm"),
                  Buffer.concat([wasm, Buffer.from([0, name.length + 1 + 4, name.length]), name, Buffer.from("bbbb")]));
    const siteTexts = JSON.parse(readFileSync(join(directory, "texts.json"), "utf8"));
    siteTexts.speedMenu = `${siteTexts.speedMenu} B`;
    writeFileSync(join(directory, "texts.json"), JSON.stringify(siteTexts));
    // Without build A's compressed copies, which the server would send for the
    // files changed here when a copy leaves them newer than their file.
    for (const name of readdirSync(directory, { recursive: true })) {
      if (/\.(br|gz)$/.test(name)) rmSync(join(directory, name));
    }
    return stampSite(directory).stamp;
  }
  const pageBuild = async (page) => ({
    stamp: await page.evaluate(async () => (await import("./kurovel.js")).buildStamp),
    speedMenu: await page.locator("#speed-menu").textContent(),
  });
  const controlled = (page) => page.evaluate(async () => {
    await navigator.serviceWorker.ready;
    if (!navigator.serviceWorker.controller) {
      await new Promise((done) => navigator.serviceWorker.addEventListener("controllerchange", done, { once: true }));
    }
  });

  test("a new build is taken whole after the offered reload, and works offline", async () => {
    const work = mkdtempSync(join(tmpdir(), "kurovel-update-"));
    const served = join(work, "served");
    cpSync(siteDir, served, { recursive: true });
    const a = { stamp: /buildStamp = "([0-9a-f]+)"/.exec(readFileSync(join(siteDir, "kurovel.js"), "utf8"))[1],
                speedMenu: TEXTS.speedMenu };
    const b = { stamp: makeBuildB(join(work, "b")), speedMenu: `${TEXTS.speedMenu} B` };
    assert.notEqual(a.stamp, b.stamp);
    const server = await openSite({ directory: served });
    try {
      const context = await server.browser.newContext({ serviceWorkers: "allow" });
      const page = await context.newPage();
      await page.goto(server.baseUrl);
      await page.waitForSelector("body[data-ready]");
      await controlled(page);
      assert.deepEqual(await pageBuild(page), a);

      // The server's files are replaced by build B's.
      rmSync(served, { recursive: true });
      cpSync(join(work, "b"), served, { recursive: true });
      await reload(page);
      assert.deepEqual(await pageBuild(page), a, "until the pupil accepts, the page is all of build A");
      const notice = page.getByRole("status").filter({ hasText: "新しい版" });
      await notice.waitFor(WAIT);
      mkdirSync(screenshotDir, { recursive: true });
      await page.screenshot({ path: join(screenshotDir, "update-ready.png") });
      const reloaded = page.waitForEvent("load");
      await notice.getByRole("button", { name: "読み込み直す" }).click();
      await reloaded;
      await page.waitForSelector("body[data-ready]");
      assert.deepEqual(await pageBuild(page), b);

      await context.setOffline(true);
      await reload(page);
      assert.deepEqual(await pageBuild(page), b, "offline, the kept copy is build B");
      const c = controls(page);
      await c.commandBox.fill("まえに　１００");
      await c.commandBox.press("Enter");
      await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
      const actual = await canvasPixels(page);
      assert.deepEqual(differences(actual, runnerPixels("まえに　１００\n", { ...actual, lines: true })), []);
      await context.close();
    } finally {
      await server.close();
      rmSync(work, { recursive: true, force: true });
    }
  });
});
