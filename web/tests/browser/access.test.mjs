// Accessibility checked, not assumed: axe-core (pinned in web/package-lock.json)
// finds no serious or critical violation in the main view, the menus, the insertion
// menu, the help window, each box and the share dialog; and every function is
// reached with the keyboard alone, a run, 中断 and the saves included.
import { test, before, after, describe } from "node:test";
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { openSite, controls, texts, canvasPixels, runnerPixels, differences } from "./harness.mjs";

const AXE = readFileSync(createRequire(import.meta.url).resolve("axe-core/axe.min.js"), "utf8");
const TEXTS = texts();
const WAIT = { timeout: 10_000 };
let site;
before(async () => { site = await openSite(); });
after(async () => {
  await site?.close();
  assert.deepEqual(site?.pageErrors ?? [], [], "the page threw");
});

// The serious and critical violations axe finds in the page as it stands, as
// "rule: where" lines. (Evaluated by the browser's debugger, which the page's
// Content-Security-Policy does not stop: no script element is added to the page.)
async function seriousViolations(page) {
  if (!(await page.evaluate(() => "axe" in window))) await page.evaluate(AXE);
  const violations = await page.evaluate(async () => (await window.axe.run(document)).violations
    .filter(({ impact }) => impact === "serious" || impact === "critical")
    .flatMap(({ id, nodes }) => nodes.map(({ target, failureSummary }) => `${id}: ${target.join(" ")}: ${failureSummary}`)));
  return violations;
}

describe("axe-core", () => {
  test("the main view, the menus, the help window, each box and the share dialog", async () => {
    const page = await site.newPage();
    const c = controls(page);
    const found = [];
    const check = async (state) => found.push(...(await seriousViolations(page)).map((line) => `${state}: ${line}`));
    await c.editor.fill("くりかえし　４\nまえに　５０\nみぎに　９０\nここまで");
    await c.runButton.click();
    await c.enabled(c.runButton);
    await check("the main view");
    for (const menu of ["ファイル", "ヘルプ", TEXTS.speedMenu]) {
      await page.getByRole("menuitem", { name: menu, exact: true }).click();
      await check(`the menu ${menu}`);
      await page.keyboard.press("Escape");
    }
    await c.editor.click({ button: "right" });
    await page.getByRole("menuitem", { name: "変数", exact: true }).click();
    await check("the insertion menu");
    await page.keyboard.press("Escape");
    await c.helpButton.click();
    for (const tab of await page.getByRole("tab").allTextContents()) {
      await page.getByRole("tab", { name: tab }).click();
      await check(`the help window, ${tab}`);
    }
    await page.keyboard.press("Escape");
    // Each kind of box: a question, the error box, a warning, the file name box.
    const boxes = [
      ["a question", () => c.openButton.click(), "キャンセル"],
      ["the error box", async () => {
        await c.commandBox.fill("div var1 0");
        await c.commandBox.press("Enter");
      }, "OK"],
      ["a warning", async () => {
        await c.editor.fill("repeat 2");
        await c.runButton.click();
      }, "OK"],
      ["the file name box", () => c.saveButton.click(), "キャンセル"],
    ];
    for (const [state, open, close] of boxes) {
      await open();
      await page.locator("dialog[open]").waitFor(WAIT);
      await check(state);
      await c.boxButton(close).click();
    }
    await c.chooseMenu("ファイル", "リンクで共有");
    await page.getByRole("dialog", { name: "リンクで共有" }).getByRole("img").waitFor(WAIT);
    await check("the share dialog");
    await c.boxButton("閉じる").click();
    assert.deepEqual(found, []);
    await page.context().close();
  });

  test("the drafts offered to a fresh tab", async () => {
    const context = await site.browser.newContext({ serviceWorkers: "block" });
    const first = await site.newPage({ context });
    await controls(first).editor.fill("fd 33");
    await first.waitForTimeout(500);  // the draft is written a moment after the change
    await first.close();
    const page = await site.newPage({ context });
    await page.getByRole("dialog", { name: "保存されていないプログラム" }).waitFor(WAIT);
    assert.deepEqual(await seriousViolations(page), []);
    await context.close();
  });
});

// The focused control: its role and accessible name, as a person using a screen
// reader would hear it.
const focused = (page) => page.evaluate(() => {
  const node = document.activeElement;
  const label = node.labels?.[0]?.textContent ?? node.getAttribute("aria-label") ?? node.textContent.trim();
  return `${node.getAttribute("role") ?? node.localName}:${label}`;
});

// Presses Tab until the focus is on the control, at most 40 times.
async function tabTo(page, control, key = "Tab") {
  for (let presses = 0; presses < 40; presses += 1) {
    if (await focused(page) === control) return;
    await page.keyboard.press(key);
  }
  assert.fail(`${control} is not reached with ${key}`);
}

describe("keyboard alone", () => {
  test("Tab reaches every control; a run, 中断, the menus, the insertion menu and saves without the mouse", async () => {
    const page = await site.newPage();
    const c = controls(page);
    // One round of Tab from the start: every control the page has.
    const reached = new Set();
    for (let presses = 0; presses < 40; presses += 1) {
      reached.add(await focused(page));
      await page.keyboard.press("Tab");
    }
    const everyControl = ["menuitem:ファイル", "menuitem:ヘルプ", `menuitem:${TEXTS.speedMenu}`, "input:１行コマンド",
                          "button:実行", "textarea:プログラム", "button:画面消去", "button:呼出", "button:使い方",
                          "button:保存", "button:終了"];
    assert.deepEqual(everyControl.filter((control) => !reached.has(control)), []);

    // A program typed and run, then stopped: the focus goes from 実行 to 中断 and back.
    const program = "repeat 100000000\nfd 1\nrt 1\nnext";
    await tabTo(page, "textarea:プログラム");
    await page.keyboard.type(program);
    await tabTo(page, "button:実行", "Shift+Tab");
    await page.keyboard.press("Enter");
    assert.equal(await focused(page), "button:中断");
    await page.waitForTimeout(300);
    await page.keyboard.press("Enter");
    await c.enabled(c.runButton);
    assert.equal(await focused(page), "button:実行");
    const drawn = await canvasPixels(page);
    assert.notDeepEqual(differences(drawn, runnerPixels("", drawn)), [], "the run drew");

    // The insertion menu from the editor's menu key, its word put in with Enter.
    await tabTo(page, "textarea:プログラム");
    await page.keyboard.press("Control+End");
    await page.keyboard.press("Enter");
    await page.keyboard.press("Shift+F10");
    assert.equal(await focused(page), "menuitem:前へ");
    await page.keyboard.press("ArrowDown");
    await page.keyboard.press("Enter");
    assert.equal(await c.editor.inputValue(), `${program}\n後ろへ　`);

    // 保存: the file name box takes the focus, Enter saves.
    await tabTo(page, "button:保存");
    await page.keyboard.press("Enter");
    await page.locator("dialog[open]").getByRole("textbox", { name: "ファイル名" }).waitFor(WAIT);
    await page.keyboard.type("keys");
    const [programFile] = await Promise.all([page.waitForEvent("download"), page.keyboard.press("Enter")]);
    assert.equal(programFile.suggestedFilename(), "keys.kv");

    // A menu of the menu bar: Enter opens it, the arrows choose, Enter does it.
    await tabTo(page, "menuitem:ファイル", "Shift+Tab");
    await page.keyboard.press("Enter");
    const items = await page.getByRole("menu").getByRole("menuitem").allTextContents();
    for (let i = 0; i < items.indexOf("作品を PNG 画像で保存"); i += 1) await page.keyboard.press("ArrowDown");
    await page.keyboard.press("Enter");
    await page.locator("dialog[open]").getByRole("textbox", { name: "ファイル名" }).waitFor(WAIT);
    await page.keyboard.type("keys");
    const [picture] = await Promise.all([page.waitForEvent("download"), page.keyboard.press("Enter")]);
    assert.equal(picture.suggestedFilename(), "keys.png");

    // The help window: opened with Enter, its tabs with the arrows, closed with Esc.
    await tabTo(page, "button:使い方");
    await page.keyboard.press("Enter");
    assert.equal(await focused(page), `tab:${TEXTS.versionTab}`);
    await page.keyboard.press("ArrowRight");
    assert.equal(await focused(page), `tab:${TEXTS.commandListTab}`);
    await page.keyboard.press("Escape");
    assert.equal(await page.getByRole("dialog", { name: TEXTS.helpCaption }).count(), 0);
    await page.context().close();
  });
});
