#pragma once
// Kurovel in the browser: the C API of the WebAssembly module (kurovel.js +
// kurovel.wasm, an ES6 module whose default export is the module factory).
//
// One session at a time. Strings go in and out as UTF-8; a returned `const char*`
// stays valid until the next call that returns a string. Byte results (program
// files, pictures) are left in one buffer: kv_buffer() / kv_buffer_size().
//
// From JavaScript:
//
//   import KurovelModule from "./kurovel.js";
//   const kv = await KurovelModule();
//   kv.ccall("kv_create", "number", ["number", "number"], [361, 446]);
//   const rect = kv._malloc(16);
//   function paint() {                     // e.g. in requestAnimationFrame
//     if (!kv._kv_take_dirty(rect)) return;
//     const [x, y, w, h] = new Int32Array(kv.HEAP32.buffer, rect, 4);
//     // read the view again after every call: memory growth replaces the buffer
//     const rgba = new Uint8ClampedArray(kv.HEAPU8.buffer, kv._kv_pixels(),
//                                        kv._kv_width() * kv._kv_height() * 4);
//     ctx.putImageData(new ImageData(rgba, kv._kv_width()), 0, 0, x, y, w, h);
//   }
//   const status = await kv.ccall("kv_run", "number", ["string"], [editorText], {async: true});
//
// A run gives the browser its turn every few milliseconds, so kv_run must be
// called with {async: true}; its promise settles when the run has ended. While a
// run is pending, kv_stop, kv_command_line, kv_running and the pixel and state
// functions may be called, never kv_run itself (it returns -1 then). Call them
// directly, not through ccall, which would wait for the pending run:
//
//   kv._kv_stop();
//   const size = kv.lengthBytesUTF8(line) + 1, p = kv._malloc(size);
//   kv.stringToUTF8(line, p, size);
//   const status = kv._kv_command_line(p);
//   kv._free(p);
//
// Byte arguments (kv_read_program, kv_load_background) are copied the same way:
// p = kv._malloc(n); kv.HEAPU8.set(bytes, p); ...; kv._free(p).

#include <cstdint>

extern "C" {

// Run results of kv_run.
enum KvRunResult {
  kKvFinished = 0,    // every line ran (or the program was empty)
  kKvStopped = 1,     // kv_stop ended it
  kKvUnbalanced = 2,  // repeat/next did not pair up; nothing ran; kv_message() has the warning
  kKvError = 3,       // an error ended the run; kv_message() has the error box text
};

// --- the session and its surface ---------------------------------------------
// A new session on a white width x height surface (each clamped to 1..16384):
// the start state (turtle at its start values, variables 10, trace empty) and the
// first repaint. Any earlier session and its remembered background are dropped.
// Returns 0, or 1 while a run is pending (nothing changes then).
int kv_create(int width, int height);
// The drawing area was resized: the surface takes the new size, the repaint clears
// it, puts the turtle at the centre and lays the remembered background, as the
// desktop does after a resize. Returns 0, or 1 when laying the background failed
// (kv_message() has the error box text; the background is forgotten).
int kv_resize(int width, int height);
int kv_width(void);
int kv_height(void);
// RGBA bytes, 4 a pixel, kv_width() a row, top row first. Refreshed from the
// drawing by kv_take_dirty (only the dirty rectangle is copied).
const std::uint8_t* kv_pixels(void);
// Copies the pixels changed since the last call into kv_pixels() and writes their
// bounding box as {x, y, width, height} into rect[0..3]. Returns 1 when something
// changed, 0 when nothing did (rect then holds zeros).
int kv_take_dirty(int* rect);

// --- running ---------------------------------------------------------------------
// One line of the command box followed by Enter. Returns 0, or 1 when an error
// ended the line (kv_message() has the error box text). Allowed during a run: the
// line runs between two commands of the run.
int kv_command_line(const char* line_utf8);
// The editor's text (lines separated by "\n"; "\r\n" is accepted) run as the Run
// button runs it. Returns a KvRunResult, or -1 when a run is pending. Call with
// {async: true}.
int kv_run(const char* program_utf8);
// Stop: the run executes no further line.
void kv_stop(void);
// 1 while a kv_run has not returned.
int kv_running(void);
// The message of the last failing call (error box or warning box text, UTF-8).
const char* kv_message(void);

// --- what a run leaves -------------------------------------------------------------
// The state as JSON, exactly as `kurovel-run --state` writes it (outcome and
// messages from the last kv_run, or from the command-box lines since then).
const char* kv_state_json(void);
// The normalised lines of the last run, joined by "\n".
const char* kv_normalized(void);
// The trace lines, joined by "\n".
const char* kv_trace(void);

// --- files (the page does the file dialogs) --------------------------------------
// The editor text of a program file's bytes, as the desktop's loader shows it
// (Shift-JIS, UTF-8 or UTF-16 by detection; undecodable bytes as U+FFFD); NULL
// for a file over 64 MiB (kv_message()). The lines of a Shift-JIS file are kept,
// so that kv_write_program writes unchanged lines with their own bytes.
const char* kv_read_program(const std::uint8_t* bytes, int size);
// How the last kv_read_program read its file: "shift_jis", "utf-8", "utf-16le" or
// "utf-16be".
const char* kv_program_encoding(void);
// The file bytes of an editor text: Shift-JIS with CR LF between lines, in
// kv_buffer(). Returns 0, or 1 when a character has no Shift-JIS form (kv_message()
// has the desktop's refusal, naming the line and the character).
int kv_write_program(const char* text_utf8);
// Load background on a BMP file's bytes: remembered and laid under the arrow.
// Returns 0, or 1 when it is no valid bitmap (kv_message(); the surface is unchanged).
int kv_load_background(const std::uint8_t* bytes, int size);
// Clear screen: the surface cleared, the turtle centred, the remembered background
// laid. Returns 0, or 1 as kv_resize.
int kv_clear_screen(void);
// New program: the remembered background and the lines of the program file last
// read are forgotten, and the screen is cleared.
void kv_forget_background(void);
// Save picture: the drawing as 24-bit BMP bytes in kv_buffer(). Returns 0, or 1
// when the surface is too narrow or empty (kv_message()).
int kv_save_picture(void);

// The window's caption while file_name_utf8 (empty: none) is the program shown.
const char* kv_caption(const char* file_name_utf8);
// What dropping these files asks for (names joined by "\n", count of them):
// 0 nothing, 1 open the program, 2 say that one file is dropped at a time.
int kv_drop_request(const char* names_utf8, int count);

// The bytes of the last kv_write_program or kv_save_picture.
const std::uint8_t* kv_buffer(void);
int kv_buffer_size(void);

}  // extern "C"
