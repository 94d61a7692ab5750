// The main window: wires the controls to the module, the files and the boxes.
import { loadEngine, RunResult } from "./engine.js";
import { createCanvasView } from "./canvas_view.js";
import { createDialogs } from "./dialogs.js";
import { createHelpWindow } from "./help_window.js";
import { createInsertionMenu } from "./insertion_menu.js";
import { loadDraft, saveDraft } from "./draft_store.js";
import * as files from "./file_io.js";

const PROGRAM_TYPES = [{ description: "Original Files", accept: { "text/plain": [".kv"] } }];
const PICTURE_TYPES = [{ description: "ビットマップ", accept: { "image/bmp": [".bmp"] } }];
const UNSAVED_MARK = "（未保存）";
const RESIZE_SETTLE_MS = 100;

const $ = (id) => document.getElementById(id);
const texts = await (await fetch(new URL("../texts.json", import.meta.url))).json();
const dialogs = createDialogs(texts);
const drawingArea = $("drawing-area");
const canvasElement = $("PaintBox1");
const commandBox = $("Edit1");
const editor = $("Memo1");
const runButton = $("Button6");
const stopButton = $("Button7");

const initial = { width: Math.max(1, drawingArea.clientWidth), height: Math.max(1, drawingArea.clientHeight) };
const engine = await loadEngine(initial.width, initial.height);
const view = createCanvasView(drawingArea, canvasElement, engine);
view.adoptSurfaceSize();
const help = createHelpWindow(texts);
createInsertionMenu(editor, texts.menuItems, { onError: (text) => dialogs.error(text),
                                                clipboardUnavailable: texts.clipboardUnavailable });

// --- the program document: current file, modified flag, caption -----------------
const documentState = { fileName: "", handle: null, modified: false, restored: false };
let lastSaveName = "";

function showCaption() {
  const base = engine.caption(documentState.fileName);
  const caption = documentState.restored ? `${base} ${UNSAVED_MARK}` : base;
  $("caption").textContent = caption;
  document.title = caption;
}
function keepDraft() {
  saveDraft({ text: editor.value, fileName: documentState.fileName, modified: documentState.modified });
}
function setDocument({ text = editor.value, fileName = documentState.fileName, handle = documentState.handle,
                       modified = false }) {
  if (text !== editor.value) editor.value = text;
  Object.assign(documentState, { fileName, handle, modified, restored: false });
  showCaption();
  keepDraft();
}
editor.addEventListener("input", () => {
  documentState.modified = true;
  keepDraft();
});
window.addEventListener("beforeunload", (event) => {
  if (!documentState.modified) return;
  event.preventDefault();
  event.returnValue = "";
});

const draft = loadDraft();
if (draft) {
  editor.value = draft.text;
  Object.assign(documentState, { fileName: draft.fileName ?? "", modified: !!draft.modified,
                                 restored: !!draft.modified });
}
showCaption();

// Reports an error from a call to the module; true when there was none.
async function reported(outcome) {
  if (outcome.error !== undefined) await dialogs.error(outcome.error);
  view.requestPaint();
  return outcome.error === undefined;
}

// --- running ------------------------------------------------------------------
function setRunning(running) {
  runButton.disabled = running;
  stopButton.disabled = !running;
}

async function runProgram() {
  if (engine.running()) return;
  setRunning(true);
  view.paintWhile(() => engine.running());
  const { result, message } = await engine.run(editor.value);
  setRunning(false);
  view.requestPaint();
  if (result === RunResult.unbalanced) await dialogs.message(texts.runWarningCaption, message);
  else if (result === RunResult.error) await dialogs.error(message);
}

commandBox.addEventListener("keydown", (event) => {
  // Enter that confirms an input method's composition is not a command.
  if (event.key !== "Enter" || event.isComposing || event.keyCode === 229) return;
  // The key must not go on to press the OK button of the error box it may open.
  event.preventDefault();
  reported(engine.commandLine(commandBox.value));
});

// --- program files --------------------------------------------------------------
async function discardChangesAllowed() {
  return !documentState.modified || dialogs.okCancel(texts.warningCaption, texts.warningDiscard);
}

const cannotOpen = (name) => texts.cannotOpen.replace("%1", name);
const cannotCreate = (name) => texts.cannotCreate.replace("%1", name);

async function loadProgram(picked) {
  if (!picked.bytes) return dialogs.error(cannotOpen(picked.name));
  const { text, encoding } = engine.readProgram(picked.bytes);
  const normalized = text.replace(/\r\n?/g, "\n");
  // A file whose text the editor already holds leaves the modified flag alone.
  const modified = normalized === editor.value ? documentState.modified : false;
  setDocument({ text: normalized, fileName: picked.name, handle: picked.handle, modified });
  if (texts.readAsNotice[encoding]) await dialogs.notice(texts.readAsNotice[encoding]);
}

async function openProgram() {
  if (!(await discardChangesAllowed())) return;
  const picked = files.hasFileSystemAccess() ? await files.pickWithHandle(PROGRAM_TYPES)
                                             : await files.pickWithInput($("program-file"));
  if (picked) await loadProgram(picked);
}

// Writes the editor's text; false when nothing was written.
async function writeProgram(name, handle) {
  const encoded = engine.writeProgram(editor.value);
  if (!encoded.ok) {
    await dialogs.error(encoded.error);
    return false;
  }
  if (handle) {
    if (!(await files.writeHandle(handle, encoded.bytes))) {
      await dialogs.error(cannotCreate(name));
      return false;
    }
  } else {
    files.download(name, encoded.bytes, "text/plain");
  }
  return true;
}

async function saveProgramAs() {
  const suggested = documentState.fileName || lastSaveName;
  let name;
  let handle = null;
  if (files.hasFileSystemAccess()) {
    handle = await files.chooseSaveHandle(suggested || undefined, PROGRAM_TYPES);
    if (!handle) return false;
    name = handle.name;
  } else {
    const typed = await dialogs.fileName(texts.applicationTitle, suggested);
    if (!typed) return false;
    name = files.withExtension(typed, "kv");
  }
  lastSaveName = name;
  if (!(await writeProgram(name, handle))) return false;
  setDocument({ fileName: name, handle, modified: false });
  return true;
}

async function saveProgram() {
  if (!documentState.fileName) return saveProgramAs();
  if (!(await writeProgram(documentState.fileName, documentState.handle))) return false;
  setDocument({ modified: false });
  return true;
}

async function newProgram() {
  if (!(await discardChangesAllowed())) return;
  setDocument({ text: "", fileName: "", handle: null, modified: false });
  engine.forgetBackground();
  view.requestPaint();
}

async function quit() {
  if (documentState.modified) {
    const answer = await dialogs.yesNoCancel(texts.warningCaption, texts.warningSave);
    if (answer === "cancel") return;
    if (answer === "yes" && !(await saveProgram()) && documentState.fileName) return;
  }
  // Whatever the answer, the draft is no longer a change to keep.
  documentState.modified = false;
  keepDraft();
  window.close();
}

// --- pictures -------------------------------------------------------------------
async function loadBackground() {
  const picked = files.hasFileSystemAccess() ? await files.pickWithHandle(PICTURE_TYPES)
                                             : await files.pickWithInput($("picture-file"));
  if (!picked) return;
  if (!picked.bytes) return dialogs.error(cannotOpen(picked.name));
  await reported(engine.loadBackground(picked.bytes));
}

let pictureName = "";
async function savePicture() {
  const picture = engine.savePicture();  // the snapshot comes before the dialog
  if (!picture.ok) return dialogs.error(picture.error);
  if (files.hasFileSystemAccess()) {
    const handle = await files.chooseSaveHandle(pictureName || undefined, PICTURE_TYPES);
    if (!handle) return;
    pictureName = handle.name;
    if (!(await files.writeHandle(handle, picture.bytes))) await dialogs.error(cannotCreate(handle.name));
    return;
  }
  const typed = await dialogs.fileName(texts.applicationTitle, pictureName);
  if (!typed) return;
  pictureName = files.withExtension(typed, "bmp");
  files.download(pictureName, picture.bytes, "image/bmp");
}

// --- dropped files ----------------------------------------------------------------
document.addEventListener("dragover", (event) => event.preventDefault());
document.addEventListener("drop", async (event) => {
  event.preventDefault();
  const dropped = [...(event.dataTransfer?.files ?? [])];
  const request = engine.dropRequest(dropped.map((file) => file.name));
  if (request === "oneFileOnly") return dialogs.notice(texts.dropOneFile);
  if (request !== "open") return;
  // Unsaved changes are never thrown away unasked, as with 呼出.
  if (!(await discardChangesAllowed())) return;
  const [file] = dropped;
  let bytes = null;
  try { bytes = new Uint8Array(await file.arrayBuffer()); } catch { /* reported below */ }
  await loadProgram({ name: file.name, bytes, handle: null });
});

// --- the drawing area follows the window ---------------------------------------
let resizeTimer = 0;
new ResizeObserver(() => {
  clearTimeout(resizeTimer);
  resizeTimer = setTimeout(async () => {
    const { width, height } = view.containerSize();
    if (width === engine.width() && height === engine.height()) return;
    const outcome = engine.resize(width, height);
    view.adoptSurfaceSize();
    await reported(outcome);
  }, RESIZE_SETTLE_MS);
}).observe(drawingArea);

// --- menus ------------------------------------------------------------------------
function closeMenus() {
  for (const opener of document.querySelectorAll(".menubar [aria-haspopup]")) {
    opener.setAttribute("aria-expanded", "false");
    opener.nextElementSibling.hidden = true;
  }
}
for (const opener of document.querySelectorAll(".menubar [aria-haspopup]")) {
  const dropdown = opener.nextElementSibling;
  opener.addEventListener("click", () => {
    const open = dropdown.hidden;
    closeMenus();
    dropdown.hidden = !open;
    opener.setAttribute("aria-expanded", String(open));
    if (open) dropdown.querySelector("button").focus();
  });
  dropdown.addEventListener("keydown", (event) => {
    const items = [...dropdown.querySelectorAll("button")];
    const step = { ArrowDown: 1, ArrowUp: -1 }[event.key];
    if (step) {
      items[(items.indexOf(event.target) + step + items.length) % items.length].focus();
      event.preventDefault();
    } else if (event.key === "Escape") {
      closeMenus();
      opener.focus();
    }
  });
  dropdown.addEventListener("click", closeMenus);
}
document.addEventListener("pointerdown", (event) => { if (!event.target.closest(".menu")) closeMenus(); });

const handlers = {
  Button6: runProgram,
  Button7: () => engine.stop(),
  Button4: () => reported(engine.clearScreen()),
  Button2: openProgram, K1: openProgram,
  Button3: saveProgramAs, K3: saveProgramAs,
  K2: saveProgram,
  K7: newProgram,
  N2: savePicture,
  N15: loadBackground,
  Button1: quit, quit1: quit,
  Button5: () => help.show(), K5: () => help.show(),
};
for (const [id, handler] of Object.entries(handlers)) $(id).addEventListener("click", handler);

setRunning(false);
view.requestPaint();
$("loading").hidden = true;
document.body.dataset.ready = "true";
commandBox.focus();

if ("serviceWorker" in navigator && location.protocol !== "file:") {
  navigator.serviceWorker.register(new URL("../sw.js", import.meta.url)).catch(() => { /* offline use only */ });
}
