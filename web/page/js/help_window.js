// The help window: modeless, four tabs (version page, command list, exercises
// with 答え合わせ and the class report, sample programs). Hiding keeps the
// selected tab and whatever was typed.
import { make } from "./dom.js";
import { createExerciseTab } from "./exercise_tab.js";

function versionPage(texts, close) {
  const page = make("div", { class: "version-page" });
  const heading = make("div");
  heading.append(make("span", { class: "title" }, texts.productTitle),
                 make("span", { class: "ver" }, texts.versionLabel),
                 make("span", { class: "date" }, texts.editionDate));
  const note = make("textarea", { readonly: "", "aria-label": texts.versionTab });
  note.value = texts.versionNote.join("\n");
  const closeButton = make("button", { type: "button", class: "close" }, texts.helpClose);
  closeButton.addEventListener("click", close);
  page.append(heading, make("p", {}, texts.aimLine1), make("p", {}, texts.aimLine2), note, closeButton);
  return page;
}

function textPage(caption, lines) {
  const box = make("textarea", { "aria-label": caption, spellcheck: "false" });
  box.value = lines.join("\n");
  return box;
}

// answerCheck: { checkAnswer(line), exerciseOnLine(line) } for the exercise tab.
export function createHelpWindow(texts, answerCheck) {
  const root = make("section", { class: "help", role: "dialog", "aria-modal": "false",
                                 "aria-label": texts.helpCaption, hidden: "" });
  const hide = () => { root.hidden = true; };
  const caption = make("div", { class: "help-caption" });
  const closeBox = make("button", { type: "button", "aria-label": texts.helpClose }, "×");
  closeBox.addEventListener("click", hide);
  caption.append(make("span", {}, texts.helpCaption), closeBox);

  const pages = [
    [texts.versionTab, versionPage(texts, hide)],
    [texts.commandListTab, textPage(texts.commandListTab, texts.commandList)],
    [texts.exerciseTab, createExerciseTab(texts, answerCheck)],
    [texts.sampleProgramTab, textPage(texts.sampleProgramTab, texts.samplePrograms)],
  ];
  const tabList = make("div", { role: "tablist" });
  const tabs = [];
  const panels = [];
  function select(index) {
    tabs.forEach((tab, i) => {
      tab.setAttribute("aria-selected", String(i === index));
      tab.tabIndex = i === index ? 0 : -1;
      panels[i].hidden = i !== index;
    });
  }
  pages.forEach(([title, content], index) => {
    const tab = make("button", { type: "button", role: "tab", id: `help-tab-${index}`,
                                 "aria-controls": `help-page-${index}` }, title);
    tab.addEventListener("click", () => select(index));
    tab.addEventListener("keydown", (event) => {
      const step = { ArrowRight: 1, ArrowLeft: -1 }[event.key];
      if (!step) return;
      const next = (index + step + tabs.length) % tabs.length;
      select(next);
      tabs[next].focus();
    });
    const panel = make("div", { role: "tabpanel", id: `help-page-${index}`, "aria-labelledby": tab.id });
    panel.append(content);
    tabs.push(tab);
    panels.push(panel);
    tabList.append(tab);
  });
  select(0);
  root.append(caption, tabList, ...panels);
  root.addEventListener("keydown", (event) => { if (event.key === "Escape") hide(); });
  document.body.append(root);

  return {
    // Shows the window on the tab selected last and brings it to the front.
    show() {
      root.hidden = false;
      tabs.find((tab) => tab.getAttribute("aria-selected") === "true").focus();
    },
    hide,
  };
}
