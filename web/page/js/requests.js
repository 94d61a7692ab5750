// Performs what a flow of the module asks (controllers/requests.h), one request at
// a time, and gives the module each reply until the flow has ended: boxes, file
// pickers, reading a chosen or dropped file, downloads or File System Access
// writes, the editor's text, the caption, the progress line.
import * as files from "./file_io.js";

const MIME_TYPES = [[/\.bmp$/i, "image/bmp"], [/\.kv$/i, "text/plain"]];

export function createRequestPerformer({ engine, dialogs, texts, editor, pickerInputs, show }) {
  const chosen = new Map();   // name -> File picked or dropped, read when the flow asks
  const handles = new Map();  // name -> FileSystemFileHandle to write to

  // A file dialog: the chosen name, or null when cancelled.
  async function choose({ dialog, text: initialName, filter, defaultExtension }) {
    const types = files.filterTypes(filter);
    if (dialog === "saveProgram" || dialog === "savePicture") {
      if (files.hasFileSystemAccess()) {
        const handle = await files.chooseSaveHandle(initialName || undefined, types);
        if (!handle) return null;
        handles.set(handle.name, handle);
        return handle.name;
      }
      const typed = await dialogs.fileName(texts.applicationTitle, initialName);
      if (!typed) return null;
      const name = files.withExtension(typed, defaultExtension);
      handles.delete(name);
      return name;
    }
    const picked = files.hasFileSystemAccess() ? await files.pickWithHandle(types)
                                               : { file: await files.pickWithInput(pickerInputs[dialog], types) };
    // A handle whose file cannot be read still answers with its name: the flow
    // then says that the file cannot be opened.
    const name = picked?.file?.name ?? picked?.handle?.name;
    if (!name) return null;
    if (picked.handle) handles.set(name, picked.handle);
    else handles.delete(name);
    if (dialog === "openPicture") {
      // The module reads the picture from its own file system, now and at every repaint.
      let bytes = null;
      try { bytes = picked.file && new Uint8Array(await picked.file.arrayBuffer()); } catch { /* reported by the flow */ }
      engine.keepPicture(name, bytes);
    } else if (picked.file) {
      chosen.set(name, picked.file);
    } else {
      chosen.delete(name);
    }
    return name;
  }

  // Only the bytes the flow can take are read: a file over its limit is refused
  // with a message, and a huge one is never read whole.
  async function read({ text: name, maxBytes }) {
    const file = chosen.get(name);
    if (!file) return { answer: "failed" };
    try {
      return { bytes: new Uint8Array(await file.slice(0, maxBytes + 1).arrayBuffer()) };
    } catch {
      return { answer: "failed" };
    }
  }

  async function write({ text: name, bytes }) {
    const handle = handles.get(name);
    if (handle) return { answer: (await files.writeHandle(handle, bytes)) ? "done" : "failed" };
    files.download(name, bytes, MIME_TYPES.find(([pattern]) => pattern.test(name))?.[1] ?? "application/octet-stream");
    return {};
  }

  const performers = {
    ask: async ({ caption, text, buttons }) => ({ answer: await dialogs.ask(caption, text, buttons) }),
    showMessage: async ({ message, caption, text }) => {
      await dialogs.show({ kind: message, caption, text });
      return {};
    },
    chooseFile: async (request) => {
      const name = await choose(request);
      return name === null ? { answer: "cancel" } : { text: name };
    },
    readFile: read,
    writeFile: write,
    getEditorText: () => ({ text: editor.value }),
    setEditorText: ({ text }) => {
      try {
        editor.value = text;
        editor.setSelectionRange(0, 0);
        editor.scrollTop = 0;
        return {};
      } catch {
        return { answer: "failed" };
      }
    },
    showCaption: ({ text }) => {
      show.caption(text);
      return {};
    },
    beginProgress: ({ text }) => {
      show.progress(text);
      return {};
    },
    endProgress: () => {
      show.progress(null);
      return {};
    },
    bringToFront: () => {
      window.focus();
      return {};
    },
    closeWindow: () => {
      show.closing();
      return {};
    },
  };

  return {
    // Files dropped on the page, read when the drop's flow asks for them.
    offer(dropped) {
      for (const file of dropped) {
        chosen.set(file.name, file);
        handles.delete(file.name);  // saving writes a download, not a file picked before
      }
    },
    // Performs the requests of one flow, starting with its first, until it has ended.
    async drive(request) {
      try {
        while (request) {
          let reply;
          try {
            reply = await performers[request.kind](request);
          } catch {
            reply = { answer: "failed" };  // the flow goes on and says so; it never waits for ever
          }
          request = engine.answer(reply);
        }
      } finally {
        show.progress(null);
      }
    },
  };
}
