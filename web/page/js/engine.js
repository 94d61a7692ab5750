// The WebAssembly module behind a small JavaScript interface: strings in and
// out as JavaScript strings, file contents as Uint8Array.
import KurovelModule from "../kurovel.js";

export const RunResult = Object.freeze({ finished: 0, stopped: 1, unbalanced: 2, error: 3 });
const DROP_REQUESTS = ["nothing", "open", "oneFileOnly"];

export async function loadEngine(width, height) {
  const kv = await KurovelModule();
  const rect = kv._malloc(16);

  // Copies bytes into the module's heap for one call.
  function withBytes(bytes, call) {
    const pointer = kv._malloc(Math.max(1, bytes.length));
    try {
      kv.HEAPU8.set(bytes, pointer);
      return call(pointer, bytes.length);
    } finally {
      kv._free(pointer);
    }
  }
  const takeBuffer = () => kv.HEAPU8.slice(kv._kv_buffer(), kv._kv_buffer() + kv._kv_buffer_size());
  const message = () => kv.UTF8ToString(kv._kv_message());
  // A failing call gives { error: text }; a good one { ok: true, ...result }.
  const outcome = (failed, result = {}) => (failed ? { error: message() } : { ok: true, ...result });

  kv._kv_create(width, height);

  return {
    width: () => kv._kv_width(),
    height: () => kv._kv_height(),
    resize: (w, h) => outcome(kv._kv_resize(w, h) !== 0),
    // The pixels changed since the last call, brought into image(): {x, y, w, h} or null.
    takeDirty() {
      if (!kv._kv_take_dirty(rect)) return null;
      const [x, y, w, h] = new Int32Array(kv.HEAP32.buffer, rect, 4);
      return { x, y, w, h };
    },
    // The whole surface as last brought in by takeDirty. The view is made anew
    // each time: memory growth replaces the heap's buffer.
    image() {
      const width = kv._kv_width();
      const rgba = new Uint8ClampedArray(kv.HEAPU8.buffer, kv._kv_pixels(), width * kv._kv_height() * 4);
      return new ImageData(rgba, width);
    },
    commandLine: (line) => outcome(kv.ccall("kv_command_line", "number", ["string"], [line]) !== 0),
    async run(program) {
      const result = await kv.ccall("kv_run", "number", ["string"], [program], { async: true });
      return { result, message: result >= RunResult.unbalanced ? message() : "" };
    },
    stop: () => kv._kv_stop(),
    running: () => kv._kv_running() !== 0,
    stateJson: () => kv.UTF8ToString(kv._kv_state_json()),
    readProgram(bytes) {
      const text = withBytes(bytes, (p, n) => kv.UTF8ToString(kv._kv_read_program(p, n)));
      return { text, encoding: kv.UTF8ToString(kv._kv_program_encoding()) };
    },
    writeProgram(text) {
      const failed = kv.ccall("kv_write_program", "number", ["string"], [text]) !== 0;
      return outcome(failed, failed ? {} : { bytes: takeBuffer() });
    },
    loadBackground: (bytes) => outcome(withBytes(bytes, (p, n) => kv._kv_load_background(p, n)) !== 0),
    clearScreen: () => outcome(kv._kv_clear_screen() !== 0),
    forgetBackground: () => kv._kv_forget_background(),
    caption: (fileName) => kv.ccall("kv_caption", "string", ["string"], [fileName]),
    // "nothing", "open" or "oneFileOnly" for dropped files of these names.
    dropRequest: (names) => DROP_REQUESTS[kv.ccall("kv_drop_request", "number", ["string", "number"],
                                                   [names.join("\n"), names.length])],
    savePicture() {
      const failed = kv._kv_save_picture() !== 0;
      return outcome(failed, failed ? {} : { bytes: takeBuffer() });
    },
  };
}
