#pragma once
// Kurovel in the browser: the C API of the WebAssembly module (kurovel.js +
// kurovel.wasm, an ES6 module whose default export is the module factory).
//
// One program window at a time (controllers/program_window.h): the session on a
// drawing surface, the document, picture and run controllers. The page passes its
// events in and does what the controllers ask:
//
// - A flow (open, save, close, drop ...) asks for one thing at a time. The event
//   that starts it returns 1 when a request waits; kv_request_* describe it, and
//   kv_answer gives the page's reply and returns 1 while a further request waits.
//   The page answers after an await; nothing of the module is suspended meanwhile.
// - What the run and the handlers without a flow show (the buttons' states, the
//   running line, a failed line, boxes with one OK button, the chosen speed) is
//   queued as notes; kv_take_notes hands them over in order.
//
// Names cross as strings: request kinds ("ask", "showMessage", "chooseFile",
// "readFile", "writeFile", "getEditorText", "setEditorText", "showCaption",
// "beginProgress", "endProgress", "bringToFront", "closeWindow"), answers ("done",
// "ok", "cancel", "yes", "no", "failed"), message kinds ("error", "warning",
// "notice"), question buttons ("okCancel", "yesNoCancel"), file dialogs
// ("openProgram", "saveProgram", "openPicture", "savePicture") and the speeds'
// keys of controllers/run_speed.h. Strings go in and out as UTF-8; a returned
// `const char*` stays valid until the next call that returns a string.
//
// Call every function directly (kv._kv_open() ...) except kv_run: a run gives the
// browser its turn every few milliseconds through Asyncify, so kv_run is called
// with ccall(..., {async: true}) and its promise settles when the run has ended.
// While it is pending every other function may be called, but never through
// ccall, which would wait for the run and take over its promise:
//
//   const size = kv.lengthBytesUTF8(line) + 1, p = kv._malloc(size);
//   kv.stringToUTF8(line, p, size);
//   const failed = kv._kv_command_line(p);
//   kv._free(p);
//
// A run waits in three places, each an await of the module's JavaScript: its
// turn (a message the module posts to itself), a pause of a slow speed, and the
// wait for the next line of 1行ずつ. After each, it also awaits
// `Module.afterTurn()` when the page has set it (the page waits there while one of
// its boxes is open, so a run holds still under a box as it does on the desktop).
//
// The pixels: call kv_take_dirty(rect) (e.g. in requestAnimationFrame); when it
// returns 1, rect holds {x, y, width, height} changed in the RGBA copy at
// kv_pixels() (kv_width() pixels a row; read the heap again after every call:
// memory growth replaces its buffer).

#include <cstdint>

extern "C" {

// Results of kv_run.
enum KvRunResult {
  kKvFinished = 0,    // every line ran (or the program was empty)
  kKvStopped = 1,     // 中断 ended it
  kKvUnbalanced = 2,  // repeat/next did not pair up; nothing ran; a warning note says so
  kKvError = 3,       // an error ended the run; an error note, then a select note
};

// --- the window and its surface ----------------------------------------------
// A new window on a white width x height surface (each clamped to 1..16384): the
// start state and the first repaint, no file, nothing modified. Returns 0, or 1
// while a run is pending (nothing changes then).
int kv_create(int width, int height);
// The drawing area was resized: the surface takes the new size, the repaint clears
// it, puts the turtle at the centre and lays the remembered background. Returns 1
// when an error box was queued (the background could not be laid), else 0.
int kv_resize(int width, int height);
int kv_width(void);
int kv_height(void);
const std::uint8_t* kv_pixels(void);
// Copies the pixels changed since the last call into kv_pixels() and writes their
// bounding box into rect[0..3]. Returns 1 when something changed, else 0.
int kv_take_dirty(int* rect);
// 画面消去: the surface cleared, the turtle centred, the remembered background laid.
// Returns 1 when an error box was queued, else 0.
int kv_clear_screen(void);

// --- notes ------------------------------------------------------------------------
// The notes queued since the last call, as a JSON array, oldest first:
//   {"note": "buttons", "run": bool, "stop": bool}   whether 実行 and 中断 can be pressed
//   {"note": "light", "line": n | null}             the running line (from 0), or none
//   {"note": "select", "line": n}                   the failed line, after its error box
//   {"note": "message", "kind": ..., "caption": ..., "text": ...}   a box with OK
//   {"note": "speed", "speed": key}                 the speed chosen
const char* kv_take_notes(void);

// --- flows ------------------------------------------------------------------------
// Each starts a flow and returns 1 when it waits for a request, 0 when it has
// ended (or was dropped: an event that comes while a flow waits does nothing).
int kv_open(void);
int kv_new(void);
int kv_save(void);
int kv_save_as(void);
// 終了 and leaving the page: asks to save unsaved changes; ends with "closeWindow".
int kv_close(void);
// Files dropped on the page (their names joined by "\n", count of them).
int kv_drop(const char* names_utf8, int count);
// A kept draft after a reload: the editor shows it under that file name, with that
// modified flag.
int kv_restore(const char* text_utf8, const char* file_name_utf8, int modified);
// A program from a shared link, as the page read the link: outcome "program" with
// the text (size bytes of UTF-8, which may hold NUL), or "damaged" or "tooLong"
// (an unknown outcome counts as damaged). Asks as 呼出 does before unsaved changes
// are lost; the editor then shows the text as a program not yet saved. Nothing runs.
int kv_open_shared(const char* outcome, const char* text_utf8, int size);
// 背景を読み込む: answer the picture dialog with a name given to kv_keep_picture.
int kv_load_background(void);
// 名前を付けて作品を保存.
int kv_save_picture(void);

// The request a flow waits on (empty strings and 0 when none).
const char* kv_request_kind(void);
const char* kv_request_caption(void);
// The text: a question's or box's text, a path, the editor's new text, the caption.
const std::uint8_t* kv_request_text(void);
int kv_request_text_size(void);
// A file's bytes to write.
const std::uint8_t* kv_request_bytes(void);
int kv_request_bytes_size(void);
const char* kv_request_buttons(void);
const char* kv_request_message(void);
const char* kv_request_dialog(void);
const char* kv_request_filter(void);
const char* kv_request_default_extension(void);
// readFile: the page answers with at most this many bytes plus one.
double kv_request_max_bytes(void);
// The page's reply to the request: an answer name, a text (a chosen path, the
// editor's text) and bytes (a file's first bytes). Returns 1 when a further request
// waits, 0 when the flow has ended.
int kv_answer(const char* answer, const char* text_utf8, const std::uint8_t* bytes, int size);

// A chosen picture's bytes, kept in the module's file system under name (no "/"),
// for the picture dialog's answer and the repaints after it. bytes NULL: the file
// could not be read, and an older copy of that name is removed. Returns 1 when the
// name cannot be used, else 0.
int kv_keep_picture(const char* name_utf8, const std::uint8_t* bytes, int size);

// --- the document ----------------------------------------------------------------
// The user changed the editor's text.
void kv_editor_changed(void);
int kv_modified(void);
// 1 while the program has changes that are neither saved nor given up at a close:
// the page keeps them as a draft and asks before the page is left.
int kv_unsaved_work(void);
const char* kv_file_name(void);
const char* kv_caption(void);

// --- running ---------------------------------------------------------------------
// 実行 with the editor's text (lines separated by "\n"; "\r\n" is accepted).
// Returns a KvRunResult, or -1 when a run is pending. Call with {async: true}.
int kv_run(const char* program_utf8);
// 実行 pressed: while a run waits for its next line it runs that line, and 0 is
// returned. Returns 1 when the page is to start a run with kv_run, else 0.
int kv_press_run(void);
// The step key (F8): as kv_press_run while 実行 can be pressed, else nothing (0).
int kv_step_key(void);
// 中断: the run executes no further line and any wait ends.
void kv_stop(void);
// Enter in the command box: the line runs now, also between two commands of a
// pending run. Returns 1 when an error ended it (an error note is queued), else 0.
int kv_command_line(const char* line_utf8);
// A speed by its key; returns 1 for an unknown key (nothing changes), else 0.
int kv_set_speed(const char* key);
const char* kv_speed(void);
// 1 while a kv_run has not returned.
int kv_running(void);

// --- what a run leaves -------------------------------------------------------------
// The state as JSON, exactly as `kurovel-run --state` writes it (outcome and
// messages from the last kv_run, or from the command-box lines since then).
const char* kv_state_json(void);
// The normalised lines of the last run (or of the command-box lines since), "\n" between.
const char* kv_normalized(void);
// The trace lines, joined by "\n".
const char* kv_trace(void);
// What is drawn, told in words for a screen reader (controllers/drawing_description.h).
const char* kv_drawing_description(void);

// --- 答え合わせ ----------------------------------------------------------------------
// The verdict on the drawing since the last clear screen for the exercise that the
// selected line of the exercise list names, as JSON:
//   {"exercise": n (0 when the line names none), "passed": bool, "message": "..."}
// or "null" when the check failed (an error note is queued).
const char* kv_check_exercise(const char* selected_line_utf8);
// The number of the exercise a line of the exercise list names, or 0.
int kv_exercise_on_line(const char* line_utf8);

// --- the class report ----------------------------------------------------------------
// A teacher's report on a class's program files, as kurovel-class makes it: each
// file runs in a fresh session of its own on a surface of kurovel-class's default
// size, within its default limits (commands and time), so the pupil's drawing is
// untouched. The page calls these from a worker (js/class_worker.js), one file at
// a time, and encodes each drawing as PNG itself.
//
// Starts a new report: the folder's name as the report shows it, and the exercise
// to check (1 to 9; 0 for none). Returns 1 for an exercise number out of range
// (nothing is started), else 0.
int kv_class_begin(const char* folder_utf8, int exercise);
// The page reads at most this many bytes of a file plus one.
double kv_class_max_file_bytes(void);
// Adds a file's row: its name and bytes (NULL: the file could not be read). Returns
// 1 when the run left a drawing, which kv_class_drawing_* then describe, else 0.
int kv_class_add(const char* name_utf8, const std::uint8_t* bytes, int size);
int kv_class_drawing_width(void);
int kv_class_drawing_height(void);
// The drawing as RGBA bytes, kv_class_drawing_width() pixels a row.
const std::uint8_t* kv_class_drawing_rgba(void);
// The PNG bytes of the last added row's drawing.
void kv_class_set_png(const std::uint8_t* bytes, int size);
// The report as one HTML file, its CSV (UTF-8 with a byte order mark) and its
// summary line; kv_class_text_size() gives the size in bytes of the last of them.
const char* kv_class_html(void);
const char* kv_class_csv(void);
const char* kv_class_summary(void);
int kv_class_text_size(void);

}  // extern "C"
