// The page in headless Chromium: drawing, running, stopping, files, help, the
// kept draft and the insertion menu, checked against the desktop's texts and
// the drawings of kurovel-run.
import { test, before, after, describe } from "node:test";
import assert from "node:assert/strict";
import { mkdirSync } from "node:fs";
import { join } from "node:path";
import { openSite, canvasPixels, runnerPixels, differences, texts, screenshotDir } from "./harness.mjs";

const TEXTS = texts();
let site;
before(async () => { site = await openSite(); });
after(async () => {
  await site?.close();
  assert.deepEqual(site?.pageErrors ?? [], [], "the page threw");
});

// The open box's caption and text, once it is there.
async function boxText(page) {
  const box = page.locator("dialog.box[open]");
  await box.waitFor();
  return { caption: await box.locator(".box-caption").textContent(), text: await box.locator(".box-text").textContent() };
}

async function assertCanvasMatchesRunner(page, program, lines) {
  const actual = await canvasPixels(page);
  const expected = runnerPixels(program, { width: actual.width, height: actual.height, lines });
  assert.deepEqual(differences(actual, expected), []);
}

const waitForPaint = (page) => page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));

describe("drawing", () => {
  const cases = [
    { name: "one command line", lines: ["まえに　１００"], viaCommandBox: true },
    { name: "lines with colour, turn and an error line", lines: ["pd 2", "rt 90", "fd 50", "div var1 0", "lt 45 fd 30"], viaCommandBox: true },
    { name: "a nested program", lines: ["くりかえし　４", "　くりかえし　３６", "　　まえに　５", "　　みぎに　１０", "　ここまで", "　みぎへ　９０", "ここまで"], viaCommandBox: false },
  ];
  for (const { name, lines, viaCommandBox } of cases) {
    test(`${name} draws what kurovel-run draws`, async () => {
      const page = await site.newPage();
      if (viaCommandBox) {
        for (const line of lines) {
          await page.fill("#Edit1", line);
          await page.press("#Edit1", "Enter");
          if (line.startsWith("div")) {
            assert.deepEqual(await boxText(page), { caption: TEXTS.applicationTitle, text: "0 による浮動小数点数除算." });
            await page.click("dialog.box[open] button");
          }
        }
        assert.equal(await page.inputValue("#Edit1"), lines.at(-1), "the line stays in the box");
      } else {
        await page.fill("#Memo1", lines.join("\n"));
        await page.click("#Button6");
        await page.waitForSelector("#Button6:enabled");
      }
      await waitForPaint(page);
      await assertCanvasMatchesRunner(page, lines.join("\n") + "\n", viaCommandBox);
      await page.context().close();
    });
  }

  test("Enter that confirms an input method's composition runs nothing", async () => {
    const page = await site.newPage();
    await page.fill("#Edit1", "fd 100");
    await waitForPaint(page);
    const before = await canvasPixels(page);
    await page.evaluate(() => {
      const box = document.getElementById("Edit1");
      box.dispatchEvent(new KeyboardEvent("keydown", { key: "Enter", isComposing: true, bubbles: true }));
      box.dispatchEvent(new KeyboardEvent("keydown", { key: "Process", keyCode: 229, bubbles: true }));
    });
    await waitForPaint(page);
    assert.deepEqual(differences(await canvasPixels(page), before), []);
    await page.context().close();
  });

  test("an unbalanced program gives the warning and draws nothing", async () => {
    const page = await site.newPage();
    await page.fill("#Memo1", "repeat 2\nfd 10");
    await page.click("#Button6");
    assert.deepEqual(await boxText(page), { caption: TEXTS.runWarningCaption, text: "繰り返しの対(RepeatとNextの数)が一致していません" });
    await page.keyboard.press("Escape");
    await page.context().close();
  });
});

describe("stopping a long run", () => {
  test("Run is disabled and Stop enabled during the run; Stop answers within 100 ms", async () => {
    const page = await site.newPage();
    await page.fill("#Memo1", "repeat 100000000\nfd 1\nrt 1\nnext");
    await page.click("#Button6");
    assert.equal(await page.isDisabled("#Button6"), true);
    assert.equal(await page.isEnabled("#Button7"), true);
    await page.waitForTimeout(300);
    await page.evaluate(() => {
      document.getElementById("Button7").addEventListener("click", (event) => {
        window.stopLatency = performance.now() - event.timeStamp;
      }, { once: true });
    });
    const started = Date.now();
    await page.click("#Button7");
    await page.waitForSelector("#Button6:enabled", { timeout: 2000 });
    const latency = await page.evaluate(() => window.stopLatency);
    assert.ok(latency < 100, `the click waited ${latency} ms`);
    assert.ok(Date.now() - started < 1000, "the run ended soon after Stop");
    assert.equal(await page.isDisabled("#Button7"), true);
    await page.context().close();
  });
});

describe("program files", () => {
  // "まえに　１００" CR LF "rt 90" in Shift-JIS.
  const sjis = Buffer.from([0x82, 0xDC, 0x82, 0xA6, 0x82, 0xC9, 0x81, 0x40, 0x82, 0x50, 0x82, 0x4F, 0x82, 0x4F,
                            0x0D, 0x0A, 0x72, 0x74, 0x20, 0x39, 0x30]);

  test("open a Shift-JIS file and save it back byte for byte", async () => {
    const page = await site.newPage();
    const [chooser] = await Promise.all([page.waitForEvent("filechooser"), page.click("#Button2")]);
    await chooser.setFiles({ name: "square.kv", mimeType: "text/plain", buffer: sjis });
    await page.waitForFunction(() => document.getElementById("Memo1").value !== "");
    assert.equal(await page.inputValue("#Memo1"), "まえに　１００\nrt 90");
    assert.equal(await page.title(), `${TEXTS.titleText} square.kv`);

    await page.click("#Button3");
    const box = page.locator("dialog.box[open]");
    assert.equal(await box.locator("input").inputValue(), "square.kv", "the dialog offers the current name");
    await box.locator("input").fill("copy");
    const [download] = await Promise.all([page.waitForEvent("download"), box.locator("button", { hasText: "保存" }).click()]);
    assert.equal(download.suggestedFilename(), "copy.kv");
    const saved = Buffer.concat(await (await download.createReadStream()).toArray());
    assert.deepEqual(saved, sjis);
    assert.equal(await page.title(), `${TEXTS.titleText} copy.kv`);
    await page.context().close();
  });

  test("open after a change asks first; Cancel keeps the change", async () => {
    const page = await site.newPage();
    await page.fill("#Memo1", "fd 10");
    await page.click("#Button2");
    assert.deepEqual(await boxText(page), { caption: TEXTS.warningCaption, text: TEXTS.warningDiscard });
    await page.click("dialog.box[open] button:has-text('キャンセル')");
    assert.equal(await page.inputValue("#Memo1"), "fd 10");
    await page.context().close();
  });

  test("drops: several files give the notice, a program asks first when the editor is changed", async () => {
    const page = await site.newPage();
    const drop = (names) => page.evaluate((names) => {
      const data = new DataTransfer();
      for (const name of names) data.items.add(new File(["fd 5"], name, { type: "text/plain" }));
      const event = new DragEvent("drop", { dataTransfer: data, bubbles: true, cancelable: true });
      document.getElementById("PaintBox1").dispatchEvent(event);
    }, names);
    const answer = (caption) => page.click(`dialog.box[open] button:has-text('${caption}')`);

    await drop(["a.kv", "b.kv"]);
    assert.deepEqual(await boxText(page), { caption: TEXTS.applicationTitle, text: TEXTS.dropOneFile });
    await answer("OK");
    await page.fill("#Memo1", "fd 10");
    await drop(["a.kv"]);
    assert.deepEqual(await boxText(page), { caption: TEXTS.warningCaption, text: TEXTS.warningDiscard });
    await answer("キャンセル");
    assert.equal(await page.inputValue("#Memo1"), "fd 10");
    await drop(["notes.txt"]);  // not a program: ignored, no box
    await drop(["A.KV"]);
    await answer("OK");
    await page.waitForFunction(() => document.getElementById("Memo1").value === "fd 5");
    assert.equal(await page.title(), `${TEXTS.titleText} A.KV`);
    await page.context().close();
  });

  test("a character without a Shift-JIS form is refused and nothing is downloaded", async () => {
    const page = await site.newPage();
    await page.fill("#Memo1", "fd 10\n😀");
    await page.click("#Button3");
    await page.locator("dialog.box[open] input").fill("x");
    let downloaded = false;
    page.on("download", () => { downloaded = true; });
    await page.click("dialog.box[open] button:has-text('保存')");
    const { caption } = await boxText(page);
    assert.equal(caption, TEXTS.applicationTitle);
    await page.click("dialog.box[open] button");
    assert.equal(downloaded, false);
    assert.equal(await page.title(), TEXTS.titleText);
    await page.context().close();
  });
});

describe("pictures", () => {
  test("a file that is no bitmap is refused and the drawing stays", async () => {
    const page = await site.newPage();
    await page.fill("#Edit1", "fd 80");
    await page.press("#Edit1", "Enter");
    await waitForPaint(page);
    const before = await canvasPixels(page);
    await page.click("#file1");
    const [chooser] = await Promise.all([page.waitForEvent("filechooser"), page.click("#N15")]);
    await chooser.setFiles({ name: "bad.bmp", mimeType: "image/bmp", buffer: Buffer.from("BM not a bitmap") });
    assert.deepEqual(await boxText(page), { caption: TEXTS.applicationTitle, text: "ビットマップイメージが不正です." });
    await page.click("dialog.box[open] button");
    await waitForPaint(page);
    assert.deepEqual(differences(await canvasPixels(page), before), []);
    await page.context().close();
  });

  test("save picture downloads a BMP 10 pixels narrower than the surface", async () => {
    const page = await site.newPage();
    const { width, height } = await page.evaluate(() => ({ width: document.getElementById("PaintBox1").width,
                                                           height: document.getElementById("PaintBox1").height }));
    await page.click("#file1");
    await page.click("#N2");
    await page.locator("dialog.box[open] input").fill("work");
    const [download] = await Promise.all([page.waitForEvent("download"), page.click("dialog.box[open] button:has-text('保存')")]);
    assert.equal(download.suggestedFilename(), "work.bmp");
    const bmp = Buffer.concat(await (await download.createReadStream()).toArray());
    assert.equal(bmp.toString("latin1", 0, 2), "BM");
    assert.deepEqual([bmp.readInt32LE(18), bmp.readInt32LE(22)], [width - 10, height]);
    await page.context().close();
  });
});

describe("help window and insertion menu", () => {
  test("four tabs with the desktop's texts; the last tab stays selected", async () => {
    const page = await site.newPage();
    await page.click("#Button5");
    const tabs = page.locator(".help [role=tab]");
    assert.deepEqual(await tabs.allTextContents(),
                     [TEXTS.versionTab, TEXTS.commandListTab, TEXTS.exerciseTab, TEXTS.sampleProgramTab]);
    const pages = [[1, TEXTS.commandList], [2, TEXTS.exercises], [3, TEXTS.samplePrograms]];
    for (const [index, lines] of pages) {
      await tabs.nth(index).click();
      assert.equal(await page.locator(`#help-page-${index} textarea`).inputValue(), lines.join("\n"));
    }
    await tabs.nth(0).click();
    assert.equal(await page.locator("#help-page-0 textarea").inputValue(), TEXTS.versionNote.join("\n"));
    await tabs.nth(2).click();
    await page.click(".help-caption button");
    assert.equal(await page.isHidden(".help"), true);
    await page.click("#K4");
    await page.click("#K5");
    assert.equal(await tabs.nth(2).getAttribute("aria-selected"), "true");
    await page.context().close();
  });

  test("the right-click menu inserts its words at the caret", async () => {
    const page = await site.newPage();
    const steps = [["N9", null, "くりかえし　"], [null, "３６\n", "くりかえし　３６\n"], ["N3", null, "くりかえし　３６\n前へ　"],
                   ["N16", "N24", "くりかえし　３６\n前へ　変数８"]];
    await page.click("#Memo1");
    for (const [item, then, expected] of steps) {
      if (item) {
        await page.click("#Memo1", { button: "right" });
        await page.click(`#PopupMenu1 [data-name=${item}]`);
        if (then) await page.click(`#PopupMenu1 [data-name=${then}]`);
      } else {
        await page.keyboard.type(then);
      }
      assert.equal(await page.inputValue("#Memo1"), expected);
    }
    await page.context().close();
  });
});

describe("touch", () => {
  test("a long press in the editor opens the insertion menu; a short one does not", async () => {
    const context = await site.browser.newContext({ viewport: { width: 820, height: 1180 }, hasTouch: true,
                                                    serviceWorkers: "block" });
    const page = await site.newPage({ context });
    const press = (ms) => page.evaluate((hold) => new Promise((done) => {
      const editor = document.getElementById("Memo1");
      const at = { pointerType: "touch", clientX: 100, clientY: 200, bubbles: true, pointerId: 7 };
      editor.dispatchEvent(new PointerEvent("pointerdown", at));
      setTimeout(() => {
        editor.dispatchEvent(new PointerEvent("pointerup", at));
        done(!document.getElementById("PopupMenu1").hidden);
      }, hold);
    }), ms);
    assert.equal(await press(150), false);
    assert.equal(await press(800), true);
    await page.click("#PopupMenu1 [data-name=N11]");
    assert.equal(await page.inputValue("#Memo1"), "けす");
    await context.close();
  });
});

describe("nothing lost", () => {
  test("a reload restores the editor and says it is unsaved; leaving asks first", async () => {
    const page = await site.newPage();
    await page.fill("#Memo1", "くりかえし　４\nまえに　５０\nここまで");
    await page.reload();
    await page.waitForSelector("body[data-ready]");
    assert.equal(await page.inputValue("#Memo1"), "くりかえし　４\nまえに　５０\nここまで");
    assert.equal(await page.title(), `${TEXTS.titleText} （未保存）`);
    let asked = false;
    page.on("dialog", (dialog) => { asked = dialog.type() === "beforeunload"; dialog.dismiss(); });
    await page.close({ runBeforeUnload: true });
    await new Promise((done) => setTimeout(done, 300));
    assert.equal(asked, true);
    await page.context().close();
  });
});

describe("screenshots", () => {
  const sizes = [["desktop", { width: 1280, height: 800 }], ["tablet", { width: 820, height: 1180 }]];
  for (const [name, viewport] of sizes) {
    test(`${name} ${viewport.width}x${viewport.height}`, async () => {
      mkdirSync(screenshotDir, { recursive: true });
      const page = await site.newPage({ viewport });
      await page.fill("#Memo1", TEXTS.samplePrograms.slice(2, 6).join("\n"));
      await page.click("#Button6");
      await page.waitForSelector("#Button6:enabled");
      await page.click("#Button5");
      await page.click(".help [role=tab] >> nth=1");
      await waitForPaint(page);
      await page.screenshot({ path: join(screenshotDir, `page-${name}.png`) });
      await page.click("#Memo1", { button: "right" });
      await page.hover("#PopupMenu1 [data-name=N16]");
      await page.screenshot({ path: join(screenshotDir, `menu-${name}.png`) });
      await page.context().close();
    });
  }
});

describe("offline", () => {
  test("once opened, the page loads and draws without network", async () => {
    const page = await site.newPage({ serviceWorkers: "allow" });
    await page.evaluate(async () => {
      await navigator.serviceWorker.ready;
      if (!navigator.serviceWorker.controller) {
        await new Promise((done) => navigator.serviceWorker.addEventListener("controllerchange", done, { once: true }));
      }
    });
    await page.context().setOffline(true);
    await page.reload();
    await page.waitForSelector("body[data-ready]");
    await page.fill("#Edit1", "まえに　１００");
    await page.press("#Edit1", "Enter");
    await waitForPaint(page);
    await assertCanvasMatchesRunner(page, "まえに　１００\n", true);
    await page.context().close();
  });
});

describe("sharp pixels", () => {
  test("at device pixel ratio 2 a line is two device pixels of pure blue, no blended colour", async () => {
    const context = await site.browser.newContext({ viewport: { width: 1280, height: 800 }, deviceScaleFactor: 2,
                                                    serviceWorkers: "block" });
    const page = await site.newPage({ context });
    await page.fill("#Edit1", "fd 150");
    await page.press("#Edit1", "Enter");
    await waitForPaint(page);
    const box = await page.locator("#PaintBox1").boundingBox();
    // A band across the line, away from the arrow: every pixel white or the pen's blue.
    const png = await page.screenshot({ clip: { x: box.x + box.width / 2 - 10, y: box.y + box.height / 2 - 60,
                                                width: 20, height: 40 } });
    const colours = await page.evaluate(async (base64) => {
      const image = await createImageBitmap(await (await fetch(`data:image/png;base64,${base64}`)).blob());
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context2d = canvas.getContext("2d");
      context2d.drawImage(image, 0, 0);
      const data = context2d.getImageData(0, 0, image.width, image.height).data;
      const found = new Set();
      for (let i = 0; i < data.length; i += 4) found.add(`${data[i]},${data[i + 1]},${data[i + 2]}`);
      return [...found].sort();
    }, png.toString("base64"));
    assert.deepEqual(colours, ["0,0,255", "255,255,255"]);
    await context.close();
  });
});
