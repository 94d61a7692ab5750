// Starts the module (kurovel.js, its glue, and kurovel.wasm) after checking that
// the two come from one build: the build stamps both (web/stamp_site.mjs), and a
// glue beside a module of another build would fail in ways nobody can explain.
// The module is compiled apart from the glue, so that boot.js can fetch both at once.

const STAMP_SECTION = "kurovel-build";

// The module and its glue are of different builds.
class MismatchedBuild extends Error {
  name = "MismatchedBuild";
}

// Compiles the module; served as application/wasm it is compiled while it downloads.
export async function compileModule(wasmUrl) {
  const response = await fetch(wasmUrl);
  if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
  const type = response.headers.get("Content-Type")?.split(";")[0].trim();
  if (typeof WebAssembly.compileStreaming === "function" && type === "application/wasm") {
    return WebAssembly.compileStreaming(response);
  }
  return WebAssembly.compile(await response.arrayBuffer());
}

// Starts the glue on a module compiled by compileModule, once their stamps agree.
export async function startModule({ default: factory, buildStamp }, module) {
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
