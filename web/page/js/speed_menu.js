// The speed menu 速度: its items (captions and keys from the desktop's table, in
// texts.json), the chosen one checked and remembered for the next visit.

const STORAGE_KEY = "kurovel.speed";

export function createSpeedMenu({ opener, items, caption, speeds, onChoose }) {
  opener.textContent = caption;
  const buttons = new Map();
  for (const { caption: itemCaption, key } of speeds) {
    const button = document.createElement("button");
    button.type = "button";
    button.setAttribute("role", "menuitemradio");
    button.setAttribute("aria-checked", "false");
    const check = document.createElement("span");
    check.className = "check";
    check.setAttribute("aria-hidden", "true");
    check.textContent = "●";
    button.append(check, itemCaption);
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
