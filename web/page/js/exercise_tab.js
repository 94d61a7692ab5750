// The help window's exercise tab (サンプル課題): the list of exercises, in which
// the pupil picks one by putting the caret on its line (the line is marked, as
// on the desktop), 答え合わせ beside it with the verdict on the current drawing,
// and the class report: .kv files or a folder dropped onto the tab, or picked,
// shown as kurovel-class reports them, checked against the marked exercise.
import { make } from "./dom.js";
import { droppedPrograms, pickedPrograms, renderClass, showClassReport } from "./class_report.js";

// The page's own texts of the tab.
const Texts = Object.freeze({
  classGroup: "クラスのまとめ",
  pickFiles: "ファイルを選ぶ…",
  pickFolder: "フォルダーを選ぶ…",
  filesInput: "まとめる .kv ファイル",
  folderInput: "まとめるフォルダー",
  dropHint: ".kv ファイルやフォルダーをここにドロップすると、全員の絵を一覧にします",
  checkedWith: (line) => `（${line.trim().replace(/[\s\u3000]+/g, "　")} で答え合わせ）`,
  progress: (done, total) => `まとめています… ${done} / ${total}`,
  noPrograms: ".kv ファイルがありません",
  failed: (reason) => `まとめを作れませんでした（${reason}）`,
});

// The list with a band behind the selected line: a textarea cannot colour one of
// its lines, so it is transparent over a copy of its text that wraps alike.
function createExerciseList(texts, onSelect) {
  const frame = make("div", { class: "exercise-list" });
  const marks = make("div", { class: "exercise-marks", "aria-hidden": "true" });
  const list = make("textarea", { "aria-label": texts.exerciseTab, spellcheck: "false" });
  list.value = texts.exercises.join("\n");
  frame.append(marks, list);

  let selected = false;  // the pupil has put the caret into the list
  const lines = () => list.value.split("\n");
  const caretLine = () => list.value.slice(0, list.selectionStart).split("\n").length - 1;
  function mark() {
    const marked = selected ? caretLine() : -1;
    marks.replaceChildren(...lines().map((line, i) =>
      make("div", i === marked ? { class: "marked" } : {}, line === "" ? "\u200b" : line)));
    marks.scrollTop = list.scrollTop;
  }
  const select = () => {
    selected = true;
    mark();
    onSelect();
  };
  // A click or a key moves the caret before these come (a pointerup comes before).
  for (const type of ["click", "keyup", "input"]) list.addEventListener(type, select);
  document.addEventListener("selectionchange", () => { if (document.activeElement === list) select(); });
  list.addEventListener("scroll", () => { marks.scrollTop = list.scrollTop; });
  new ResizeObserver(mark).observe(list);
  mark();
  return {
    frame,
    // The line the caret is on (the first line before the pupil picked one).
    caretText: () => lines()[caretLine()] ?? "",
    // The marked line, or null while none is.
    markedText: () => (selected ? lines()[caretLine()] ?? "" : null),
  };
}

export function createExerciseTab(texts, { checkAnswer, exerciseOnLine }) {
  const page = make("div", { class: "exercise-page" });
  const status = make("p", { class: "class-status", "aria-live": "polite" });
  const chosenExercise = () => {
    const line = list.markedText();
    return line === null ? 0 : exerciseOnLine(line);
  };
  const idleStatus = () => {
    const exercise = chosenExercise();
    return Texts.dropHint + (exercise ? Texts.checkedWith(list.markedText()) : "");
  };
  let busy = false;
  const list = createExerciseList(texts, () => { if (!busy) status.textContent = idleStatus(); });

  const answer = make("div", { class: "answer" });
  const checkButton = make("button", { type: "button", class: "check-answer" }, texts.checkAnswer);
  const verdict = make("div", { class: "verdict", role: "status", "aria-label": texts.checkAnswer });
  checkButton.addEventListener("click", () => {
    const result = checkAnswer(list.caretText());
    if (!result) return;
    verdict.textContent = result.message;
    verdict.classList.toggle("passed", result.passed);
  });
  answer.append(checkButton, verdict);

  const group = make("div", { class: "class-strip", role: "group", "aria-label": Texts.classGroup });
  const filesInput = make("input", { type: "file", multiple: "", accept: ".kv", hidden: "",
                                     "aria-label": Texts.filesInput });
  const folderInput = make("input", { type: "file", webkitdirectory: "", hidden: "", "aria-label": Texts.folderInput });
  const pickers = [[Texts.pickFiles, filesInput], [Texts.pickFolder, folderInput]]
    .filter(([, input]) => input !== folderInput || "webkitdirectory" in input)
    .map(([caption, input]) => {
      const button = make("button", { type: "button" }, caption);
      button.addEventListener("click", () => {
        input.value = "";
        input.click();
      });
      input.addEventListener("change", () => report(pickedPrograms(input.files)));
      return button;
    });
  group.append(...pickers, filesInput, folderInput, status);
  status.textContent = idleStatus();

  async function report({ folder, files }) {
    if (busy) return;
    if (files.length === 0) {
      status.textContent = Texts.noPrograms;
      return;
    }
    busy = true;
    pickers.forEach((button) => { button.disabled = true; });
    status.setAttribute("aria-busy", "true");
    try {
      status.textContent = Texts.progress(0, files.length);
      const done = await renderClass({ folder, exercise: chosenExercise(), files },
                                     (count, total) => { status.textContent = Texts.progress(count, total); });
      status.removeAttribute("aria-busy");
      status.textContent = done.summary;
      await showClassReport({ folder, ...done });
    } catch (error) {
      status.textContent = Texts.failed(error.message);
    } finally {
      busy = false;
      status.removeAttribute("aria-busy");
      pickers.forEach((button) => { button.disabled = false; });
    }
  }

  // A drop here is the class's files, not a program to open.
  page.addEventListener("dragover", (event) => {
    event.preventDefault();
    event.stopPropagation();
    page.classList.add("dropping");
  });
  page.addEventListener("dragleave", () => page.classList.remove("dropping"));
  page.addEventListener("drop", (event) => {
    event.preventDefault();
    event.stopPropagation();
    page.classList.remove("dropping");
    droppedPrograms(event.dataTransfer).then(report);
  });

  page.append(list.frame, answer, group);
  return page;
}
