// The speed menu 速度: its items (captions and keys from the desktop's table, in
// texts.json), the chosen one checked and remembered for the next visit.
import { make } from "./dom.js";

const STORAGE_KEY = "kurovel.speed";

export function createSpeedMenu({ opener, items, caption, speeds, onChoose }) {
  opener.textContent = caption;
  const buttons = new Map();
  for (const { caption: itemCaption, key } of speeds) {
    const button = make("button", { type: "button", role: "menuitemradio", "aria-checked": "false" });
    button.append(make("span", { class: "check", "aria-hidden": "true" }, "●"), itemCaption);
    button.addEventListener("click", () => onChoose(key));
    items.append(button);
    buttons.set(key, button);
  }
  return {
    // The speed chosen last time, or null.
    remembered() {
      try { return localStorage.getItem(STORAGE_KEY); } catch { return null; }
    },
    // The speed in force: checked, and remembered.
    show(key) {
      for (const [itemKey, button] of buttons) button.setAttribute("aria-checked", String(itemKey === key));
      try { localStorage.setItem(STORAGE_KEY, key); } catch { /* storage full or disabled */ }
    },
  };
}
