// Lines of the program editor: the running line lit by a band behind the
// transparent textarea (which cannot colour one of its lines), kept in step with
// scrolling, and a failed line selected.

export function createEditorLines(editor, band) {
  let litLine = null;

  const metrics = () => {
    const style = getComputedStyle(editor);
    return { lineHeight: parseFloat(style.lineHeight), paddingTop: parseFloat(style.paddingTop),
             paddingBottom: parseFloat(style.paddingBottom) };
  };

  function placeBand() {
    band.hidden = litLine === null;
    if (litLine === null) return;
    const { lineHeight, paddingTop } = metrics();
    band.style.top = `${editor.clientTop + paddingTop + litLine * lineHeight - editor.scrollTop}px`;
    band.style.height = `${lineHeight}px`;
  }

  function scrollIntoView(line) {
    const { lineHeight, paddingTop, paddingBottom } = metrics();
    const top = line * lineHeight;
    const visible = editor.clientHeight - paddingTop - paddingBottom;
    if (top < editor.scrollTop) editor.scrollTop = top;
    else if (top + lineHeight > editor.scrollTop + visible) editor.scrollTop = top + lineHeight - visible;
  }

  // Where line (from 0) starts in the text, and where it ends.
  function lineRange(line) {
    const text = editor.value;
    let start = 0;
    for (let i = 0; i < line && start >= 0; i += 1) {
      start = text.indexOf("\n", start);
      if (start >= 0) start += 1;
    }
    if (start < 0) return null;
    const end = text.indexOf("\n", start);
    return [start, end < 0 ? text.length : end];
  }

  editor.addEventListener("scroll", placeBand);
  new ResizeObserver(placeBand).observe(editor);

  return {
    // The running line, or null for none.
    light(line) {
      litLine = line;
      if (line !== null) scrollIntoView(line);
      placeBand();
    },
    // The failed line, selected for the pupil to look at.
    select(line) {
      const range = lineRange(line);
      if (!range) return;
      editor.focus({ preventScroll: true });
      editor.setSelectionRange(...range);
      scrollIntoView(line);
    },
  };
}
