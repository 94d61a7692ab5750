// Offers a tab that starts fresh the drafts of closed tabs: a small box of the
// page with one button per draft, newest first, and one to start without them
// (Esc too). The arrow keys move between the drafts; a tap or Enter takes one.
import { showModalBox } from "./dialogs.js";
import { make } from "./dom.js";
import { PageTexts } from "./page_texts.js";

// Resolves to the chosen summary, or null.
export function pickDraft(summaries) {
  if (summaries.length === 0) return Promise.resolve(null);
  return new Promise((resolve) => {
    let chosen = null;
    const dialog = make("dialog", { class: "box draft-picker" });
    dialog.setAttribute("aria-label", PageTexts.draftsCaption);
    const list = make("div", { class: "draft-list" });
    list.setAttribute("role", "group");
    list.setAttribute("aria-label", PageTexts.draftsCaption);
    for (const summary of summaries) {
      const choice = make("button", { class: "draft-choice" }, PageTexts.draftChoice(summary));
      choice.type = "button";
      choice.addEventListener("click", () => {
        chosen = summary;
        dialog.close();
      });
      list.append(choice);
    }
    list.addEventListener("keydown", (event) => {
      const step = { ArrowDown: 1, ArrowUp: -1 }[event.key];
      if (!step) return;
      event.preventDefault();
      const choices = [...list.children];
      choices[(choices.indexOf(document.activeElement) + step + choices.length) % choices.length].focus();
    });
    const without = make("button", {}, PageTexts.startWithout);
    without.type = "button";
    without.addEventListener("click", () => dialog.close());
    const buttons = make("div", { class: "box-buttons" });
    buttons.append(without);
    dialog.append(make("div", { class: "box-caption" }, PageTexts.draftsCaption),
                  make("p", { class: "draft-intro" }, PageTexts.draftsIntro), list, buttons);
    dialog.addEventListener("close", () => resolve(chosen));
    showModalBox(dialog);
    list.firstElementChild.focus();
  });
}
