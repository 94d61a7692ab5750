// 答え合わせ and the class report in the page: every pupil-like program of
// tests/exercises gets the verdict of verdicts.tsv beside the exercise list, on
// a drawing area of kurovel-run's default size (361x446, the size the verdicts
// were made on: whether a figure leaves the area depends on it); the exercise
// is picked with the caret, by keyboard and by touch; a class dropped or picked
// on the exercise tab gives kurovel-class's report, every drawing decoded, and
// its CSV byte for byte, while the page goes on answering.
import { test, before, after, describe } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { openSite, controls, texts, root, screenshotDir, classReportPath, canvasPixels, differences, runnerPixels, until,
         pngPixels }
  from "./harness.mjs";

const TEXTS = texts();
const DEFAULT_SIZE = { width: 361, height: 446 };
const EXERCISES = join(root, "tests/exercises");
let site;
before(async () => { site = await openSite(); });
after(async () => {
  await site?.close();
  assert.deepEqual(site?.pageErrors ?? [], [], "the page threw");
});

// verdicts.tsv: file, exercise, pass or fail, message.
const corpus = readFileSync(join(EXERCISES, "verdicts.tsv"), "utf8").split("\n")
  .filter((line) => line !== "" && !line.startsWith("#"))
  .map((line) => {
    const [file, exercise, verdict, message] = line.split("\t");
    return { file, exercise: Number(exercise), passed: verdict === "pass", message };
  });

// A program file's text as the editor shows it: the files are UTF-8 or Shift-JIS.
function programText(file) {
  const bytes = readFileSync(join(EXERCISES, file));
  try {
    return new TextDecoder("utf-8", { fatal: true }).decode(bytes);
  } catch {
    return new TextDecoder("shift_jis").decode(bytes);
  }
}

// A fresh page whose drawing area has kurovel-run's default size (the drawing
// area is sized by its style; the surface follows it, cleared).
async function pageOfDefaultSize(options) {
  const page = await site.newPage(options);
  // Set through the element's style: the page's policy refuses a style element.
  await page.evaluate(({ width, height }) => {
    Object.assign(document.getElementById("drawing-area").style, { flex: "none", width: `${width}px`, height: `${height}px` });
  }, DEFAULT_SIZE);
  await until(page, ({ width, height }) => {
    const canvas = document.getElementById("drawing-canvas");
    return canvas.width === width && canvas.height === height;
  }, DEFAULT_SIZE);
  return page;
}

// Runs the editor's program to its end; the box of an error or an unbalanced
// program is answered with OK.
async function runToEnd(page, program) {
  const c = controls(page);
  await c.editor.fill(program);
  await c.runButton.click();
  for (;;) {
    await until(page, () => document.querySelector("dialog[open]") || !document.getElementById("run-button").disabled,
                undefined, { timeout: 30_000 });
    if (await page.locator("dialog[open]").count() === 0) return;
    await c.boxButton("OK").click();
  }
}

function exerciseTab(page) {
  return {
    list: page.getByRole("textbox", { name: TEXTS.exerciseTab }),
    checkButton: page.getByRole("button", { name: TEXTS.checkAnswer, exact: true }),
    verdict: page.getByRole("status", { name: TEXTS.checkAnswer }),
    marked: page.locator(".exercise-marks .marked"),
    status: page.locator(".class-status"),
    async open() {
      await controls(page).helpButton.click();
      await page.getByRole("tab", { name: TEXTS.exerciseTab }).click();
    },
    // The caret put on a line of the list (from 0), as a click there puts it.
    async putCaretOn(line) {
      await this.list.evaluate((list, line) => {
        const at = list.value.split("\n").slice(0, line).join("\n").length + (line > 0 ? 1 : 0) + 1;
        list.focus();
        list.setSelectionRange(at, at);
      }, line);
    },
    // The marked line's text, once the caret's move has reached the marks.
    async markedLine(expected) {
      await until(page, (text) => document.querySelector(".exercise-marks .marked")?.textContent === text,
                  expected, { timeout: 5000 }).catch(() => undefined);
      return this.marked.textContent();
    },
    async check() {
      await this.checkButton.click();
      return this.verdict.textContent();
    },
  };
}

describe("答え合わせ", () => {
  test("every pupil-like program gets its verdict beside the list", async () => {
    // Each program in a page of its own, which starts from the start state as
    // kurovel-run does; a few pages at a time.
    const LANES = 2;
    const verdicts = [];
    let next = 0;
    await Promise.all(Array.from({ length: LANES }, async () => {
      for (let index = next++; index < corpus.length; index = next++) {
        const row = corpus[index];
        const page = await pageOfDefaultSize();
        await runToEnd(page, programText(row.file));
        const tab = exerciseTab(page);
        await tab.open();
        await tab.putCaretOn(row.exercise - 1);
        const message = await tab.check();
        const passed = await tab.verdict.evaluate((node) => node.classList.contains("passed"));
        verdicts[index] = { file: row.file, message, passed };
        await page.context().close();
      }
    }));
    assert.deepEqual(verdicts, corpus.map(({ file, message, passed }) => ({ file, message, passed })));
    for (let exercise = 1; exercise <= 9; exercise += 1) {
      const rows = corpus.filter((row) => row.exercise === exercise);
      const correct = rows.filter((row) => row.passed).length;
      assert.ok(correct >= 15 && rows.length - correct >= 15,
                `exercise ${exercise}: ${correct} correct, ${rows.length - correct} incorrect programs`);
    }
  });

  test("the caret picks the exercise by touch and by keyboard; a line without one asks for one", async () => {
    const context = await site.browser.newContext({ viewport: { width: 1280, height: 800 }, hasTouch: true,
                                                    serviceWorkers: "block" });
    const page = await pageOfDefaultSize({ context });
    await runToEnd(page, "repeat 6\nfd 60\nrt 60\nnext");
    const tab = exerciseTab(page);
    await tab.open();
    assert.equal(await tab.marked.count(), 0, "nothing is marked before the pupil picks a line");

    // Touch: a tap on the line of 課題５ marks it, a tap on the button checks.
    const box = await tab.list.boundingBox();
    const lineHeight = await tab.list.evaluate((list) => parseFloat(getComputedStyle(list).lineHeight));
    const top = await tab.list.evaluate((list) => list.clientTop + parseFloat(getComputedStyle(list).paddingTop));
    await page.touchscreen.tap(box.x + 30, box.y + top + lineHeight * 4.5);
    assert.equal(await tab.markedLine(TEXTS.exercises[4]), TEXTS.exercises[4]);
    await tab.checkButton.tap();
    assert.equal(await tab.verdict.textContent(), "できました！　正６角形です（１辺 60）");

    // Keyboard: the caret one line up marks 課題４; Tab, then Enter, checks it.
    await tab.list.focus();
    await page.keyboard.press("ArrowUp");
    assert.equal(await tab.markedLine(TEXTS.exercises[3]), TEXTS.exercises[3]);
    await page.keyboard.press("Tab");
    assert.equal(await tab.checkButton.evaluate((button) => button === document.activeElement), true);
    await page.keyboard.press("Enter");
    assert.equal(await tab.verdict.textContent(), "角が６つあります。正５角形の角は５つです");

    // A line the pupil typed names no exercise.
    await tab.list.focus();
    await page.keyboard.press("Control+End");
    await page.keyboard.type("\nメモ");
    assert.equal(await tab.markedLine("メモ"), "メモ");
    assert.equal(await tab.check(), "課題の行をクリックしてから、答え合わせをしてね");

    mkdirSync(screenshotDir, { recursive: true });
    await tab.putCaretOn(3);
    await tab.check();
    await page.locator(".help").screenshot({ path: join(screenshotDir, "help-exercises.png") });
    await context.close();
  });
});

// A class: the samples, figures made here, and programs that end in every way.
function writeClass(folder) {
  mkdirSync(folder);
  for (const name of readdirSync(join(root, "samples")).filter((name) => name.endsWith(".kv"))) {
    writeFileSync(join(folder, name), readFileSync(join(root, "samples", name)));
  }
  for (const sides of [3, 4, 5, 6, 8, 12]) {
    writeFileSync(join(folder, `generated-${sides}.kv`), `repeat ${sides}\nfd 60\nrt ${360 / sides}\nnext\n`);
  }
  writeFileSync(join(folder, "pentagon-written-out.kv"), "fd 80\nlt 72\nfd 80\nlt 72\nfd 80\nlt 72\nfd 80\nlt 72\nfd 80\n");
  writeFileSync(join(folder, "error.kv"), "fd 50\nrepeat abc\nfd 1\nnext\n");
  writeFileSync(join(folder, "unbalanced.KV"), "repeat 5\nfd 100\n");
  writeFileSync(join(folder, "endless.kv"), "repeat 2147483647\nfd 1\nrt 1\nnext\n");
  writeFileSync(join(folder, "no-program.kv"), Buffer.from([0x42, 0x4d, 0, 0, 0x36]));
  writeFileSync(join(folder, "empty.kv"), "");
  writeFileSync(join(folder, "notes.txt"), "repeat 4\nfd 10\nrt 90\nnext\n");
  mkdirSync(join(folder, "older"));
  writeFileSync(join(folder, "older", "old.kv"), "fd 10\n");
  return readdirSync(folder).filter((name) => /\.kv$/i.test(name)).length;
}

// What kurovel-class writes for the folder: { html, csv }.
function nativeReport(folder, work, exerciseArgs) {
  const html = join(work, "native.html");
  execFileSync(classReportPath, [...exerciseArgs, "--report", html, folder]);
  return { html: readFileSync(html, "utf8"), csv: readFileSync(join(work, "native.csv")) };
}

// The report's HTML with its pictures left out (the page's PNG encoder is the
// browser's, kurovel-class's is libpng).
const withoutPictures = (html) => html.replace(/data:image\/png;base64,[A-Za-z0-9+/=]*/g, "");

async function downloaded(page, linkName) {
  const [download] = await Promise.all([page.waitForEvent("download"),
                                        page.getByRole("link", { name: linkName, exact: true }).click()]);
  return { name: download.suggestedFilename(), bytes: Buffer.concat(await (await download.createReadStream()).toArray()) };
}

// The drawings of the report in the page: how many, and how many decoded at the surface's size.
const reportDrawings = (page) => page.frameLocator("dialog.class-report iframe").locator("body").evaluate(async (body) => {
  const images = [...body.querySelectorAll("img")];
  await Promise.all(images.map((image) => image.decode().catch(() => undefined)));
  return { images: images.length,
           decoded: images.filter((image) => image.complete && image.naturalWidth === 361 && image.naturalHeight === 446).length };
});

// RGBA of the drawing in the report's row of a file (a PNG in a data: address).
async function reportPixels(page, fileName) {
  const row = page.frameLocator("dialog.class-report iframe").locator("tr", { hasText: fileName });
  const source = await row.locator("img").getAttribute("src");
  return pngPixels(page, Buffer.from(source.slice(source.indexOf(",") + 1), "base64"));
}

describe("the class report", () => {
  test("a folder picked on the exercise tab gives kurovel-class's report, every drawing decoded, and its CSV", async () => {
    const work = mkdtempSync(join(tmpdir(), "kurovel-class-page-"));
    try {
      const folder = join(work, "5-1");
      const programs = writeClass(folder);
      const page = await site.newPage();
      const tab = exerciseTab(page);
      await tab.open();
      await tab.putCaretOn(3);  // 課題４ 正５角形
      assert.equal(await tab.markedLine(TEXTS.exercises[3]), TEXTS.exercises[3]);
      assert.match(await tab.status.textContent(), /課題４　正５角形を描く で答え合わせ/);
      const [chooser] = await Promise.all([page.waitForEvent("filechooser"),
                                           page.getByRole("button", { name: "フォルダーを選ぶ…" }).click()]);
      await chooser.setFiles(folder);
      const report = page.locator("dialog.class-report[open]");
      await report.waitFor({ timeout: 60000 });
      assert.equal(await report.getAttribute("aria-label"), "5-1 のまとめ");

      const native = nativeReport(folder, work, ["--check", "4"]);
      // Every program that ran has its drawing; the one that is no program has none.
      assert.deepEqual(await reportDrawings(page), { images: programs - 1, decoded: programs - 1 });
      const csv = await downloaded(page, "CSV を保存");
      assert.equal(csv.name, "5-1.csv");
      assert.deepEqual(csv.bytes.toString(), native.csv.toString());
      const csvRows = csv.bytes.toString().split("\r\n").filter((row) => row !== "");
      assert.equal(csvRows.length, programs + 1, "a heading and a row per program");
      const html = await downloaded(page, "HTML を保存");
      assert.equal(html.name, "5-1.html");
      assert.equal(withoutPictures(html.bytes.toString()), withoutPictures(native.html));
      assert.equal(await tab.status.textContent(), /<p class="summary">([^<]*)</.exec(native.html)[1]);

      // A click on a drawing enlarges it, as in the report's own file.
      const drawing = page.frameLocator("dialog.class-report iframe").locator("label.drawing img").first();
      const before = (await drawing.boundingBox()).width;
      await drawing.click();
      assert.ok((await drawing.boundingBox()).width > before * 2);
      await drawing.click();
      assert.equal((await drawing.boundingBox()).width, before);

      mkdirSync(screenshotDir, { recursive: true });
      await page.screenshot({ path: join(screenshotDir, "class-report.png") });
      await page.getByRole("button", { name: "閉じる", exact: true }).click();
      assert.equal(await report.count(), 0);
      await page.context().close();
    } finally {
      rmSync(work, { recursive: true, force: true });
    }
  });

  test("files dropped on the exercise tab render in a fresh session each, while the page goes on answering", async () => {
    const page = await site.newPage();
    const c = controls(page);
    await c.commandBox.fill("pd 3");
    await c.commandBox.press("Enter");
    const tab = exerciseTab(page);
    await tab.open();
    // Loops without a command end at the time limit only: the worker is busy for seconds.
    const files = [
      { name: "a.kv", text: "repeat 4\nfd 100\nrt 90\nnext\n" },
      { name: "idle-1.kv", text: "repeat 2147483647\nrepeat 2147483647\nnext\nnext\n" },
      { name: "idle-2.kv", text: "repeat 2147483647\nrepeat 2147483647\nnext\nnext\n" },
      { name: "notes.txt", text: "fd 10" },
    ];
    const drawingBefore = await canvasPixels(page);
    await page.locator(".exercise-page").evaluate((target, files) => {
      const data = new DataTransfer();
      for (const { name, text } of files) data.items.add(new File([text], name));
      target.dispatchEvent(new DragEvent("drop", { dataTransfer: data, bubbles: true, cancelable: true }));
    }, files);
    await until(page, () => /まとめています/.test(document.querySelector(".class-status").textContent));
    // The pupil's window answers meanwhile, and its drawing is its own.
    await c.commandBox.fill("fd 40");
    await c.commandBox.press("Enter");
    await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
    assert.match(await tab.status.textContent(), /まとめています… [0-3] \/ 3/, "the class is still rendering");
    assert.notDeepEqual(differences(await canvasPixels(page), drawingBefore), [], "the typed line drew");
    assert.equal(await page.title(), TEXTS.titleText, "no dropped file was opened as the program");

    const report = page.locator("dialog.class-report[open]");
    await report.waitFor({ timeout: 60000 });
    assert.equal(await report.getAttribute("aria-label"), "クラス のまとめ");
    const csv = (await downloaded(page, "CSV を保存")).bytes.toString();
    // Without a marked exercise nothing is checked.
    assert.deepEqual(csv.split("\r\n").filter((row) => row !== ""), [
      "\uFEFF\"ファイル\",\"実行\",\"実行の詳細\",\"命令の数\"",
      "\"idle-1.kv\",\"制限で停止\",\"時間切れ（2 秒）\",\"0\"",
      "\"idle-2.kv\",\"制限で停止\",\"時間切れ（2 秒）\",\"0\"",
      "\"a.kv\",\"最後まで実行\",\"\",\"8\"",
    ]);
    assert.deepEqual(await reportDrawings(page), { images: 3, decoded: 3 });
    // a.kv drew from the start state (pen width 1), not from the pupil's (3).
    assert.deepEqual(differences(await reportPixels(page, "a.kv"), runnerPixels(files[0].text, DEFAULT_SIZE)), []);
    await page.keyboard.press("Escape");
    assert.equal(await report.count(), 0);
    await page.context().close();
  });
});
