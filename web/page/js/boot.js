// Starts the page: checks that the browser can run it, loads the fixed texts, the
// module and the window's script, then hands them to the window (main.js). When
// a step fails, the status line says why in Japanese instead of loading for ever.

// The page's own texts: they must show when nothing else could be loaded.
const NO_WEBASSEMBLY = "このブラウザーは WebAssembly に対応していないため、Kurovel を動かせません。" +
                       "新しいブラウザーで開いてください。";
const cannotLoad = (file) => `Kurovel の起動に必要なファイル ${file} を読み込めませんでした。` +
                             "ネットワークの接続を確かめてから、ページを読み込み直してください。";
const MISMATCHED_MODULE = "Kurovel のファイル kurovel.js と kurovel.wasm が同じ版のものではありません。" +
                          "サーバーのファイルが入れ替えの途中かもしれません。しばらくしてから、ページを読み込み直してください。";
const cannotStart = (reason) => `Kurovel を起動できませんでした（${reason}）。ページを読み込み直してください。`;

class StartupFailure extends Error {}

// Runs one step of the start; a failure names the file it needed.
async function loading(file, step) {
  try {
    return await step();
  } catch (error) {
    if (error?.name === "MismatchedBuild") throw new StartupFailure(MISMATCHED_MODULE, { cause: error });
    throw new StartupFailure(cannotLoad(file), { cause: error });
  }
}

async function fetchJson(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
  return response.json();
}

const statusLine = document.getElementById("status-line");
try {
  if (typeof WebAssembly !== "object" || typeof WebAssembly.instantiate !== "function") {
    throw new StartupFailure(NO_WEBASSEMBLY);
  }
  // Every file is asked for at once: one after the other, each would wait a
  // round trip of a slow network for the one before.
  const loader = loading("js/module_loader.js", () => import("./module_loader.js"));
  const [texts, glue, module, { startWindow }, { startModule }] = await Promise.all([
    loading("texts.json", () => fetchJson(new URL("../texts.json", import.meta.url))),
    loading("kurovel.js", () => import("../kurovel.js")),
    loader.then(({ compileModule }) =>
      loading("kurovel.wasm", () => compileModule(new URL("../kurovel.wasm", import.meta.url)))),
    loading("js/main.js", () => import("./main.js")),
    loader,
  ]);
  const kv = await loading("kurovel.wasm", () => startModule(glue, module));
  await startWindow(kv, texts);
  statusLine.hidden = true;
  document.body.dataset.ready = "true";
} catch (error) {
  statusLine.textContent = error instanceof StartupFailure ? error.message : cannotStart(error?.message ?? error);
  statusLine.classList.add("failed");
  statusLine.hidden = false;
  document.body.dataset.failed = "true";
  console.error(error);
}
