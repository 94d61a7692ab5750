// A teacher's report on a whole class in the page: the .kv files of a folder
// (or several files) dropped onto the exercise tab or picked, rendered in a
// worker as kurovel-class renders them, the report shown over the page with its
// HTML and CSV to save.

import { make } from "./dom.js";

// The page's own texts of the report.
export const ClassReportTexts = Object.freeze({
  looseFiles: "クラス",  // the report's name when files, not a folder, were handed in
  reportOf: (folder) => `${folder} のまとめ`,
  openInTab: "新しいタブで開く",
  saveHtml: "HTML を保存",
  saveCsv: "CSV を保存",
  close: "閉じる",
  frame: (folder) => `${folder} のまとめの表`,
});

const PROGRAM_NAME = /\.kv$/i;

// The entries of a dropped folder, every batch of them.
async function folderEntries(folder) {
  const reader = folder.createReader();
  const entries = [];
  for (;;) {
    const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
    if (batch.length === 0) return entries;
    entries.push(...batch);
  }
}

const entryFile = (entry) => new Promise((resolve, reject) => entry.file(resolve, reject));

// What was dropped: { folder, files }. A folder gives the programs directly in it
// (not those of its subfolders), as kurovel-class takes them; files that are no
// program (by their name) are left out.
export async function droppedPrograms(dataTransfer) {
  const entries = [...(dataTransfer?.items ?? [])].filter((item) => item.kind === "file")
    .map((item) => item.webkitGetAsEntry?.() ?? null);
  const folders = entries.filter((entry) => entry?.isDirectory);
  if (folders.length === 0 || entries.includes(null)) {
    return { folder: ClassReportTexts.looseFiles,
             files: [...(dataTransfer?.files ?? [])].filter((file) => PROGRAM_NAME.test(file.name)) };
  }
  const files = [];
  for (const entry of entries) {
    const inside = entry.isDirectory ? await folderEntries(entry) : [entry];
    for (const fileEntry of inside) {
      if (fileEntry.isFile && PROGRAM_NAME.test(fileEntry.name)) files.push(await entryFile(fileEntry));
    }
  }
  return { folder: folders.length === 1 ? folders[0].name : ClassReportTexts.looseFiles, files };
}

// What a file input gave: a folder picker names each file by its path in the
// folder, and only the files directly in it count.
export function pickedPrograms(fileList) {
  const files = [...fileList];
  const paths = files.map((file) => (file.webkitRelativePath || file.name).split("/"));
  const inFolder = paths.length > 0 && paths.every((parts) => parts.length > 1);
  return {
    folder: inFolder ? paths[0][0] : ClassReportTexts.looseFiles,
    files: files.filter((file, i) => (!inFolder || paths[i].length === 2) && PROGRAM_NAME.test(file.name)),
  };
}

// Renders the programs in a worker: { summary, html, csv }; onProgress(done, total)
// after each file. Rejects with the worker's reason when it failed.
export function renderClass({ folder, exercise, files }, onProgress) {
  return new Promise((resolve, reject) => {
    const worker = new Worker(new URL("./class_worker.js", import.meta.url), { type: "module" });
    const finish = (settle, value) => {
      worker.terminate();
      settle(value);
    };
    worker.addEventListener("message", ({ data }) => {
      if ("progress" in data) onProgress(data.progress, data.total);
      else if ("failed" in data) finish(reject, new Error(data.failed));
      else finish(resolve, data);
    });
    worker.addEventListener("error", (event) => finish(reject, new Error(event.message || "worker")));
    worker.postMessage({ folder, exercise, files });
  });
}

// The report over the page, with links to open it in a tab of its own and to
// save the HTML and the CSV. Resolves when closed.
export function showClassReport({ folder, html, csv }) {
  const T = ClassReportTexts;
  const title = T.reportOf(folder);
  const htmlUrl = URL.createObjectURL(new Blob([html], { type: "text/html" }));
  const csvUrl = URL.createObjectURL(new Blob([csv], { type: "text/csv" }));
  const dialog = make("dialog", { class: "class-report", "aria-label": title });
  const caption = make("div", { class: "class-report-caption" }, title);
  // The report has no script; the sandbox keeps it so.
  const frame = make("iframe", { title: T.frame(folder), sandbox: "" });
  frame.srcdoc = html;
  const actions = make("div", { class: "class-report-actions" });
  const close = make("button", { type: "button" }, T.close);
  close.addEventListener("click", () => dialog.close());
  actions.append(make("a", { href: htmlUrl, target: "_blank", rel: "noopener" }, T.openInTab),
                 make("a", { href: htmlUrl, download: `${folder}.html` }, T.saveHtml),
                 make("a", { href: csvUrl, download: `${folder}.csv` }, T.saveCsv), close);
  dialog.append(caption, frame, actions);
  document.body.append(dialog);
  return new Promise((resolve) => {
    dialog.addEventListener("close", () => {
      dialog.remove();
      URL.revokeObjectURL(htmlUrl);
      URL.revokeObjectURL(csvUrl);
      resolve();
    });
    dialog.showModal();
    close.focus();
  });
}
