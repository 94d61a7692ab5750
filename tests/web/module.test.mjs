// The page's WebAssembly module under node's test runner: its C API gives what
// kurovel-run gives for the same lines and programs, keeps program files byte for
// byte, and lets the event loop run while a program runs.
//
// KUROVEL_WEB_SITE: the built site (default build-web/site);
// KUROVEL_RUN: the native kurovel-run (default build/app/kurovel-run).

import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import { createRequire } from "node:module";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), "../..");
const site = path.resolve(process.env.KUROVEL_WEB_SITE ?? path.join(root, "build-web/site"));
const nativeRun = path.resolve(process.env.KUROVEL_RUN ?? path.join(root, "build/app/kurovel-run"));

// The module is built for the browser and node; as an ES module under node it
// still looks for the CommonJS names, which are supplied here.
globalThis.require = createRequire(import.meta.url);
globalThis.__dirname = site;
const { default: KurovelModule } = await import(path.join(site, "kurovel.js"));
const kv = await KurovelModule({ wasmBinary: fs.readFileSync(path.join(site, "kurovel.wasm")) });

const call = (name, ...args) =>
  kv.ccall(name, "number", args.map((a) => (typeof a === "string" ? "string" : "number")), args);
const text = (name) => kv.UTF8ToString(kv.ccall(name, "number", [], []));
// During a run ccall would wait for the run: the exports are called directly.
function directWithString(name, value) {
  const size = kv.lengthBytesUTF8(value) + 1;
  const pointer = kv._malloc(size);
  kv.stringToUTF8(value, pointer, size);
  try {
    return kv["_" + name](pointer);
  } finally {
    kv._free(pointer);
  }
}
const run = (program) => kv.ccall("kv_run", "number", ["string"], [program], { async: true });

// Bytes handed to the module in its own memory.
function withBytes(bytes, action) {
  const pointer = kv._malloc(Math.max(bytes.length, 1));
  kv.HEAPU8.set(bytes, pointer);
  try {
    return action(pointer, bytes.length);
  } finally {
    kv._free(pointer);
  }
}

const buffer = () => Buffer.from(kv.HEAPU8.slice(kv._kv_buffer(), kv._kv_buffer() + kv._kv_buffer_size()));

// The whole surface as RGB triples, after refreshing the RGBA copy.
function modulePixels() {
  const rect = kv._malloc(16);
  kv._kv_take_dirty(rect);
  kv._free(rect);
  const size = kv._kv_width() * kv._kv_height();
  const rgba = kv.HEAPU8.subarray(kv._kv_pixels(), kv._kv_pixels() + size * 4);
  const rgb = Buffer.alloc(size * 3);
  for (let i = 0; i < size; ++i) rgb.set(rgba.subarray(i * 4, i * 4 + 3), i * 3);
  return rgb;
}

// The RGB triples of a 24-bit bottom-up BMP, top row first.
function bmpPixels(bmp) {
  const offset = bmp.readUInt32LE(10);
  const width = bmp.readInt32LE(18);
  const height = bmp.readInt32LE(22);
  const stride = Math.ceil((width * 3) / 4) * 4;
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    const row = offset + (height - 1 - y) * stride;
    for (let x = 0; x < width; ++x) {
      const at = row + x * 3;
      rgb.set([bmp[at + 2], bmp[at + 1], bmp[at]], (y * width + x) * 3);
    }
  }
  return rgb;
}

// kurovel-run on a UTF-8 program: its status, state text and pixels.
function native(programUtf8, options = []) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "kurovel-module-"));
  try {
    const program = path.join(folder, "program.kv");
    fs.writeFileSync(program, "\uFEFF" + programUtf8);
    const state = path.join(folder, "state.json");
    const bmp = path.join(folder, "out.bmp");
    const done = spawnSync(nativeRun, [...options, "--state", state, "--bmp", bmp, program]);
    return { status: done.status, state: fs.readFileSync(state, "utf8"), pixels: bmpPixels(fs.readFileSync(bmp)) };
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

// The state as JSON, with the encoding of the program file set aside (the
// module's programs come from the editor, kurovel-run's from a UTF-8 file here).
const stateWithoutEncoding = (json) => ({ ...JSON.parse(json), encoding: undefined });

test("command-box lines change pixels and state exactly as kurovel-run --lines", () => {
  const cases = [
    ["まえに　１００"],
    ["fd 50", "rt 45", "fd 50"],
    ["fd 10 rt 90 fd 20", "ひだりに　３０", "うしろへ　４０"],
    ["var1 30", "mlt var1 1.5", "fd var1", "pos 10 20"],
    ["div var2 0", "fd 100"],
    ["pd 3", "fd 80", "pu", "fd 10", "sho"],
  ];
  for (const lines of cases) {
    assert.equal(call("kv_create", 361, 446), 0);
    const statuses = lines.map((line) => call("kv_command_line", line));
    const expected = native(lines.join("\n"), ["--lines"]);
    assert.equal(statuses.some((s) => s !== 0) ? 1 : 0, expected.status, lines.join(" / "));
    assert.deepEqual(stateWithoutEncoding(text("kv_state_json")), stateWithoutEncoding(expected.state));
    assert.ok(modulePixels().equals(expected.pixels), `pixels of ${lines.join(" / ")}`);
  }
});

test("kv_run runs the editor text as kurovel-run runs the program", async () => {
  const cases = [
    ["repeat 4\nfd 100\nrt 90\nnext\n", 0],
    ["くりかえし　３６\nまえに　１０\nみぎ　１０\nここまで", 0],
    ["repeat 3\nrepeat 4\nfd 20\nlt 90\nnext\nrt 120\nnext", 0],
    ["fd 10\nrepeat 2\nfd 10", 2],
    ["fd 30\nrepeat x\nfd 10\nnext", 3],
    ["var3 0\nfd 40\ndiv var1 var3\nfd 40", 3],
  ];
  for (const [program, result] of cases) {
    assert.equal(call("kv_create", 200, 150), 0);
    assert.equal(await run(program), result, program);
    const expected = native(program, ["--size", "200x150"]);
    assert.equal(expected.status, result === 3 ? 1 : result);
    assert.deepEqual(stateWithoutEncoding(text("kv_state_json")), stateWithoutEncoding(expected.state));
    assert.ok(modulePixels().equals(expected.pixels), `pixels of ${JSON.stringify(program)}`);
    if (result !== 0) assert.deepEqual([text("kv_message")], JSON.parse(expected.state).messages);
  }
});

test("program files: Shift-JIS read and written back byte for byte, other encodings read", () => {
  // NEC and IBM extension characters that share a Unicode character with another
  // code, half-width kana, CR LF between lines.
  const sjis = Buffer.from([
    ...Buffer.from("fd 100\r\n"), 0x87, 0x40, 0xfa, 0x40, 0xed, 0x40, 0xee, 0xef, 0x81, 0xca, 0x20, 0xb1,
    ...Buffer.from("\r\nrt 90"),
  ]);
  const shown = withBytes(sjis, (p, n) => kv.UTF8ToString(kv._kv_read_program(p, n)));
  assert.equal(shown, "fd 100\n①ⅰ纊ⅰ￢ ｱ\nrt 90");
  assert.equal(text("kv_program_encoding"), "shift_jis");
  assert.equal(call("kv_write_program", shown), 0);
  assert.ok(buffer().equals(sjis));

  const files = [
    [Buffer.from("まえに　１００\nみぎ　９０"), "まえに　１００\nみぎ　９０", "utf-8"],
    [Buffer.from("\uFEFFfd 1\r\nrt 2\rfd\u00003", "utf8"), "fd 1\nrt 2\nfd", "utf-8"],
    [Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from("くりかえし 2\r\n", "utf16le")]), "くりかえし 2\n", "utf-16le"],
    [Buffer.from([0x66, 0x64, 0x20, 0x82, 0x0a, 0x80]), "fd \uFFFD\n\uFFFD", "shift_jis"],
  ];
  for (const [bytes, expected, encoding] of files) {
    assert.equal(withBytes(bytes, (p, n) => kv.UTF8ToString(kv._kv_read_program(p, n))), expected);
    assert.equal(text("kv_program_encoding"), encoding);
  }

  assert.equal(call("kv_write_program", "fd 100\nrt 90 😀"), 1);
  assert.equal(text("kv_message"), "2 行目の文字「😀」(U+1F600) はシフトJISで保存できません.");
  assert.equal(call("kv_write_program", "まえに　１００\nみぎ"), 0);
  assert.ok(buffer().equals(Buffer.from([0x82, 0xdc, 0x82, 0xa6, 0x82, 0xc9, 0x81, 0x40, 0x82, 0x50, 0x82, 0x4f,
                                         0x82, 0x4f, 0x0d, 0x0a, 0x82, 0xdd, 0x82, 0xac])));
});

test("pictures: background loaded from bytes, drawing saved as kurovel-run saves it", () => {
  call("kv_create", 120, 90);
  assert.equal(withBytes(Buffer.from("BM not a bitmap"), (p, n) => kv._kv_load_background(p, n)), 1);
  assert.equal(text("kv_message"), "ビットマップイメージが不正です.");

  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "kurovel-module-"));
  try {
    const picture = path.join(folder, "star.bmp");
    execFileSync(nativeRun, ["--size", "80x60", "--bmp", picture, path.join(root, "samples/star.kv")]);
    assert.equal(withBytes(fs.readFileSync(picture), (p, n) => kv._kv_load_background(p, n)), 0);
    call("kv_command_line", "fd 30");
    assert.equal(call("kv_clear_screen"), 0);
    const expected = native("", ["--size", "120x90", "--background", picture]);
    assert.ok(modulePixels().equals(expected.pixels), "cleared with the background");
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
  assert.equal(call("kv_save_picture"), 0);
  const saved = buffer();
  assert.equal(saved.readInt32LE(18), 110);  // the rightmost 10 columns are not saved
  assert.equal(saved.readInt32LE(22), 90);

  kv._kv_forget_background();
  assert.equal(call("kv_clear_screen"), 0);
  assert.equal(native("", ["--size", "120x90"]).pixels.equals(modulePixels()), true);

  call("kv_create", 10, 50);
  assert.equal(call("kv_save_picture"), 1);
  assert.equal(text("kv_message"), "描画領域の幅が 10 ピクセル以下のため、保存する画像がありません.");
});

// A run gives its turns from the executor's hook (turtle commands) and from the
// runner's line hook (lines without turtle commands, such as "inc").
for (const [kind, program] of [
  ["turtle commands", "repeat 100000000\nfd 1\nrt 1\nnext"],
  ["only inc lines", "repeat 100000000\ninc var1 1\nnext"],
]) {
  test(`a long run of ${kind} gives the event loop its turns, takes typed lines and stops on kv_stop`, async () => {
    call("kv_create", 361, 446);
    let timerRuns = 0;
    const pending = run(program);
    assert.equal(kv._kv_running(), 1);
    await new Promise((resolve) => {
      const tick = () => {
        timerRuns += 1;
        if (timerRuns === 2) assert.equal(directWithString("kv_command_line", "var7 77"), 0);
        if (timerRuns < 3) return setTimeout(tick, 1);
        kv._kv_stop();
        resolve();
      };
      setTimeout(tick, 1);
    });
    assert.equal(await pending, 1);
    assert.equal(timerRuns, 3);
    assert.equal(kv._kv_running(), 0);
    assert.equal(JSON.parse(text("kv_state_json")).variables[6], 77);
    assert.equal(text("kv_normalized"), program);
    assert.equal(await run("fd 10"), 0);  // a stopped run leaves the runner ready for the next
    assert.equal(text("kv_normalized"), "fd 10");
  });
}
