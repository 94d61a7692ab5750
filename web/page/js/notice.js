// Small notices at the foot of the page, beside the work and never in its way
// (no modal box): a text and its buttons. Each button does its action and closes
// the notice; 閉じる only closes it.
import { PageTexts } from "./page_texts.js";

function area() {
  let notices = document.getElementById("notices");
  if (!notices) {
    notices = document.createElement("div");
    notices.id = "notices";
    notices.className = "notices";
    document.body.append(notices);
  }
  return notices;
}

// actions: [{ caption, run }]. An urgent notice is announced at once (an alert).
export function showNotice({ text, actions = [], urgent = false }) {
  const notice = document.createElement("div");
  notice.className = "notice";
  notice.setAttribute("role", urgent ? "alert" : "status");
  const message = document.createElement("p");
  message.textContent = text;
  const buttons = document.createElement("div");
  buttons.className = "notice-buttons";
  for (const { caption, run } of [...actions, { caption: PageTexts.close, run: () => undefined }]) {
    const button = document.createElement("button");
    button.type = "button";
    button.textContent = caption;
    button.addEventListener("click", () => {
      notice.remove();
      run();
    });
    buttons.append(button);
  }
  notice.append(message, buttons);
  area().append(notice);
}
