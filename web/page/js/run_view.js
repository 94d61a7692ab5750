// Shows what the module has queued as notes (web/module/kurovel_web.h), in order:
// the buttons' states at once, the running and the failed line, the chosen speed,
// and each box awaited before the notes after it.

export function createRunView({ engine, dialogs, runButton, stopButton, editorLines, speedMenu }) {
  const queue = [];
  let busy = false;                // a box of the queue is open
  let shown = Promise.resolve();   // settles once the queue is empty

  const show = {
    buttons: ({ run, stop }) => {
      const focused = document.activeElement;
      runButton.disabled = !run;
      stopButton.disabled = !stop;
      // The keyboard keeps its place: from the button just disabled to the other.
      if (focused === runButton && !run && stop) stopButton.focus();
      if (focused === stopButton && !stop && run) runButton.focus();
    },
    light: ({ line }) => editorLines.light(line),
    select: ({ line }) => editorLines.select(line),
    message: (note) => dialogs.show(note),
    speed: ({ speed }) => speedMenu.show(speed),
  };

  async function showQueued() {
    busy = true;
    try {
      while (queue.length > 0) {
        const note = queue.shift();
        const box = show[note.note](note);
        if (box) await box;
      }
    } finally {
      busy = false;
    }
  }

  return {
    // Takes the notes queued in the module and shows them; resolves once every
    // box among them has been answered.
    take() {
      queue.push(...engine.takeNotes());
      // Notes before the first box are shown before this returns.
      if (!busy && queue.length > 0) shown = showQueued();
      return shown;
    },
  };
}
