// A small client of the W3C WebDriver protocol (https://www.w3.org/TR/webdriver2/)
// for WebKitGTK's WebKitWebDriver: the commands the page's WebKit tests use, each
// one HTTP request to the driver.
import { spawn } from "node:child_process";
import { createServer } from "node:net";

// The key WebDriver marks element references with.
const ELEMENT_KEY = "element-6066-11e4-a52e-4f735466cecf";
export const Keys = Object.freeze({ enter: "\uE007", escape: "\uE00C", tab: "\uE004", f8: "\uE038" });
const DRIVER_START_MS = 30_000;

class WebDriverError extends Error {
  constructor(command, { error, message }) {
    super(`${command}: ${error}: ${message}`);
    this.code = error;
  }
}

async function call(base, method, path, body) {
  const response = await fetch(`${base}${path}`, {
    method,
    headers: body === undefined ? {} : { "Content-Type": "application/json; charset=utf-8" },
    body: body === undefined ? undefined : JSON.stringify(body),
  });
  const { value } = await response.json();
  if (!response.ok) throw new WebDriverError(`${method} ${path}`, value);
  return value;
}

const freePort = () => new Promise((resolve, reject) => {
  const server = createServer();
  server.once("error", reject);
  server.listen(0, "127.0.0.1", () => {
    const { port } = server.address();
    server.close(() => resolve(port));
  });
});

// Starts WebKitWebDriver on a free port: { url, stop() }. env: the driver's and so
// the browser's environment.
export async function startDriver({ executable = "WebKitWebDriver", env = process.env } = {}) {
  const port = await freePort();
  const driver = spawn(executable, [`--port=${port}`], { env, stdio: ["ignore", "ignore", "pipe"] });
  let log = "";
  driver.stderr.on("data", (chunk) => { log = (log + chunk).slice(-4000); });
  const exited = new Promise((resolve) => driver.once("exit", resolve));
  const url = `http://127.0.0.1:${port}`;
  for (const deadline = Date.now() + DRIVER_START_MS; ;) {
    if (driver.exitCode !== null) throw new Error(`${executable} ended (${driver.exitCode}): ${log}`);
    try {
      if ((await call(url, "GET", "/status")).ready) break;
    } catch { /* not listening yet */ }
    if (Date.now() > deadline) {
      driver.kill();
      throw new Error(`${executable} did not start: ${log}`);
    }
    await new Promise((resume) => setTimeout(resume, 100));
  }
  return {
    url,
    async stop() {
      if (driver.exitCode === null) driver.kill();
      await exited;
    },
  };
}

// One browser session, started with newSession.
export class Session {
  constructor(driverUrl, id) {
    this.base = `${driverUrl}/session/${id}`;
  }

  static async create(driverUrl, capabilities) {
    const { sessionId } = await call(driverUrl, "POST", "/session", { capabilities: { alwaysMatch: capabilities } });
    return new Session(driverUrl, sessionId);
  }

  send(method, path = "", body = undefined) {
    return call(this.base, method, path, method === "POST" && body === undefined ? {} : body);
  }

  close() { return this.send("DELETE"); }
  navigate(url) { return this.send("POST", "/url", { url }); }
  refresh() { return this.send("POST", "/refresh"); }
  title() { return this.send("GET", "/title"); }
  setWindowRect(rect) { return this.send("POST", "/window/rect", rect); }
  screenshot() { return this.send("GET", "/screenshot").then((base64) => Buffer.from(base64, "base64")); }

  // Runs a function's body in the page: elements among the arguments and the
  // result cross as element references.
  execute(script, ...args) { return this.send("POST", "/execute/sync", { script, args }); }
  // The same with a body that calls arguments[arguments.length - 1] when done.
  executeAsync(script, ...args) { return this.send("POST", "/execute/async", { script, args }); }

  async find(css) { return Element.of(this, await this.send("POST", "/element", { using: "css selector", value: css })); }
  async findAll(css) {
    return (await this.send("POST", "/elements", { using: "css selector", value: css })).map((ref) => Element.of(this, ref));
  }
  async activeElement() { return Element.of(this, await this.send("GET", "/element/active")); }

  // Input sources: a list of W3C action sequences, then everything released.
  async perform(actions) {
    await this.send("POST", "/actions", { actions });
    await this.send("DELETE", "/actions");
  }
  // Keys pressed one after another on whatever has the focus.
  pressKeys(...keys) {
    const actions = keys.flatMap((value) => [{ type: "keyDown", value }, { type: "keyUp", value }]);
    return this.perform([{ type: "key", id: "keyboard", actions }]);
  }

  // The user prompt (alert, confirm, beforeunload ...) open now, or null.
  async promptText() {
    try {
      return await this.send("GET", "/alert/text");
    } catch (error) {
      if (error.code === "no such alert") return null;
      throw error;
    }
  }
  acceptPrompt() { return this.send("POST", "/alert/accept"); }
  dismissPrompt() { return this.send("POST", "/alert/dismiss"); }
}

export class Element {
  constructor(session, id) {
    this.session = session;
    this.id = id;
  }
  static of(session, ref) { return new Element(session, ref[ELEMENT_KEY]); }
  toJSON() { return { [ELEMENT_KEY]: this.id }; }
  send(method, path, body) { return this.session.send(method, `/element/${this.id}${path}`, body); }

  click() { return this.send("POST", "/click"); }
  clear() { return this.send("POST", "/clear"); }
  // Types the text as keys (Keys for the special ones); on a file input, the path
  // of the file to choose.
  type(text) { return this.send("POST", "/value", { text }); }
  property(name) { return this.send("GET", `/property/${name}`); }
  attribute(name) { return this.send("GET", `/attribute/${name}`); }
  text() { return this.send("GET", "/text"); }
  enabled() { return this.send("GET", "/enabled"); }
  displayed() { return this.send("GET", "/displayed"); }
  rect() { return this.send("GET", "/rect"); }
  // The browser's own accessible role and name.
  role() { return this.send("GET", "/computedrole"); }
  label() { return this.send("GET", "/computedlabel"); }
}
