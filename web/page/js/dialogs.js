// Modal boxes drawn in the page, with the desktop program's Japanese buttons.
// Each returns a promise of the answer; Esc or closing counts as Cancel.

// Button captions of the desktop program's boxes.
const Captions = Object.freeze({ ok: "OK", cancel: "キャンセル", yes: "はい", no: "いいえ", save: "保存" });

function element(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
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
    dialog.addEventListener("close", () => {
      dialog.remove();
      resolve(field ? { answer, value: field.value } : answer);
    });
    if (field) {
      field.addEventListener("keydown", (event) => {
        if (event.key === "Enter" && !event.isComposing && event.keyCode !== 229) {
          answer = answers[0].id;
          dialog.close();
        }
      });
    }
    document.body.append(dialog);
    dialog.showModal();
    (field ?? buttons.firstElementChild).focus();
    if (field) field.select();
  });
}

export function createDialogs(texts) {
  return {
    // The error box: caption "Kurovel", error icon, one OK button.
    error: (text) => showBox({ caption: texts.applicationTitle, text, icon: true,
                               answers: [{ id: "ok", caption: Captions.ok }], cancelId: "ok" }),
    // A box without icon and one OK button.
    message: (caption, text) => showBox({ caption, text, answers: [{ id: "ok", caption: Captions.ok }], cancelId: "ok" }),
    notice: (text) => showBox({ caption: texts.applicationTitle, text,
                                answers: [{ id: "ok", caption: Captions.ok }], cancelId: "ok" }),
    // true only for OK.
    async okCancel(caption, text) {
      const answer = await showBox({ caption, text, cancelId: "cancel",
        answers: [{ id: "ok", caption: Captions.ok }, { id: "cancel", caption: Captions.cancel }] });
      return answer === "ok";
    },
    // "yes", "no" or "cancel".
    yesNoCancel: (caption, text) => showBox({ caption, text, cancelId: "cancel",
      answers: [{ id: "yes", caption: Captions.yes }, { id: "no", caption: Captions.no },
                { id: "cancel", caption: Captions.cancel }] }),
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
