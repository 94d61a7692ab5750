// Starts the page: checks that the browser can run it, loads the fixed texts, the
// module and the window's script, then hands them to the window (main.js). When
// a step fails, the status line says why in Japanese instead of loading for ever.
// The module (kurovel.js, its glue, and kurovel.wasm) starts only when the two
// come from one build: the build stamps both (web/stamp_site.mjs), and a glue
// beside a module of another build would fail in ways nobody can explain.

// The page's own texts: they must show when nothing else could be loaded.
const NO_WEBASSEMBLY = "このブラウザーは WebAssembly に対応していないため、Kurovel を動かせません。" +
                       "新しいブラウザーで開いてください。";
const cannotLoad = (file) => `Kurovel の起動に必要なファイル ${file} を読み込めませんでした。` +
                             "ネットワークの接続を確かめてから、ページを読み込み直してください。";
const MISMATCHED_MODULE = "Kurovel のファイル kurovel.js と kurovel.wasm が同じ版のものではありません。" +
                          "サーバーのファイルが入れ替えの途中かもしれません。しばらくしてから、ページを読み込み直してください。";
const cannotStart = (reason) => `Kurovel を起動できませんでした（${reason}）。ページを読み込み直してください。`;

const STAMP_SECTION = "kurovel-build";

class StartupFailure extends Error {}

// The module and its glue are of different builds.
class MismatchedBuild extends Error {}

// Runs one step of the start; a failure names the file it needed.
async function loading(file, step) {
  try {
    return await step();
  } catch (error) {
    if (error instanceof MismatchedBuild) throw new StartupFailure(MISMATCHED_MODULE, { cause: error });
    throw new StartupFailure(cannotLoad(file), { cause: error });
  }
}

async function fetchOk(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
  return response;
}

// Compiles the module; served as application/wasm it is compiled while it downloads.
async function compileModule(url) {
  const response = await fetchOk(url);
  const type = response.headers.get("Content-Type")?.split(";")[0].trim();
  if (typeof WebAssembly.compileStreaming === "function" && type === "application/wasm") {
    return WebAssembly.compileStreaming(response);
  }
  return WebAssembly.compile(await response.arrayBuffer());
}

// Starts the glue on the compiled module, once their stamps agree.
async function startModule({ default: factory, buildStamp }, module) {
  const [section] = WebAssembly.Module.customSections(module, STAMP_SECTION);
  const stamp = section ? new TextDecoder().decode(section) : null;
  if (!buildStamp || stamp !== buildStamp) {
    throw new MismatchedBuild(`kurovel.js ${buildStamp ?? "unstamped"}, kurovel.wasm ${stamp ?? "unstamped"}`);
  }
  // The glue instantiates the module compiled here; a failure rejects instead of
  // leaving the glue waiting.
  let failed;
  const failure = new Promise((_, reject) => { failed = reject; });
  return Promise.race([failure, factory({
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module), failed);
      return {};
    },
  })]);
}

const statusLine = document.getElementById("status-line");
try {
  if (typeof WebAssembly !== "object" || typeof WebAssembly.instantiate !== "function") {
    throw new StartupFailure(NO_WEBASSEMBLY);
  }
  // Every file is asked for at once: one after the other, each would wait a
  // round trip of a slow network for the one before.
  const [texts, glue, module, { startWindow }] = await Promise.all([
    loading("texts.json", async () => (await fetchOk(new URL("../texts.json", import.meta.url))).json()),
    loading("kurovel.js", () => import("../kurovel.js")),
    loading("kurovel.wasm", () => compileModule(new URL("../kurovel.wasm", import.meta.url))),
    loading("js/main.js", () => import("./main.js")),
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
