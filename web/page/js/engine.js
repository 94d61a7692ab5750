// The WebAssembly module (web/module/kurovel_web.h) behind a small JavaScript
// interface: strings in and out as JavaScript strings, file contents as
// Uint8Array, a flow's requests as plain objects.
//
// Every export is called directly. A run may be suspended meanwhile, and ccall
// would then wait for the run and take over its promise; only kv_run itself goes
// through ccall, with {async: true}.

import { createHeap } from "./module_heap.js";

export const RunResult = Object.freeze({ finished: 0, stopped: 1, unbalanced: 2, error: 3 });

export function createEngine(kv, width, height) {
  const { stringIn, withStrings, withBytes, string, textAt, bytesAt } = createHeap(kv);
  const rect = kv._malloc(16);

  // The request the flow waits on, or null when it has ended.
  function request(waiting) {
    if (!waiting) return null;
    const kind = string(kv._kv_request_kind());
    return {
      kind,
      caption: string(kv._kv_request_caption()),
      text: textAt(kv._kv_request_text(), kv._kv_request_text_size()),
      bytes: kind === "writeFile" ? bytesAt(kv._kv_request_bytes(), kv._kv_request_bytes_size()) : null,
      buttons: string(kv._kv_request_buttons()),
      message: string(kv._kv_request_message()),
      dialog: string(kv._kv_request_dialog()),
      filter: string(kv._kv_request_filter()),
      defaultExtension: string(kv._kv_request_default_extension()),
      maxBytes: kv._kv_request_max_bytes(),
    };
  }

  kv._kv_create(width, height);

  return {
    width: () => kv._kv_width(),
    height: () => kv._kv_height(),
    resize: (w, h) => kv._kv_resize(w, h),
    clearScreen: () => kv._kv_clear_screen(),
    // The pixels changed since the last call, brought into image(): {x, y, w, h} or null.
    takeDirty() {
      if (!kv._kv_take_dirty(rect)) return null;
      const [x, y, w, h] = new Int32Array(kv.HEAP32.buffer, rect, 4);
      return { x, y, w, h };
    },
    // The whole surface as last brought in by takeDirty. The view is made anew
    // each time: memory growth replaces the heap's buffer.
    image() {
      const surfaceWidth = kv._kv_width();
      const rgba = new Uint8ClampedArray(kv.HEAPU8.buffer, kv._kv_pixels(), surfaceWidth * kv._kv_height() * 4);
      return new ImageData(rgba, surfaceWidth);
    },
    // What the run and the handlers without a flow show, in order.
    takeNotes: () => JSON.parse(string(kv._kv_take_notes())),

    // Flows: each gives its first request, or null.
    open: () => request(kv._kv_open()),
    newProgram: () => request(kv._kv_new()),
    save: () => request(kv._kv_save()),
    saveAs: () => request(kv._kv_save_as()),
    close: () => request(kv._kv_close()),
    loadBackground: () => request(kv._kv_load_background()),
    savePicture: () => request(kv._kv_save_picture()),
    drop: (names) => request(withStrings([names.join("\n")], (p) => kv._kv_drop(p, names.length))),
    restore: ({ text, fileName, modified }) =>
      request(withStrings([text, String(fileName ?? "")], (t, f) => kv._kv_restore(t, f, modified ? 1 : 0))),
    // A shared link as read (share_link.js): outcome "program" with its text, or
    // "damaged" or "tooLong". The text crosses with its size, NUL characters and all.
    openShared: ({ outcome, text = "" }) =>
      request(withStrings([outcome, text], (o, t) => kv._kv_open_shared(o, t, kv.lengthBytesUTF8(text)))),
    // The reply to the request: { answer, text, bytes }; gives the next request, or null.
    answer: ({ answer = "done", text = "", bytes = null }) =>
      request(withStrings([answer, text], (a, t) => withBytes(bytes, (b, n) => kv._kv_answer(a, t, b, n)))),
    // A chosen picture's bytes under its name (null: it could not be read); false
    // when the name cannot be used.
    keepPicture: (name, bytes) => withStrings([name], (p) => withBytes(bytes, (b, n) => kv._kv_keep_picture(p, b, n))) === 0,

    editorChanged: () => kv._kv_editor_changed(),
    // Changes neither saved nor given up at a close: kept as the draft.
    unsavedWork: () => kv._kv_unsaved_work() !== 0,
    fileName: () => string(kv._kv_file_name()),
    // What is drawn, in words for screen readers.
    drawingDescription: () => string(kv._kv_drawing_description()),
    caption: () => string(kv._kv_caption()),

    // 実行: a KvRunResult once the run has ended.
    async run(program) {
      const pointer = stringIn(program);
      try {
        return await kv.ccall("kv_run", "number", ["number"], [pointer], { async: true });
      } finally {
        kv._free(pointer);
      }
    },
    // 実行 pressed and the step key: true when a run is to be started.
    pressRun: () => kv._kv_press_run() !== 0,
    stepKey: () => kv._kv_step_key() !== 0,
    stop: () => kv._kv_stop(),
    // Enter in the command box; false when an error ended the line.
    commandLine: (line) => withStrings([line], (p) => kv._kv_command_line(p)) === 0,
    setSpeed: (key) => withStrings([key], (p) => kv._kv_set_speed(p)) === 0,
    running: () => kv._kv_running() !== 0,
    // 答え合わせ: the verdict on the drawing for the exercise the selected line of
    // the exercise list names, { exercise, passed, message }, or null when the
    // check failed (an error note says why).
    checkExercise: (line) => JSON.parse(withStrings([line], (p) => string(kv._kv_check_exercise(p)))),
    // The number of the exercise a line of the list names, or 0.
    exerciseOnLine: (line) => withStrings([line], (p) => kv._kv_exercise_on_line(p)),
    // Waits of a run end with this (the page holds the run there while a box is open).
    set afterTurn(hook) { kv.afterTurn = hook; },
  };
}
