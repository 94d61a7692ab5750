// The menu bar: a click opens a menu (and closes the others), arrow keys move
// between its items, Esc or a click elsewhere closes it.

export function wireMenubar(menubar) {
  const openers = [...menubar.querySelectorAll("[aria-haspopup]")];
  function closeMenus() {
    for (const opener of openers) {
      opener.setAttribute("aria-expanded", "false");
      opener.nextElementSibling.hidden = true;
    }
  }
  for (const opener of openers) {
    const dropdown = opener.nextElementSibling;
    opener.addEventListener("click", () => {
      const open = dropdown.hidden;
      closeMenus();
      dropdown.hidden = !open;
      opener.setAttribute("aria-expanded", String(open));
      if (open) dropdown.querySelector("button").focus();
    });
    dropdown.addEventListener("keydown", (event) => {
      const items = [...dropdown.querySelectorAll("button")];
      const step = { ArrowDown: 1, ArrowUp: -1 }[event.key];
      if (step) {
        items[(items.indexOf(event.target) + step + items.length) % items.length].focus();
        event.preventDefault();
      } else if (event.key === "Escape") {
        closeMenus();
        opener.focus();
      }
    });
    dropdown.addEventListener("click", closeMenus);
  }
  document.addEventListener("pointerdown", (event) => { if (!event.target.closest(".menu")) closeMenus(); });
}
