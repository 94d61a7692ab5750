// The main window: wires the page's controls to the module's program window.
// Events go in; what the controllers ask for comes back as requests (requests.js)
// and notes (run_view.js).
import { createEngine } from "./engine.js";
import { createCanvasView } from "./canvas_view.js";
import { createDialogs, whenNoBoxOpen } from "./dialogs.js";
import { createDrawingDescription } from "./drawing_description.js";
import { createEditorLines } from "./editor_lines.js";
import { createHelpWindow } from "./help_window.js";
import { createInsertionMenu } from "./insertion_menu.js";
import { keepAboveKeyboard } from "./keyboard_room.js";
import { wireMenubar } from "./menubar.js";
import { createPictureExport } from "./picture_export.js";
import { createRequestPerformer } from "./requests.js";
import { createRunView } from "./run_view.js";
import { showShareDialog } from "./share_dialog.js";
import { makeLink, readLink, withoutLink } from "./share_link.js";
import { createSpeedMenu } from "./speed_menu.js";
import { openDrafts } from "./drafts.js";
import { pickDraft } from "./draft_picker.js";
import { showNotice } from "./notice.js";
import { PageTexts } from "./page_texts.js";
import { watchForUpdates } from "./updates.js";

const RESIZE_SETTLE_MS = 100;
const $ = (id) => document.getElementById(id);

export async function startWindow(kv, texts) {
  const drawingArea = $("drawing-area");
  const commandBox = $("command-box");
  const editor = $("program-editor");
  const runButton = $("run-button");
  const stopButton = $("stop-button");
  const statusLine = $("status-line");

  const engine = createEngine(kv, Math.max(1, drawingArea.clientWidth), Math.max(1, drawingArea.clientHeight));
  const dialogs = createDialogs(texts);
  const speedMenu = createSpeedMenu({ opener: $("speed-menu"), items: $("speed-items"), caption: texts.speedMenu,
                                      speeds: texts.speeds, onChoose: (key) => {
                                        engine.setSpeed(key);
                                        after();
                                      } });
  const runView = createRunView({ engine, dialogs, runButton, stopButton, speedMenu,
                                  editorLines: createEditorLines(editor, $("running-line")) });
  const canvas = createCanvasView(drawingArea, $("drawing-canvas"), engine, () => runView.take());
  const help = createHelpWindow(texts, {
    checkAnswer(line) {
      const verdict = engine.checkExercise(line);
      if (!verdict) after();  // the error box
      return verdict;
    },
    exerciseOnLine: engine.exerciseOnLine,
  });
  const insertion = createInsertionMenu(editor, texts.menuItems, { onError: (text) => dialogs.error(text),
                                                                   clipboardUnavailable: texts.clipboardUnavailable });
  wireMenubar(document.querySelector(".menubar"));
  const pictures = createPictureExport({ canvas: $("drawing-canvas"), dialogs, texts });
  const description = createDrawingDescription($("drawing-description"), engine);
  const keyboard = keepAboveKeyboard();

  // The tab's draft follows the program's unsaved work; when it cannot be kept,
  // the page says so once and offers 保存.
  const drafts = await openDrafts({ onFailure: (error) => showNotice({
    text: PageTexts.draftNotKept(error), urgent: true, actions: [{ caption: PageTexts.save, run: () => flow(engine.saveAs)() }],
  }) });
  const keepDraft = () => drafts.keep(engine.unsavedWork() ? { text: editor.value, fileName: engine.fileName() } : null);
  const showCaption = (caption) => {
    $("window-caption").textContent = caption;
    document.title = caption;
  };
  const requests = createRequestPerformer({
    engine, dialogs, texts, editor,
    pickerInputs: { openProgram: $("program-file"), openPicture: $("picture-file") },
    show: {
      caption: showCaption,
      progress: (text) => {
        statusLine.hidden = text === null;
        statusLine.textContent = text ?? "";
      },
      closing: () => window.close(),
    },
  });

  // After each event: what it queued is shown, the drawing's description and the
  // draft follow.
  function after() {
    runView.take();
    canvas.requestPaint();
    description.update();
    keepDraft();
  }
  // A flow started while another waits for its reply is dropped by the module, as
  // a click during a box is; flowUnderWay lets what must not be dropped wait.
  let flowUnderWay = Promise.resolve();
  const flow = (start) => async () => {
    const request = start();
    const driven = requests.drive(request);
    if (request) flowUnderWay = driven.catch(() => undefined);
    await driven;
    after();
  };
  async function run() {
    canvas.paintWhile(() => engine.running());
    const ended = engine.run(editor.value);
    runView.take();
    await ended;
    after();
  }

  engine.afterTurn = async () => {
    runView.take();
    await whenNoBoxOpen();
  };
  const remembered = speedMenu.remembered();
  if (!(remembered && engine.setSpeed(remembered))) engine.setSpeed("fastest");
  // A reload gets the tab's own draft back; a fresh tab offers those of closed tabs.
  const own = await drafts.own();
  if (own) await requests.drive(engine.restore({ ...own, modified: true }));
  else showCaption(engine.caption());
  canvas.adoptSurfaceSize();
  after();

  const clicks = {
    "run-button": () => engine.pressRun() && run(),
    "stop-button": () => engine.stop(),
    "clear-button": () => {
      engine.clearScreen();
      after();
    },
    "open-button": flow(engine.open), "open-item": flow(engine.open),
    "save-button": flow(engine.saveAs), "save-as-item": flow(engine.saveAs),
    "save-item": flow(engine.save),
    "new-item": flow(engine.newProgram),
    "save-picture-item": flow(engine.savePicture),
    "load-background-item": flow(engine.loadBackground),
    "quit-button": flow(engine.close), "quit-item": flow(engine.close),
    "help-button": () => help.show(), "help-item": () => help.show(),
    "insert-button": () => insertion.openFrom($("insert-button")),
    "save-png-item": () => pictures.savePng(),
    "print-item": () => pictures.print(),
    "share-item": async () => showShareDialog(await makeLink(editor.value, location.href, texts.shareLimits),
                                              texts.shareLimits),
  };
  for (const [id, handler] of Object.entries(clicks)) $(id).addEventListener("click", handler);

  commandBox.addEventListener("keydown", (event) => {
    // Enter that confirms an input method's composition is not a command.
    if (event.key !== "Enter" || event.isComposing || event.keyCode === 229) return;
    // The key must not go on to press the OK button of the error box it may open.
    event.preventDefault();
    engine.commandLine(commandBox.value);
    after();
  });
  document.addEventListener("keydown", (event) => {
    if (event.key !== "F8") return;
    event.preventDefault();
    if (engine.stepKey()) run();
  });
  editor.addEventListener("input", () => {
    engine.editorChanged();
    keepDraft();
  });
  window.addEventListener("beforeunload", (event) => {
    if (!engine.unsavedWork()) return;
    event.preventDefault();
    event.returnValue = "";
  });

  document.addEventListener("dragover", (event) => event.preventDefault());
  document.addEventListener("drop", (event) => {
    event.preventDefault();
    const dropped = [...(event.dataTransfer?.files ?? [])];
    requests.offer(dropped);
    flow(() => engine.drop(dropped.map((file) => file.name)))();
  });

  let resizeTimer = 0;
  new ResizeObserver(() => {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(() => {
      // An on-screen keyboard takes room for a while: the drawing stays as it is.
      if (keyboard.covered()) return;
      const { width, height } = canvas.containerSize();
      if (width === engine.width() && height === engine.height()) return;
      engine.resize(width, height);
      canvas.adoptSurfaceSize();
      after();
    }, RESIZE_SETTLE_MS);
  }).observe(drawingArea);

  // A link that carries a program puts it into the editor as 呼出 would (the
  // question first); the drafts of closed tabs are not offered then.
  async function openLink() {
    const shared = await readLink(location.href, texts.shareLimits);
    if (!shared) return false;
    history.replaceState(history.state, "", withoutLink(location.href));  // a reload opens it no more
    // A link followed while a box is closing waits for that flow to end: a box's
    // close event comes a task after the click that answered it.
    await flowUnderWay;
    flow(() => engine.openShared(shared))();
    return true;
  }
  window.addEventListener("hashchange", openLink);

  commandBox.focus();
  const linked = await openLink();
  if (!own && !linked) {
    pickDraft(await drafts.offered()).then((chosen) => chosen && drafts.take(chosen)).then((draft) => {
      if (draft) flow(() => engine.restore({ ...draft, modified: true }))();
    });
  }
  watchForUpdates(new URL("../sw.js", import.meta.url), (apply) => showNotice({
    text: PageTexts.updateReady, actions: [{ caption: PageTexts.reload, run: apply }],
  }));
}
