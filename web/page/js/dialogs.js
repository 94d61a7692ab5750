// Modal boxes drawn in the page, with the desktop program's Japanese buttons.
// Each returns a promise of the answer; Esc or closing counts as Cancel. A run
// holds still while any of them is open (whenNoBoxOpen), as under the desktop's
// modal boxes.

// Button captions of the desktop program's boxes.
const Captions = Object.freeze({ ok: "OK", cancel: "キャンセル", yes: "はい", no: "いいえ", save: "保存" });

function element(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}

// The boxes open now, and who waits until none is.
const openBoxes = { count: 0, waiting: [] };

function boxClosed() {
  openBoxes.count -= 1;
  if (openBoxes.count > 0) return;
  for (const resume of openBoxes.waiting.splice(0)) resume();
}

// answers: [{ id, caption }]; the first gets the focus, cancelId is what Esc gives.
function showBox({ caption, text, answers, cancelId, icon = false, input = null }) {
  return new Promise((resolve) => {
    const dialog = element("dialog", "box");
    dialog.setAttribute("aria-label", caption);
    const body = element("div", "box-body");
    if (icon) {
      const mark = element("span", "box-icon", "×");
      mark.setAttribute("aria-hidden", "true");
      body.append(mark);
    }
    const message = element("div", "box-text", text);
    body.append(message);
    let field = null;
    if (input) {
      field = element("input");
      field.type = "text";
      field.value = input.value;
      field.setAttribute("aria-label", input.label);
      message.append(document.createElement("br"), field);
    }
    const buttons = element("div", "box-buttons");
    let answer = cancelId;
    for (const { id, caption: buttonCaption } of answers) {
      const button = element("button", "", buttonCaption);
      button.type = "button";
      button.addEventListener("click", () => {
        answer = id;
        dialog.close();
      });
      buttons.append(button);
    }
    dialog.append(element("div", "box-caption", caption), body, buttons);
    dialog.addEventListener("cancel", () => { answer = cancelId; });
    dialog.addEventListener("close", () => resolve(field ? { answer, value: field.value } : answer));
    if (field) {
      field.addEventListener("keydown", (event) => {
        if (event.key === "Enter" && !event.isComposing && event.keyCode !== 229) {
          answer = answers[0].id;
          dialog.close();
        }
      });
    }
    showModalBox(dialog);
    (field ?? buttons.firstElementChild).focus();
    if (field) field.select();
  });
}

// Shows a dialog element as a modal box of the page, counted among the open
// boxes until it closes; it is removed then.
export function showModalBox(dialog) {
  dialog.addEventListener("close", () => {
    dialog.remove();
    boxClosed();
  }, { once: true });
  document.body.append(dialog);
  openBoxes.count += 1;
  dialog.showModal();
}

// Resolves once no box is open.
export function whenNoBoxOpen() {
  if (openBoxes.count === 0) return Promise.resolve();
  return new Promise((resume) => openBoxes.waiting.push(resume));
}

export function createDialogs(texts) {
  return {
    // A box with one OK button as the module describes it: kind "error" (the
    // error box with its icon), "warning" or "notice".
    show: ({ kind, caption, text }) => showBox({ caption, text, icon: kind === "error",
                                                 answers: [{ id: "ok", caption: Captions.ok }], cancelId: "ok" }),
    // The error box: caption "Kurovel", error icon, one OK button.
    error: (text) => showBox({ caption: texts.applicationTitle, text, icon: true,
                               answers: [{ id: "ok", caption: Captions.ok }], cancelId: "ok" }),
    // A question: buttons "okCancel" or "yesNoCancel"; the answer "ok", "yes", "no" or "cancel".
    ask: (caption, text, buttons) => showBox({ caption, text, cancelId: "cancel",
      answers: buttons === "yesNoCancel"
        ? [{ id: "yes", caption: Captions.yes }, { id: "no", caption: Captions.no }, { id: "cancel", caption: Captions.cancel }]
        : [{ id: "ok", caption: Captions.ok }, { id: "cancel", caption: Captions.cancel }] }),
    // Where the browser has no save dialog: the file name to download under, or
    // null when cancelled.
    async fileName(caption, suggested) {
      const { answer, value } = await showBox({ caption, text: "ファイル名", cancelId: "cancel",
        input: { value: suggested, label: "ファイル名" },
        answers: [{ id: "save", caption: Captions.save }, { id: "cancel", caption: Captions.cancel }] });
      return answer === "save" && value.trim() !== "" ? value.trim() : null;
    },
  };
}
