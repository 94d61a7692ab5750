// Serves the built site on a free local port (web/serve.mjs, as `./dev web` does)
// and opens it in the system's headless Chromium (no browser download).
import { execFileSync } from "node:child_process";
import { mkdtempSync, rmSync, existsSync, readFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve, dirname } from "node:path";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";
import { serveSite } from "../../serve.mjs";

export const root = resolve(dirname(fileURLToPath(import.meta.url)), "../../..");
export const siteDir = process.env.KUROVEL_SITE ?? join(root, "build-web/site");
export const runnerPath = process.env.KUROVEL_RUN ?? join(root, "build/app/kurovel-run");
export const classReportPath = process.env.KUROVEL_CLASS ?? join(root, "build/app/kurovel-class");
export const screenshotDir = join(root, "out/web");

const CHROMIUM_ARGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
  "--disable-background-networking", "--disable-component-update", "--disable-sync",
  "--disable-dev-shm-usage"];  // small /dev/shm in containers

function startServer(directory) {
  if (!existsSync(join(directory, "index.html")) || !existsSync(join(directory, "kurovel.wasm"))) {
    throw new Error(`no built site in ${directory}: run web/build.sh first`);
  }
  return serveSite(directory);
}

// { browser, baseUrl, newPage(options), close() }; directory: what is served (the
// files are read at each request, so a test may replace them).
export async function openSite({ directory = siteDir } = {}) {
  // Playwright gives every launch a fresh profile folder of its own.
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
                                          args: CHROMIUM_ARGS });
  const server = await startServer(directory).catch(async (error) => {
    await browser.close();
    throw error;
  });
  const baseUrl = `http://127.0.0.1:${server.port}/`;
  const pageErrors = [];
  return {
    browser,
    baseUrl,
    pageErrors,
    // A fresh context (own storage); the browser's file pickers are hidden so the
    // page takes its download path, which a test can observe. With ready false
    // the page is returned as soon as it has loaded, started or not, and errors
    // it throws are not collected.
    // url: where the page starts (a share link, say), the site's address by default.
    async newPage({ viewport = { width: 1280, height: 800 }, serviceWorkers = "block", context = null,
                    ready = true, url = baseUrl } = {}) {
      const ctx = context ?? await browser.newContext({ viewport, serviceWorkers, acceptDownloads: true });
      await ctx.addInitScript(() => {
        delete window.showOpenFilePicker;
        delete window.showSaveFilePicker;
      });
      const page = await ctx.newPage();
      if (!ready) return page;
      page.on("pageerror", (error) => pageErrors.push(error.message));
      await page.goto(url);
      await page.waitForSelector("body[data-ready]");
      return page;
    },
    // A context as a tablet or phone has it: touch, a coarse pointer, two device
    // pixels to a CSS pixel.
    touchContext: (viewport) => browser.newContext({ viewport, hasTouch: true, isMobile: true, deviceScaleFactor: 2,
                                                      serviceWorkers: "block", acceptDownloads: true }),
    async close() {
      await browser.close();
      await server.close();
    },
  };
}

// Resolves once condition(arg), run in the page, holds. (Playwright's waitForFunction
// compiles its predicate with eval in the page, which the page's
// Content-Security-Policy refuses.)
export async function until(page, condition, arg, { timeout = 10_000 } = {}) {
  for (const deadline = Date.now() + timeout; ;) {
    if (await page.evaluate(condition, arg)) return;
    if (Date.now() > deadline) throw new Error(`waited ${timeout} ms for ${condition}`);
    await new Promise((resume) => setTimeout(resume, 20));
  }
}

// The page's controls, found by their accessible names.
export function controls(page) {
  const button = (name) => page.getByRole("button", { name, exact: true });
  return {
    commandBox: page.getByRole("textbox", { name: "１行コマンド" }),
    editor: page.getByRole("textbox", { name: "プログラム" }),
    canvas: page.getByRole("img", { name: "描画エリア" }),
    runButton: button("実行"),
    stopButton: button("中断"),
    clearButton: button("画面消去"),
    openButton: button("呼出"),
    quitButton: button("終了"),
    helpButton: button("使い方"),
    saveButton: button("保存"),
    insertButton: button("挿入"),
    // A menu of the menu bar ("ファイル", "ヘルプ", "速度") and one of its items.
    async chooseMenu(menu, item) {
      await page.getByRole("menuitem", { name: menu, exact: true }).click();
      await page.getByRole("menuitem", { name: item, exact: true })
        .or(page.getByRole("menuitemradio", { name: item, exact: true })).click();
    },
    boxButton: (name) => page.locator("dialog[open]").getByRole("button", { name, exact: true }),
    // Resolves once the control can be pressed.
    enabled: (control) => control.and(page.locator(":enabled")).waitFor(),
  };
}

// RGBA of the canvas.
export async function canvasPixels(page) {
  // Base64 crosses to node far faster than an array of millions of numbers.
  const { width, height, base64 } = await controls(page).canvas.evaluate((canvas) => {
    const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    let binary = "";
    for (let i = 0; i < data.length; i += 0x8000) binary += String.fromCharCode(...data.subarray(i, i + 0x8000));
    return { width: canvas.width, height: canvas.height, base64: btoa(binary) };
  });
  return { width, height, rgba: Buffer.from(base64, "base64") };
}

// RGBA of a PNG's bytes, decoded by the page's browser from the bytes themselves: the
// page's Content-Security-Policy lets it fetch no data: address.
export async function pngPixels(page, png) {
  const { width, height, base64 } = await page.evaluate(async (base64) => {
    const bytes = Uint8Array.from(atob(base64), (character) => character.charCodeAt(0));
    const image = await createImageBitmap(new Blob([bytes], { type: "image/png" }));
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext("2d");
    context.drawImage(image, 0, 0);
    const data = context.getImageData(0, 0, image.width, image.height).data;
    let binary = "";
    for (let i = 0; i < data.length; i += 0x8000) binary += String.fromCharCode(...data.subarray(i, i + 0x8000));
    return { width: image.width, height: image.height, base64: btoa(binary) };
  }, Buffer.from(png).toString("base64"));
  return { width, height, rgba: Buffer.from(base64, "base64") };
}

// What kurovel-run draws for the same program on a surface of that size, as RGBA.
export function runnerPixels(program, { width, height, lines = false }) {
  const work = mkdtempSync(join(tmpdir(), "kurovel-run-"));
  try {
    const bmp = join(work, "out.bmp");
    const args = ["--size", `${width}x${height}`, "--bmp", bmp, ...(lines ? ["--lines"] : []), "-"];
    try {
      execFileSync(runnerPath, args, { input: program });
    } catch (error) {
      if (error.status !== 1) throw error;  // 1: an error ended a line, as in the page
    }
    return bmpToRgba(readFileSync(bmp));
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
}

// The messages kurovel-run reports for the same program (or lines).
export function runnerMessages(program, { lines = false } = {}) {
  const work = mkdtempSync(join(tmpdir(), "kurovel-run-"));
  try {
    const state = join(work, "state.json");
    try {
      execFileSync(runnerPath, ["--state", state, ...(lines ? ["--lines"] : []), "-"], { input: program });
    } catch (error) {
      if (error.status !== 1) throw error;  // 1: an error ended a line or the run
    }
    return JSON.parse(readFileSync(state, "utf8")).messages;
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
}

// A 24-bit bottom-up BMP as top-down RGBA.
function bmpToRgba(file) {
  const offset = file.readUInt32LE(10);
  const width = file.readInt32LE(18);
  const height = file.readInt32LE(22);
  const stride = Math.ceil((width * 3) / 4) * 4;
  const rgba = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; y++) {
    const row = offset + (height - 1 - y) * stride;
    for (let x = 0; x < width; x++) {
      const at = (y * width + x) * 4;
      rgba[at] = file[row + x * 3 + 2];
      rgba[at + 1] = file[row + x * 3 + 1];
      rgba[at + 2] = file[row + x * 3];
      rgba[at + 3] = 255;
    }
  }
  return { width, height, rgba };
}

// The first pixels where two pictures differ (at most a few), for the message.
export function differences(actual, expected, limit = 5) {
  const found = [];
  if (actual.width !== expected.width || actual.height !== expected.height) {
    return [`size ${actual.width}x${actual.height} against ${expected.width}x${expected.height}`];
  }
  for (let i = 0; i < actual.rgba.length && found.length < limit; i += 4) {
    if (actual.rgba[i] !== expected.rgba[i] || actual.rgba[i + 1] !== expected.rgba[i + 1] ||
        actual.rgba[i + 2] !== expected.rgba[i + 2]) {
      const pixel = i / 4;
      found.push(`(${pixel % actual.width}, ${Math.floor(pixel / actual.width)}): ` +
                 `${[...actual.rgba.subarray(i, i + 3)]} against ${[...expected.rgba.subarray(i, i + 3)]}`);
    }
  }
  return found;
}

export const texts = () => JSON.parse(readFileSync(join(siteDir, "texts.json"), "utf8"));

// The drafts kept in the page's IndexedDB (web/page/js/draft_store.js): how many
// there are, and whether this tab's holds what its editor shows.
const readDrafts = (page) => page.evaluate(async () => {
  // Opening a database that does not exist would create it empty.
  if (!(await indexedDB.databases()).some(({ name }) => name === "kurovel-drafts")) return { count: 0, own: false };
  const db = await new Promise((resolve, reject) => {
    const request = indexedDB.open("kurovel-drafts");
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
  const read = (request) => new Promise((resolve, reject) => {
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
  try {
    const texts = db.transaction("texts").objectStore("texts");
    const own = await read(texts.get(sessionStorage.getItem("kurovel.tab") ?? ""));
    return { count: await read(texts.count()), own: own?.text === document.getElementById("program-editor").value };
  } finally {
    db.close();
  }
});

// Polls readDrafts until done(drafts) holds, at most `seconds` (the page writes its
// draft a moment after each change); the drafts last read.
async function draftsWhen(page, done, seconds) {
  for (const deadline = Date.now() + seconds * 1000; ;) {
    const drafts = await readDrafts(page);
    if (done(drafts) || Date.now() > deadline) return drafts;
    await new Promise((resume) => setTimeout(resume, 50));
  }
}

// Whether the tab's draft came to hold what its editor shows.
export const draftKept = async (page, seconds = 10) => (await draftsWhen(page, ({ own }) => own, seconds)).own;
// How many drafts are kept once there are no more than `expected` (or the time is up).
export const draftsLeft = async (page, expected, seconds = 10) =>
  (await draftsWhen(page, ({ count }) => count <= expected, seconds)).count;
