// The page's WebAssembly module under node's test runner: its C API gives what
// kurovel-run gives for the same lines and programs, its flows keep program files
// byte for byte and say what went wrong with the desktop's messages, and a run
// lets the event loop go on, takes typed lines, steps and stops.
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

// Every export is called directly, as the page calls them: during a run ccall
// would wait for the run. Strings go through the heap.
function withString(value, call) {
  const size = kv.lengthBytesUTF8(value) + 1;
  const pointer = kv._malloc(size);
  kv.stringToUTF8(value, pointer, size);
  try {
    return call(pointer);
  } finally {
    kv._free(pointer);
  }
}
function withBytes(bytes, call) {
  if (bytes === null) return call(0, 0);
  const pointer = kv._malloc(Math.max(bytes.length, 1));
  kv.HEAPU8.set(bytes, pointer);
  try {
    return call(pointer, bytes.length);
  } finally {
    kv._free(pointer);
  }
}
const text = (name) => kv.UTF8ToString(kv[`_${name}`]());
const commandLine = (line) => withString(line, (p) => kv._kv_command_line(p));
const notes = () => JSON.parse(text("kv_take_notes"));
const boxes = () => notes().filter((note) => note.note === "message").map((note) => note.text);
const run = (program) => kv.ccall("kv_run", "number", ["string"], [program], { async: true });
const setSpeed = (key) => withString(key, (p) => kv._kv_set_speed(p));

// The request a flow waits on.
function request() {
  const bytesAt = (pointer, size) => Buffer.from(kv.HEAPU8.slice(pointer, pointer + size));
  return {
    kind: text("kv_request_kind"),
    text: bytesAt(kv._kv_request_text(), kv._kv_request_text_size()).toString("utf8"),
    bytes: bytesAt(kv._kv_request_bytes(), kv._kv_request_bytes_size()),
    dialog: text("kv_request_dialog"),
    maxBytes: kv._kv_request_max_bytes(),
  };
}

// Drives a flow to its end as a page would, with files and an editor in memory.
// answers: the replies to the questions and file dialogs, in order (an answer
// name, or { path } for a file dialog). Returns what the flow asked and showed.
function drive(started, { files = {}, editor = "", answers = [] } = {}) {
  const seen = { kinds: [], messages: [], written: {}, editor, caption: null };
  let waiting = started;
  while (waiting) {
    const asked = request();
    seen.kinds.push(asked.kind);
    const reply = { answer: "done", text: "", bytes: null };
    if (asked.kind === "ask" || asked.kind === "chooseFile") {
      const answer = answers.shift();
      if (answer === undefined) throw new Error(`unexpected ${asked.kind}: ${asked.text}`);
      if (typeof answer === "string") reply.answer = answer;
      else reply.text = answer.path;
    } else if (asked.kind === "showMessage") {
      seen.messages.push(asked.text);
    } else if (asked.kind === "readFile") {
      if (files[asked.text] === undefined) reply.answer = "failed";
      else reply.bytes = files[asked.text].subarray(0, asked.maxBytes + 1);
    } else if (asked.kind === "writeFile") {
      seen.written[asked.text] = asked.bytes;
    } else if (asked.kind === "getEditorText") {
      reply.text = seen.editor;
    } else if (asked.kind === "setEditorText") {
      seen.editor = asked.text;
    } else if (asked.kind === "showCaption") {
      seen.caption = asked.text;
    }
    waiting = withString(reply.answer, (a) => withString(reply.text, (t) =>
      withBytes(reply.bytes, (b, n) => kv._kv_answer(a, t, b, n))));
  }
  return seen;
}
const open = (options) => drive(kv._kv_open(), options);

const buffer = (pointer, size) => Buffer.from(kv.HEAPU8.slice(pointer, pointer + size));

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
    assert.equal(kv._kv_create(361, 446), 0);
    const statuses = lines.map(commandLine);
    const expected = native(lines.join("\n"), ["--lines"]);
    assert.equal(statuses.some((s) => s !== 0) ? 1 : 0, expected.status, lines.join(" / "));
    assert.deepEqual(stateWithoutEncoding(text("kv_state_json")), stateWithoutEncoding(expected.state));
    // The error boxes the page shows are the messages kurovel-run reports.
    assert.deepEqual(boxes(), JSON.parse(expected.state).messages);
    assert.ok(modulePixels().equals(expected.pixels), `pixels of ${lines.join(" / ")}`);
  }
});

test("kv_run runs the editor text as kurovel-run runs the program", async () => {
  const cases = [
    ["repeat 4\nfd 100\nrt 90\nnext\n", 0],
    ["くりかえし　３６\nまえに　１０\nみぎ　１０\nここまで", 0],
    ["repeat 3\nrepeat 4\nfd 20\nlt 90\nnext\nrt 120\nnext", 0],
    ["fd 10\nrepeat 2\nfd 10", 2],
    ["fd 30\nrepeat x\nfd 10\nnext", 3, 1],
    ["var3 0\nfd 40\ndiv var1 var3\nfd 40", 3, 2],
  ];
  for (const [program, result, failedLine] of cases) {
    assert.equal(kv._kv_create(200, 150), 0);
    notes();
    assert.equal(await run(program), result, program);
    const expected = native(program, ["--size", "200x150"]);
    assert.equal(expected.status, result === 3 ? 1 : result);
    assert.deepEqual(stateWithoutEncoding(text("kv_state_json")), stateWithoutEncoding(expected.state));
    assert.ok(modulePixels().equals(expected.pixels), `pixels of ${JSON.stringify(program)}`);
    const shown = notes();
    assert.deepEqual(shown.filter((note) => note.note === "message").map((note) => note.text),
                     JSON.parse(expected.state).messages);
    // The buttons end as they began; after an error the failed line is selected.
    assert.deepEqual(shown.filter((note) => note.note === "buttons").at(-1), { note: "buttons", run: true, stop: false });
    if (result === 3) assert.deepEqual(shown.at(-1), { note: "select", line: failedLine });
  }
});

// "まえに　１００" CR LF, NEC and IBM extension characters that share a Unicode
// character with another code, half-width kana, CR LF, "rt 90".
const sjis = Buffer.from([
  0x82, 0xDC, 0x82, 0xA6, 0x82, 0xC9, 0x81, 0x40, 0x82, 0x50, 0x82, 0x4F, 0x82, 0x4F, 0x0D, 0x0A,
  0x87, 0x40, 0xfa, 0x40, 0xed, 0x40, 0xee, 0xef, 0x81, 0xca, 0x20, 0xb1, ...Buffer.from("\r\nrt 90"),
]);

test("a Shift-JIS program is opened and saved back byte for byte; the caption names it", () => {
  kv._kv_create(361, 446);
  const title = text("kv_caption");
  const opened = open({ files: { "square.kv": sjis }, answers: [{ path: "square.kv" }] });
  assert.equal(opened.editor, "まえに　１００\n①ⅰ纊ⅰ￢ ｱ\nrt 90");
  assert.deepEqual(opened.messages, []);
  assert.equal(opened.caption, `${title} square.kv`);
  assert.equal(text("kv_caption"), opened.caption);
  assert.equal(kv._kv_modified(), 0);
  kv._kv_editor_changed();
  assert.equal(kv._kv_modified(), 1);
  const saved = drive(kv._kv_save(), { editor: opened.editor });
  assert.ok(saved.written["square.kv"].equals(sjis));
  assert.equal(kv._kv_modified(), 0);
});

// A kept draft put back into a fresh window: the editor's text as the page holds it.
function restored(editorText, fileName, modified) {
  kv._kv_create(361, 446);
  const started = withString(editorText, (t) => withString(fileName, (n) => kv._kv_restore(t, n, modified ? 1 : 0)));
  return drive(started).editor;
}

test("flows say what went wrong with the desktop's messages and change nothing", () => {
  const tooLarge = Buffer.alloc(64 * 1024 * 1024 + 1, 0x61);  // kMaxProgramFileBytes + 1
  const cases = [
    { name: "a file that cannot be read", start: () => kv._kv_open(), files: {},
      answers: ["ok", { path: "gone.kv" }], messages: ["ファイル gone.kv は開けません."] },
    { name: "a file over the size limit", start: () => kv._kv_open(), files: { "big.kv": tooLarge },
      answers: ["ok", { path: "big.kv" }], messages: ["文字列の大きさが メモ の制限を越えました."] },
    { name: "a dropped file over the size limit", start: () => withString("big.kv", (p) => kv._kv_drop(p, 1)),
      files: { "big.kv": tooLarge }, answers: ["ok"], messages: ["文字列の大きさが メモ の制限を越えました."] },
    { name: "a character without a Shift-JIS form", start: () => kv._kv_save(), editor: "fd 100\nrt 90 😀",
      answers: [{ path: "x.kv" }], messages: ["2 行目の文字「😀」(U+1F600) はシフトJISで保存できません."] },
    { name: "quit, yes, then the save dialog cancelled", start: () => kv._kv_close(),
      answers: ["yes", "cancel"], messages: [] },
  ];
  for (const { name, start, files = {}, editor = "fd 10", answers = [], messages } of cases) {
    const kept = restored(editor, "", true);
    const caption = text("kv_caption");
    const seen = drive(start(), { files, editor: kept, answers });
    assert.deepEqual(seen.messages, messages, name);
    assert.equal(seen.editor, kept, name);
    assert.deepEqual(seen.written, {}, name);
    assert.ok(!seen.kinds.includes("closeWindow"), name);
    assert.equal(kv._kv_modified(), 1, name);
    assert.equal(text("kv_caption"), caption, name);
    assert.deepEqual(answers, [], `${name}: every answer was asked for`);
  }
});

test("a shared link: its text crosses whole, NUL included; its outcomes by name; an unknown one is damaged", () => {
  const damaged = "このリンクは壊れているため、プログラムを開けません。リンクが途中で切れていないか確かめてください。";
  const tooLong = "このリンクのプログラムは長すぎるため、開けません。プログラムはファイルで受け取ってください。";
  const shared = "fd 10\0<script>\nrt 90";
  const cases = [
    { outcome: "program", editor: shared, messages: [] },
    { outcome: "damaged", editor: "fd 1", messages: [damaged] },
    { outcome: "tooLong", editor: "fd 1", messages: [tooLong] },
    { outcome: "nonsense", editor: "fd 1", messages: [damaged] },
  ];
  for (const { outcome, editor, messages } of cases) {
    kv._kv_create(361, 446);
    const started = withString(outcome, (o) => withString(shared, (t) => kv._kv_open_shared(o, t, kv.lengthBytesUTF8(shared))));
    const seen = drive(started, { editor: "fd 1" });
    assert.equal(seen.editor, editor, outcome);
    assert.deepEqual(seen.messages, messages, outcome);
    assert.equal(kv._kv_unsaved_work(), outcome === "program" ? 1 : 0, outcome);
  }
});

test("the drawing told in words follows the typed lines", () => {
  kv._kv_create(361, 446);
  const area = "描画エリアの大きさは 横 361 × 縦 446 ピクセルです。";
  assert.equal(text("kv_drawing_description"), `まだ何も描かれていません。${area}`);
  commandLine("pd 2 fd 100 rt 90 fd 50");
  assert.equal(text("kv_drawing_description"), `線が 2 本描かれています（赤 2 本）。絵の大きさは 横 50 × 縦 100 ピクセル、${area}`);
  commandLine("cls");
  assert.equal(text("kv_drawing_description"), `まだ何も描かれていません。${area}`);
  notes();
});

test("programs in other encodings are read with the desktop's notice", () => {
  const files = [
    [Buffer.from("まえに　１００\nみぎ　９０"), "まえに　１００\nみぎ　９０", "UTF-8"],
    [Buffer.from("\uFEFFfd 1\r\nrt 2\rfd\u00003", "utf8"), "fd 1\nrt 2\nfd", "UTF-8"],
    [Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from("くりかえし 2\r\n", "utf16le")]), "くりかえし 2\n", "UTF-16"],
    [Buffer.from([0x66, 0x64, 0x20, 0x82, 0x0a, 0x80]), "fd \uFFFD\n\uFFFD", null],
  ];
  for (const [bytes, expected, encoding] of files) {
    kv._kv_create(361, 446);
    const seen = open({ files: { "p.kv": bytes }, answers: [{ path: "p.kv" }] });
    assert.equal(seen.editor, expected);
    assert.deepEqual(seen.messages,
                     encoding ? [`このファイルは ${encoding} として読み込みました。保存するとシフトJISになります。`] : []);
  }
});

// The picture dialog is answered with a name the page has given to kv_keep_picture.
function keepPicture(name, bytes) {
  return withString(name, (p) => withBytes(bytes, (b, n) => kv._kv_keep_picture(p, b, n)));
}

test("pictures: background kept and laid, drawing saved as kurovel-run saves it", () => {
  kv._kv_create(120, 90);
  assert.equal(keepPicture("bad.bmp", Buffer.from("BM not a bitmap")), 0);
  assert.deepEqual(drive(kv._kv_load_background(), { answers: [{ path: "bad.bmp" }] }).messages,
                   ["ビットマップイメージが不正です."]);
  assert.equal(keepPicture("gone.bmp", null), 0);
  assert.deepEqual(drive(kv._kv_load_background(), { answers: [{ path: "gone.bmp" }] }).messages,
                   ["ファイル gone.bmp は開けません."]);
  assert.equal(keepPicture("../x.bmp", Buffer.from("BM")), 1, "a name with a folder is refused");

  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "kurovel-module-"));
  try {
    const picture = path.join(folder, "star.bmp");
    execFileSync(nativeRun, ["--size", "80x60", "--bmp", picture, path.join(root, "samples/star.kv")]);
    assert.equal(keepPicture("star.bmp", fs.readFileSync(picture)), 0);
    assert.deepEqual(drive(kv._kv_load_background(), { answers: [{ path: "star.bmp" }] }).messages, []);
    commandLine("fd 30");
    assert.equal(kv._kv_clear_screen(), 0);
    const expected = native("", ["--size", "120x90", "--background", picture]);
    assert.ok(modulePixels().equals(expected.pixels), "cleared with the background");
    assert.equal(kv._kv_resize(120, 90), 0);
    assert.ok(modulePixels().equals(expected.pixels), "repainted with the background");
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
  const saved = drive(kv._kv_save_picture(), { answers: [{ path: "work.bmp" }] }).written["work.bmp"];
  assert.equal(saved.readInt32LE(18), 110);  // the rightmost 10 columns are not saved
  assert.equal(saved.readInt32LE(22), 90);

  drive(kv._kv_new());  // forgets the background
  assert.equal(kv._kv_clear_screen(), 0);
  assert.ok(native("", ["--size", "120x90"]).pixels.equals(modulePixels()));

  kv._kv_create(10, 50);
  assert.deepEqual(drive(kv._kv_save_picture()).messages,
                   ["描画領域の幅が 10 ピクセル以下のため、保存する画像がありません."]);
});

// A run gives its turns from the executor's hook (turtle commands) and from the
// runner's line hook (lines without turtle commands, such as "inc").
for (const [kind, program] of [
  ["turtle commands", "repeat 100000000\nfd 1\nrt 1\nnext"],
  ["only inc lines", "repeat 100000000\ninc var1 1\nnext"],
]) {
  test(`a long run of ${kind} gives the event loop its turns, takes typed lines and stops on kv_stop`, async () => {
    kv._kv_create(361, 446);
    let timerRuns = 0;
    const pending = run(program);
    assert.equal(kv._kv_running(), 1);
    await new Promise((resolve) => {
      const tick = () => {
        timerRuns += 1;
        if (timerRuns === 2) assert.equal(commandLine("var7 77"), 0);
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

test("1行ずつ: the run waits before every line, lit, until 実行 or the step key", async () => {
  kv._kv_create(361, 446);
  assert.equal(setSpeed("nowhere"), 1);
  assert.equal(setSpeed("step"), 0);
  assert.equal(text("kv_speed"), "step");
  commandLine("var1 0");
  notes();
  const pending = run("inc var1 1\ninc var1 1\ninc var1 1");
  const variable = () => JSON.parse(text("kv_state_json")).variables[0];
  const settle = () => new Promise((resolve) => setTimeout(resolve, 20));
  const presses = [() => kv._kv_press_run(), () => kv._kv_step_key(), () => kv._kv_press_run()];
  for (const [line, press] of presses.entries()) {
    await settle();
    assert.equal(variable(), line, "the lit line has not run yet");
    assert.deepEqual(notes().filter((note) => note.note === "light"), [{ note: "light", line }]);
    assert.equal(press(), 0, "the waiting run takes the press; no new run starts");
  }
  assert.equal(await pending, 0);
  assert.equal(variable(), 3);
  assert.deepEqual(notes().filter((note) => note.note === "light"), [{ note: "light", line: null }]);
  assert.equal(kv._kv_press_run(), 1, "without a run, 実行 starts one");
  setSpeed("fastest");
});

test("a slow run pauses and a change of speed ends the pause", async () => {
  kv._kv_create(361, 446);
  setSpeed("slow");  // 200 ms before every line
  const started = performance.now();
  const pending = run("fd 1\nfd 1\nfd 1\nfd 1\nfd 1");
  await new Promise((resolve) => setTimeout(resolve, 50));
  setSpeed("fastest");
  assert.equal(await pending, 0);
  assert.ok(performance.now() - started < 5 * 200, "the run did not wait out its pauses");
  assert.equal(JSON.parse(text("kv_state_json")).y, 223 - 5);
});

// kurovel-run --check on a UTF-8 program: the verdict of its state.
function nativeCheck(programUtf8, exercise) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "kurovel-module-"));
  try {
    const program = path.join(folder, "program.kv");
    fs.writeFileSync(program, programUtf8);
    const state = path.join(folder, "state.json");
    spawnSync(nativeRun, ["--check", String(exercise), "--state", state, program]);
    const { check } = JSON.parse(fs.readFileSync(state, "utf8"));
    return { exercise: check.exercise, passed: check.passed, message: check.message };
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

test("答え合わせ gives kurovel-run's verdict on the window's drawing for the line's exercise", async () => {
  const cases = [
    ["repeat 5\nfd 100\nrt 72\nnext", 4, "課題４　　正５角形を描く"],
    ["repeat 5\nfd 100\nrt 72\nnext", 5, "課題5 正６角形"],
    ["repeat 4\nfd 300\nrt 90\nnext", 1, "課題１　　正方形を描く"],
    ["", 9, "課題９　　時計の目盛りを描く"],
  ];
  for (const [program, exercise, line] of cases) {
    kv._kv_create(361, 446);
    assert.equal(await run(program), 0);
    assert.equal(withString(line, (p) => kv._kv_exercise_on_line(p)), exercise);
    assert.deepEqual(JSON.parse(withString(line, (p) => kv.UTF8ToString(kv._kv_check_exercise(p)))),
                     nativeCheck(program, exercise), line);
  }
  assert.deepEqual(JSON.parse(withString("メモ", (p) => kv.UTF8ToString(kv._kv_check_exercise(p)))),
                   { exercise: 0, passed: false, message: "課題の行をクリックしてから、答え合わせをしてね" });
  assert.equal(withString("メモ", (p) => kv._kv_exercise_on_line(p)), 0);
});

test("the class report: rows for files that cannot be read or are too large, the window untouched", async () => {
  kv._kv_create(361, 446);
  await run("pd 4\nfd 30");
  const windowState = text("kv_state_json");
  assert.equal(withString("5-1", (p) => kv._kv_class_begin(p, 10)), 1, "no exercise 10");
  assert.equal(withString("5-1", (p) => kv._kv_class_begin(p, 2)), 0);
  const add = (name, bytes) => withString(name, (p) => withBytes(bytes, (b, n) => kv._kv_class_add(p, b, n)));
  assert.equal(add("gone.kv", null), 0);
  assert.equal(add("big.kv", new Uint8Array(kv._kv_class_max_file_bytes() + 1).fill(0x61)), 0);
  assert.equal(add("tri.kv", Buffer.from("repeat 3\nfd 90\nrt 120\nnext\n")), 1);
  assert.deepEqual([kv._kv_class_drawing_width(), kv._kv_class_drawing_height()], [361, 446]);
  const csv = buffer(kv._kv_class_csv(), kv._kv_class_text_size()).toString();
  assert.deepEqual(csv.split("\r\n"), [
    "\uFEFF\"ファイル\",\"実行\",\"実行の詳細\",\"判定\",\"判定の言葉\",\"命令の数\"",
    "\"big.kv\",\"プログラムではありません\",\"ファイルが大きすぎます\",\"\",\"\",\"0\"",
    "\"gone.kv\",\"読めません\",\"ファイルを読めません\",\"\",\"\",\"0\"",
    "\"tri.kv\",\"最後まで実行\",\"\",\"合格\",\"できました！　正三角形です（１辺 90）\",\"6\"",
    "",
  ]);
  assert.equal(text("kv_class_summary"), "3 本中 1 本が合格（課題２　正三角形）");
  assert.equal(text("kv_state_json"), windowState, "the pupil's window is untouched");
});
