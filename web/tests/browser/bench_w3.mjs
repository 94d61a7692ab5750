// W3 in the page, drawing live: 'repeat 100000' / 'fd 1' / 'rt 1' / 'next'
// (200,000 commands), timed from the Run click to the frame after the run.
//   node web/tests/browser/bench_w3.mjs [rounds]
import { openSite, controls } from "./harness.mjs";

const PROGRAM = "repeat 100000\nfd 1\nrt 1\nnext";
const COMMANDS = 200000;
const rounds = Number(process.argv[2] ?? 3);

const site = await openSite();
try {
  const page = await site.newPage();
  const c = controls(page);
  await c.editor.fill(PROGRAM);
  for (let round = 1; round <= rounds; round++) {
    const { ms, frames } = await c.runButton.evaluate((run) => new Promise((done) => {
      let frames = 0;
      const count = () => { frames++; if (run.disabled) requestAnimationFrame(count); };
      const started = performance.now();
      run.click();
      requestAnimationFrame(count);
      const watch = new MutationObserver(() => {
        if (run.disabled) return;
        watch.disconnect();
        requestAnimationFrame(() => done({ ms: performance.now() - started, frames }));
      });
      watch.observe(run, { attributes: true, attributeFilter: ["disabled"] });
    }));
    console.log(`round ${round}: ${ms.toFixed(1)} ms, ${frames} frames, ` +
                `${Math.round(COMMANDS / (ms / 1000)).toLocaleString("en")} commands/s`);
  }
} finally {
  await site.close();
}
