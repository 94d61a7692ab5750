// The page at the sizes of a class's devices: on a coarse pointer every control and
// menu item a finger's size (44 CSS pixels), nothing past the screen's edges, the
// drawing area taking all that the panel leaves, today's layout for a mouse, the
// box being typed into above an on-screen keyboard, the 挿入 button, and a
// screenshot of each size in out/web/.
import { test, before, after, describe } from "node:test";
import assert from "node:assert/strict";
import { mkdirSync } from "node:fs";
import { join } from "node:path";
import { openSite, controls, texts, canvasPixels, differences, screenshotDir } from "./harness.mjs";

const TEXTS = texts();
const TARGET = 44;  // CSS pixels a finger needs
const SIZES = [[1366, 768], [1280, 800], [820, 1180], [1180, 820], [390, 844]];
let site;
before(async () => {
  site = await openSite();
  mkdirSync(screenshotDir, { recursive: true });
});
after(async () => {
  await site?.close();
  assert.deepEqual(site?.pageErrors ?? [], [], "the page threw");
});

// Every control that can be seen now, with its box, and whether the page scrolls.
const layout = (page) => page.evaluate(() => {
  const selector = "button, input:not([type=file]), textarea, select, [role=menuitem], [role=menuitemradio], [role=tab]";
  const shown = [...document.querySelectorAll(selector)].filter((node) => node.checkVisibility());
  return {
    viewport: { width: innerWidth, height: innerHeight },
    scrolls: document.documentElement.scrollWidth > innerWidth || document.documentElement.scrollHeight > innerHeight,
    controls: shown.map((node) => {
      const box = node.getBoundingClientRect();
      return { name: node.getAttribute("aria-label") || node.textContent.trim() || node.id,
               left: box.left, top: box.top, right: box.right, bottom: box.bottom,
               // A caption wider than its button is cut off.
               captionFits: !node.matches("button") || node.scrollWidth <= node.clientWidth + 1 };
    }),
  };
});

// What is wrong with the page as it stands: controls too small (on a coarse pointer),
// past the viewport or with a caption cut off, and a page that scrolls.
async function faults(page, { coarse }) {
  const { viewport, scrolls, controls: shown } = await layout(page);
  const found = scrolls ? ["the page scrolls"] : [];
  for (const c of shown) {
    const [width, height] = [c.right - c.left, c.bottom - c.top];
    if (coarse && (width < TARGET - 0.5 || height < TARGET - 0.5)) found.push(`${c.name}: ${width}x${height}`);
    if (c.left < -0.5 || c.top < -0.5 || c.right > viewport.width + 0.5 || c.bottom > viewport.height + 0.5) {
      found.push(`${c.name}: past the viewport at ${c.left},${c.top}-${c.right},${c.bottom}`);
    }
    if (!c.captionFits) found.push(`${c.name}: caption cut off`);
  }
  return found;
}

// The states a pupil passes through: the page, each menu, the insertion menu and its
// sub-menu, the help window, a question, the file name box and the share dialog.
async function everyState(page, check) {
  const c = controls(page);
  await check("the page");
  for (const menu of ["ファイル", "ヘルプ", TEXTS.speedMenu]) {
    await page.getByRole("menuitem", { name: menu, exact: true }).click();
    await check(`the menu ${menu}`);
    await page.keyboard.press("Escape");
  }
  const insertion = (await c.insertButton.isVisible()) ? () => c.insertButton.click()
                                                        : () => c.editor.click({ button: "right" });
  await insertion();
  await page.getByRole("menuitem", { name: "変数", exact: true }).click();
  await check("the insertion menu");
  await page.keyboard.press("Escape");
  await c.helpButton.click();
  for (const tab of [TEXTS.versionTab, TEXTS.commandListTab]) {
    await page.getByRole("tab", { name: tab }).click();
    await check(`the help window, ${tab}`);
  }
  await page.keyboard.press("Escape");
  await c.editor.fill("fd 10");
  await c.openButton.click();
  await check("a question");
  await c.boxButton("キャンセル").click();
  await c.saveButton.click();
  await check("the file name box");
  await c.boxButton("キャンセル").click();
  await c.chooseMenu("ファイル", "リンクで共有");
  await page.getByRole("dialog", { name: "リンクで共有" }).getByRole("img").waitFor();
  await check("the share dialog");
  await c.boxButton("閉じる").click();
}

// The client area is the drawing area and the panel and nothing else: the drawing
// takes all the panel leaves, and its surface all of it.
const drawingFills = (page) => page.evaluate(() => {
  const box = (selector) => document.querySelector(selector).getBoundingClientRect();
  const [client, drawing, panel] = [box(".client"), box("#drawing-area"), box("#control-panel")];
  const canvas = document.getElementById("drawing-canvas");
  const area = (r) => r.width * r.height;
  return Math.abs(area(drawing) + area(panel) - area(client)) <= client.width + client.height &&
         client.bottom === innerHeight && client.right === innerWidth &&
         canvas.width === Math.floor(drawing.width) && canvas.height === Math.floor(drawing.height);
});

describe("sizes", () => {
  for (const [width, height] of SIZES) {
    for (const coarse of [true, false]) {
      const name = `${width}x${height}-${coarse ? "touch" : "mouse"}`;
      test(`${name}: ${coarse ? "every control 44 px, " : ""}nothing past the edges, the drawing takes the rest`, async () => {
        const viewport = { width, height };
        const context = coarse ? await site.touchContext(viewport)
                               : await site.browser.newContext({ viewport, serviceWorkers: "block" });
        const page = await site.newPage({ context });
        assert.equal(await page.evaluate(() => matchMedia("(pointer: coarse)").matches), coarse);
        const c = controls(page);
        await c.editor.fill(TEXTS.samplePrograms.slice(2, 6).join("\n"));
        await c.runButton.click();
        await c.enabled(c.runButton);
        await page.screenshot({ path: join(screenshotDir, `size-${name}.png`) });
        assert.equal(await drawingFills(page), true, "the drawing area takes what the panel leaves");
        const found = [];
        await everyState(page, async (state) => found.push(...(await faults(page, { coarse })).map((f) => `${state}: ${f}`)));
        assert.deepEqual(found, []);
        await context.close();
      });
    }
  }

  test("a mouse at 1280x800 keeps the desktop's panel: 250 pixels, its buttons where they were", async () => {
    const page = await site.newPage({ viewport: { width: 1280, height: 800 } });
    const boxes = await page.evaluate(() => Object.fromEntries(
      ["control-panel", "command-box", "run-button", "stop-button", "clear-button", "open-button", "help-button",
       "save-button", "quit-button"].map((id) => {
        const panel = document.getElementById("control-panel").getBoundingClientRect();
        const box = document.getElementById(id).getBoundingClientRect();
        return [id, [box.left - panel.left, box.top - panel.top, box.width, box.height]];
      })));
    assert.deepEqual(boxes, {
      // Inside a 2-pixel border; the lower buttons sit 45 and 13 pixels above its foot.
      "control-panel": [0, 0, 250, 750], "command-box": [10, 26, 233, 24], "run-button": [90, 54, 81, 25],
      "stop-button": [186, 54, 49, 25], "clear-button": [7, 678, 70, 25], "open-button": [93, 678, 54, 25],
      "help-button": [7, 710, 70, 25], "save-button": [93, 710, 54, 25], "quit-button": [178, 678, 57, 57],
    });
    assert.equal(await controls(page).insertButton.isVisible(), false, "the right-click menu does it");
    await page.context().close();
  });
});

describe("on-screen keyboard", () => {
  // A visual viewport whose foot a keyboard covers, as tablets report it.
  const withKeyboard = (context) => context.addInitScript(() => {
    const viewport = new EventTarget();
    let covered = 0;
    const fields = { height: () => innerHeight - covered, width: () => innerWidth, offsetTop: () => 0,
                     offsetLeft: () => 0, pageTop: () => 0, pageLeft: () => 0, scale: () => 1 };
    for (const [name, get] of Object.entries(fields)) Object.defineProperty(viewport, name, { get });
    Object.defineProperty(window, "visualViewport", { get: () => viewport });
    window.showKeyboard = (height) => {
      covered = height;
      viewport.dispatchEvent(new Event("resize"));
    };
  });
  const keyboards = [[390, 844, 330], [820, 1180, 400], [1180, 820, 390]];
  for (const [width, height, keyboard] of keyboards) {
    test(`${width}x${height}: the box typed into stays above a keyboard of ${keyboard} px; the drawing stays`, async () => {
      const context = await site.touchContext({ width, height });
      await withKeyboard(context);
      const page = await site.newPage({ context });
      const c = controls(page);
      await c.commandBox.fill("fd 100");
      await c.commandBox.press("Enter");
      await page.waitForTimeout(200);
      const drawn = await canvasPixels(page);
      for (const box of [c.commandBox, c.editor]) {
        await box.focus();
        await page.evaluate((height) => window.showKeyboard(height), keyboard);
        await page.waitForTimeout(300);  // past the page's wait for a resize to settle
        const { y, height: boxHeight } = await box.boundingBox();
        assert.ok(y >= 0 && y + boxHeight <= height - keyboard, `${await box.getAttribute("id")} at ${y}+${boxHeight}`);
        await page.evaluate(() => window.showKeyboard(0));
        await page.waitForTimeout(300);
      }
      assert.deepEqual(differences(await canvasPixels(page), drawn), [], "the drawing was not cleared");
      await context.close();
    });
  }
});

describe("insertion button", () => {
  test("挿入 on a touch screen puts the menu's words at the editor's caret", async () => {
    const context = await site.touchContext({ width: 820, height: 1180 });
    const page = await site.newPage({ context });
    const c = controls(page);
    await c.editor.fill("まえに　１００\nここまで");
    await c.editor.evaluate((editor) => editor.setSelectionRange(8, 8));  // the start of the second line
    await c.insertButton.tap();
    assert.equal(await c.insertButton.getAttribute("aria-expanded"), "true");
    await page.getByRole("menuitem", { name: "みぎへ", exact: true }).or(page.getByRole("menuitem", { name: "右へ", exact: true })).tap();
    assert.equal(await c.editor.inputValue(), "まえに　１００\n右へ　ここまで");
    assert.equal(await c.insertButton.getAttribute("aria-expanded"), "false");
    await c.insertButton.tap();
    await page.getByRole("menuitem", { name: "変数", exact: true }).tap();
    await page.getByRole("menuitem", { name: "変数３", exact: true }).tap();
    assert.equal(await c.editor.inputValue(), "まえに　１００\n右へ　変数３ここまで");
    await context.close();
  });
});
