// The editor's insertion menu, built from the desktop program's item table:
// right click (or a long press on a touch screen) in the editor opens it, and so
// does the panel's 挿入 button on a touch screen (openFrom).
import { make } from "./dom.js";

const LONG_PRESS_MS = 500;
const LONG_PRESS_SLOP_PX = 10;

function menuButton(caption) {
  return make("button", { type: "button", role: "menuitem" }, caption);
}

// The editor receives text as the user's own typing would: one undoable edit
// that replaces the selection and fires "input" (which marks it modified).
function insertAtCaret(editor, text) {
  editor.focus();
  if (!document.execCommand("insertText", false, text)) editor.setRangeText(text, editor.selectionStart, editor.selectionEnd, "end");
}

export function createInsertionMenu(editor, items, { onError, clipboardUnavailable }) {
  const menu = document.createElement("div");
  menu.className = "popup";
  menu.setAttribute("role", "menu");
  menu.id = "insertion-menu";
  menu.hidden = true;
  let variables = null;
  let variablesButton = null;

  const actions = {
    async insert(item) {
      // The clipboard holds the word afterwards, as after the desktop's insertion;
      // a browser that refuses the clipboard still gets the word inserted.
      insertAtCaret(editor, item.text);
      try { await navigator.clipboard?.writeText(item.text); } catch { /* refused by the browser */ }
    },
    async copy() {
      const selected = editor.value.slice(editor.selectionStart, editor.selectionEnd);
      if (selected === "") return;
      try { await navigator.clipboard.writeText(selected); } catch { document.execCommand("copy"); }
    },
    async paste() {
      let text;
      try { text = await navigator.clipboard.readText(); } catch { return onError(clipboardUnavailable); }
      insertAtCaret(editor, text);
    },
  };

  for (const item of items) {
    const button = menuButton(item.caption);
    const parent = item.inVariables ? variables : menu;
    if (item.kind === "submenu") {
      button.setAttribute("aria-haspopup", "true");
      button.setAttribute("aria-expanded", "false");
      button.append(make("span", { class: "submenu-arrow", "aria-hidden": "true" }, "▸"));
      variables = document.createElement("div");
      variables.className = "popup";
      variables.setAttribute("role", "menu");
      variables.hidden = true;
      variablesButton = button;
      const toggle = (open) => {
        variables.hidden = !open;
        button.setAttribute("aria-expanded", String(open));
        if (open) {
          // Beside the menu, on the left when the right has no room.
          const place = button.getBoundingClientRect();
          const own = menu.getBoundingClientRect();
          const fitsRight = own.right + variables.offsetWidth <= window.innerWidth;
          variables.style.left = `${fitsRight ? own.width - 2 : 2 - variables.offsetWidth}px`;
          const room = window.innerHeight - variables.offsetHeight;
          // Offsets count from inside the menu's border.
          variables.style.top = `${Math.min(place.top, Math.max(0, room)) - own.top - menu.clientTop}px`;
        }
      };
      button.addEventListener("click", () => toggle(true));
      button.addEventListener("pointerenter", (event) => { if (event.pointerType === "mouse") toggle(true); });
      button.addEventListener("keydown", (event) => {
        if (event.key === "ArrowRight") { toggle(true); variables.querySelector("button").focus(); }
      });
      variables.addEventListener("keydown", (event) => {
        if (event.key === "ArrowLeft") { toggle(false); button.focus(); event.stopPropagation(); }
      });
      menu.append(button, variables);
      continue;
    }
    // Pointing at another item of the main menu closes the sub-menu.
    if (!item.inVariables) button.addEventListener("pointerenter", closeVariables);
    button.addEventListener("click", () => {
      close();
      actions[item.kind](item);
    });
    parent.append(button);
  }
  document.body.append(menu);

  function closeVariables() {
    if (variables) variables.hidden = true;
    variablesButton?.setAttribute("aria-expanded", "false");
  }

  let opener = null;  // the button that opened the menu, if one did
  function close() {
    menu.hidden = true;
    closeVariables();
    opener?.setAttribute("aria-expanded", "false");
    opener = null;
  }

  function open(x, y) {
    close();
    menu.hidden = false;
    const size = menu.getBoundingClientRect();
    menu.style.left = `${Math.max(0, Math.min(x, window.innerWidth - size.width))}px`;
    menu.style.top = `${Math.max(0, Math.min(y, window.innerHeight - size.height))}px`;
    menu.querySelector("button").focus({ preventScroll: true });
  }

  // Arrow keys move between the items; Esc closes and gives the editor back.
  menu.addEventListener("keydown", (event) => {
    const level = event.target.closest('[role="menu"]');
    const buttons = [...level.children].filter((node) => node.matches("button"));
    const index = buttons.indexOf(event.target);
    const step = { ArrowDown: 1, ArrowUp: -1 }[event.key];
    if (step) {
      buttons[(index + step + buttons.length) % buttons.length].focus();
      event.preventDefault();
    } else if (event.key === "Escape") {
      close();
      editor.focus();
    }
  });
  document.addEventListener("pointerdown", (event) => { if (!menu.hidden && !menu.contains(event.target)) close(); });

  editor.addEventListener("contextmenu", (event) => {
    event.preventDefault();
    // The keyboard's menu key gives no pointer place: open at the editor's corner.
    const fromKeyboard = event.button !== 2 && event.clientX === 0 && event.clientY === 0;
    const box = editor.getBoundingClientRect();
    open(fromKeyboard ? box.left + 8 : event.clientX, fromKeyboard ? box.top + 8 : event.clientY);
  });

  // Touch: a long press without moving opens the menu.
  let press = null;
  editor.addEventListener("pointerdown", (event) => {
    if (event.pointerType !== "touch") return;
    const { clientX: x, clientY: y } = event;
    press = { x, y, timer: setTimeout(() => { press = null; open(x, y); }, LONG_PRESS_MS) };
  });
  const cancelPress = () => { if (press) clearTimeout(press.timer); press = null; };
  editor.addEventListener("pointermove", (event) => {
    if (press && Math.hypot(event.clientX - press.x, event.clientY - press.y) > LONG_PRESS_SLOP_PX) cancelPress();
  });
  editor.addEventListener("pointerup", cancelPress);
  editor.addEventListener("pointercancel", cancelPress);

  // Opens the menu beside a button: the words go in at the editor's caret, which
  // the editor keeps while the button has the focus.
  function openFrom(button) {
    const place = button.getBoundingClientRect();
    open(place.left, place.bottom);
    opener = button;
    opener.setAttribute("aria-expanded", "true");
  }

  return { open, openFrom, close, element: menu };
}
