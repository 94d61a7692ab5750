// Keeps the box being typed into above an on-screen keyboard. Browsers lay the
// page out as if the keyboard were not there and let it cover the page's foot,
// where a standing tablet or a phone has the command box and the editor; the
// visual viewport tells how much is covered, and the page gives up that much of
// its height (the --keyboard-height the stylesheet takes off the body).

const COVER_VARIABLE = "--keyboard-height";

// Returns { covered() }: whether a keyboard covers part of the page now (the
// drawing area shrinks meanwhile, and its surface is not to follow).
export function keepAboveKeyboard(root = document.documentElement) {
  const viewport = window.visualViewport;
  let covered = 0;
  function update() {
    // What the visual viewport leaves out at the foot of the layout viewport.
    const hidden = Math.max(0, Math.round(window.innerHeight - viewport.height - viewport.offsetTop));
    if (hidden === covered) return;
    covered = hidden;
    root.style.setProperty(COVER_VARIABLE, `${covered}px`);
    if (covered === 0) return;
    // The browser may have scrolled the page to show the box; the page now fits.
    window.scrollTo(0, 0);
    const box = document.activeElement;
    if (box?.matches?.("input, textarea")) box.scrollIntoView({ block: "nearest" });
  }
  if (viewport) {
    viewport.addEventListener("resize", update);
    viewport.addEventListener("scroll", update);
  }
  return { covered: () => covered > 0 };
}
