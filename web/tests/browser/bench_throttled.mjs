// The page on a pupil's device: headless Chromium with the CPU slowed 4x and a
// 10 Mbit/s connection of 40 ms latency, as a school Chromebook over shared Wi-Fi.
// Each round, in a fresh browser context (no cache, no offline copy):
//   first   the first visit, from navigation until the page is ready to type;
//   cached  a second visit once the offline copy (the service worker) serves it;
//   w3      W3 ('repeat 100000' / 'fd 1' / 'rt 1' / 'next') at 最高速, from the
//           Run click until Run is enabled again.
// It serves the site as the tests do (harness.mjs: KUROVEL_SITE, else build-web/site).
//   node web/tests/browser/bench_throttled.mjs [rounds]
// A benchmark, not a test: the figures depend on the machine and its load.
import { loadavg } from "node:os";
import { openSite, controls, until } from "./harness.mjs";

const CPU_SLOWDOWN = 4;
const NETWORK = { offline: false, latency: 40, downloadThroughput: 10e6 / 8, uploadThroughput: 10e6 / 8 };
const GOALS_MS = { first: 600, cached: 200, w3: 150 };
const W3 = "repeat 100000\nfd 1\nrt 1\nnext";
const rounds = Number(process.argv[2] ?? 5);

// Records when the page says it is ready (body[data-ready]), in the page's own
// clock, which starts at the navigation.
function recordReady() {
  new MutationObserver((_, observer) => {
    if (document.body?.dataset.ready === undefined) return;
    window.kurovelReadyAt = performance.now();
    observer.disconnect();
  }).observe(document, { attributes: true, subtree: true, attributeFilter: ["data-ready"] });
}

// A throttled page of the context; bytes() is what its requests have transferred
// over the network (headers included; nothing for what the offline copy served).
async function throttledPage(context) {
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  let transferred = 0;
  cdp.on("Network.loadingFinished", ({ encodedDataLength }) => { transferred += encodedDataLength; });
  await cdp.send("Network.enable");
  await cdp.send("Network.emulateNetworkConditions", NETWORK);
  await cdp.send("Emulation.setCPUThrottlingRate", { rate: CPU_SLOWDOWN });
  await page.addInitScript(recordReady);
  return { page, bytes: () => transferred };
}

async function visit(page, url) {
  await page.goto(url);
  await until(page, () => window.kurovelReadyAt !== undefined, null, { timeout: 60_000 });
  return page.evaluate(() => window.kurovelReadyAt);
}

async function untilControlled(page) {
  await page.evaluate(async () => {
    await navigator.serviceWorker.ready;
    if (!navigator.serviceWorker.controller) {
      await new Promise((done) => navigator.serviceWorker.addEventListener("controllerchange", done, { once: true }));
    }
  });
}

async function w3(page) {
  const c = controls(page);
  await c.editor.fill(W3);
  return c.runButton.evaluate((run) => new Promise((done) => {
    const watch = new MutationObserver(() => {
      if (run.disabled) return;
      watch.disconnect();
      done(performance.now() - started);
    });
    watch.observe(run, { attributes: true, attributeFilter: ["disabled"] });
    const started = performance.now();
    run.click();
  }));
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const summary = (name, values) =>
  `${name.padEnd(6)} median ${median(values).toFixed(0)} ms, ${Math.min(...values).toFixed(0)}-` +
  `${Math.max(...values).toFixed(0)} ms (goal ${GOALS_MS[name]} ms)`;

const site = await openSite();
const results = { first: [], cached: [], w3: [] };
let firstBytes = 0;
try {
  console.log(`load average before: ${loadavg().map((load) => load.toFixed(2)).join(" ")}`);
  for (let round = 1; round <= rounds; round++) {
    const context = await site.browser.newContext({ viewport: { width: 1366, height: 768 }, serviceWorkers: "allow" });
    const first = await throttledPage(context);
    const firstMs = await visit(first.page, site.baseUrl);
    firstBytes = first.bytes();
    await untilControlled(first.page);
    await first.page.close();
    const cached = await throttledPage(context);
    const cachedMs = await visit(cached.page, site.baseUrl);
    const w3Ms = await w3(cached.page);
    await context.close();
    results.first.push(firstMs);
    results.cached.push(cachedMs);
    results.w3.push(w3Ms);
    console.log(`round ${round}: first ${firstMs.toFixed(0)} ms (${(firstBytes / 1024).toFixed(0)} KiB), ` +
                `cached ${cachedMs.toFixed(0)} ms (${(cached.bytes() / 1024).toFixed(1)} KiB), W3 ${w3Ms.toFixed(0)} ms`);
  }
  for (const [name, values] of Object.entries(results)) console.log(summary(name, values));
  console.log(`first visit transferred ${(firstBytes / 1024).toFixed(0)} KiB; ` +
              `load average after: ${loadavg().map((load) => load.toFixed(2)).join(" ")}`);
} finally {
  await site.close();
}
