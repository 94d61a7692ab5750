// The page in WebKit: WebKitGTK's MiniBrowser driven by WebKitWebDriver (Debian's
// webkit2gtk-driver), on the built site served by web/serve.mjs. It needs an X
// display; web/tests/webkit/run.sh gives it a virtual one of its own.
// Each page is a browser session of its own: a fresh browser, fresh storage.
// Downloads go to a folder of the run's own (downloadDir), through a home folder
// that the browser is given.
import { existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { serveSite } from "../../serve.mjs";
import { siteDir } from "../browser/harness.mjs";
import { Keys, Session, startDriver } from "./webdriver.mjs";

const MINIBROWSER = process.env.KUROVEL_MINIBROWSER ?? "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser";
const WAIT_MS = 10_000;
const POLL_MS = 50;

export const pause = (ms) => new Promise((resume) => setTimeout(resume, ms));

// Polls check() until it gives something other than undefined or false; that
// value, or undefined once `ms` have passed.
export async function until(check, ms = WAIT_MS) {
  for (const deadline = Date.now() + ms; ;) {
    const value = await check();
    if (value !== undefined && value !== false) return value;
    if (Date.now() > deadline) return undefined;
    await pause(POLL_MS);
  }
}

// Which elements can have a role, by role: the candidates whose accessible role
// and name the browser is then asked for.
const ROLE_CANDIDATES = {
  button: "button, [role=button]",
  textbox: "input:not([type]), input[type=text], textarea, [role=textbox]",
  menuitem: "[role=menuitem]",
  tab: "[role=tab]",
  img: "canvas, img, [role=img]",
  dialog: "dialog, [role=dialog]",
};

// One page in its own browser: the WebDriver session with the helpers the tests use.
class WebKitPage {
  constructor(session, baseUrl) {
    this.session = session;
    this.baseUrl = baseUrl;
  }

  async open(url = this.baseUrl) {
    await this.session.navigate(url);
    await this.whenReady();
  }

  // Waits until the page has started (after a navigation or a reload).
  async whenReady() {
    const state = await until(() => this.session.execute(
      "return document.body?.dataset.ready ? 'ready' : document.body?.dataset.failed ? 'failed' : false;"));
    if (state !== "ready") {
      throw new Error(`the page did not start (${state ?? "timed out"}): ` +
                      await this.session.execute("return document.getElementById('status-line')?.textContent;"));
    }
  }

  // The shown element of that role with that accessible name, as the browser
  // computes them; within a CSS scope when given. null when there is none.
  async byRole(role, name, { scope = "", all = false } = {}) {
    const found = [];
    const selector = ROLE_CANDIDATES[role].split(",").map((part) => `${scope} ${part}`.trim()).join(",");
    for (const element of await this.session.findAll(selector)) {
      try {
        if (await element.role() !== role || await element.label() !== name || !await element.displayed()) continue;
      } catch {
        continue;  // gone meanwhile
      }
      if (!all) return element;
      found.push(element);
    }
    return all ? found : null;
  }

  async button(name, options) { return this.byRole("button", name, options); }
  // A button of the open box.
  boxButton(name) { return this.byRole("button", name, { scope: "dialog[open]" }); }
  async chooseMenu(menu, item) {
    await (await this.byRole("menuitem", menu)).click();
    await (await until(() => this.byRole("menuitem", item))).click();
  }

  // Types into a text field: its text replaced, line breaks typed as Enter.
  async fill(element, text) {
    await element.clear();
    await element.type(text.replaceAll("\n", Keys.enter));
  }
  value(element) { return element.property("value"); }

  // The open box's caption and text, once there is one.
  async boxText() {
    return until(() => this.session.execute(`
      const box = document.querySelector("dialog.box[open]");
      return box && { caption: box.querySelector(".box-caption").textContent,
                      text: box.querySelector(".box-text").textContent };`));
  }

  // The drawing as RGBA: { width, height, rgba }.
  async canvasPixels() {
    const { width, height, base64 } = await this.session.execute(`
      const canvas = document.getElementById("drawing-canvas");
      const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
      let binary = "";
      for (let i = 0; i < data.length; i += 0x8000) binary += String.fromCharCode(...data.subarray(i, i + 0x8000));
      return { width: canvas.width, height: canvas.height, base64: btoa(binary) };`);
    return { width, height, rgba: Buffer.from(base64, "base64") };
  }

  // Resolves after two frames, once what was drawn has been painted.
  painted() {
    return this.session.executeAsync(
      "const done = arguments[0]; requestAnimationFrame(() => requestAnimationFrame(() => done()));");
  }

  // Sizes the window so that the page's viewport is width x height.
  async setViewport(width, height) {
    await this.session.setWindowRect({ width, height });
    const inner = await this.session.execute("return [innerWidth, innerHeight];");
    await this.session.setWindowRect({ width: 2 * width - inner[0], height: 2 * height - inner[1] });
    return this.session.execute("return [innerWidth, innerHeight];");
  }

  close() { return this.session.close(); }
}

// { baseUrl, downloadDir, newPage({ width, height, url }), download(name), close() }
export async function openWebKit({ directory = siteDir } = {}) {
  if (!existsSync(join(directory, "index.html"))) throw new Error(`no built site in ${directory}: run web/build.sh first`);
  const work = mkdtempSync(join(tmpdir(), "kurovel-webkit-"));
  const home = join(work, "home");
  const downloadDir = join(home, "downloads");
  mkdirSync(join(home, ".config"), { recursive: true });
  mkdirSync(downloadDir);
  // Where GLib, and so the browser, puts downloads.
  writeFileSync(join(home, ".config/user-dirs.dirs"), 'XDG_DOWNLOAD_DIR="$HOME/downloads"\n');
  const env = { ...process.env, HOME: home, XDG_CONFIG_HOME: join(home, ".config"),
                XDG_CACHE_HOME: join(home, ".cache"), XDG_DATA_HOME: join(home, ".local/share") };
  const server = await serveSite(directory);
  const driver = await startDriver({ env }).catch(async (error) => {
    await server.close();
    throw error;
  });
  const baseUrl = `http://localhost:${server.port}/`;
  const pages = new Set();
  return {
    baseUrl,
    downloadDir,
    // A page in a browser of its own, started (unless url is null) at the site or url.
    async newPage({ width = 1280, height = 800, url = baseUrl } = {}) {
      const session = await Session.create(driver.url, {
        browserName: "MiniBrowser",
        "webkitgtk:browserOptions": { binary: MINIBROWSER, args: ["--automation"] },
      });
      const page = new WebKitPage(session, baseUrl);
      pages.add(page);
      await page.setViewport(width, height);
      if (url) await page.open(url);
      return page;
    },
    async closePage(page) {
      pages.delete(page);
      await page.close();
    },
    // The bytes of a finished download of that name (the browser writes it under
    // another name and renames it when done), or null after the wait.
    async download(name) {
      const path = join(downloadDir, name);
      return (await until(() => existsSync(path) && readFileSync(path))) ?? null;
    },
    downloads: () => readdirSync(downloadDir),
    async close() {
      for (const page of pages) await page.close().catch(() => undefined);
      await driver.stop();
      await server.close();
      rmSync(work, { recursive: true, force: true });
    },
  };
}
