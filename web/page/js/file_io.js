// Files on the user's device: picking one to read, and writing one through the
// File System Access API where the browser has it, else as a download.

export const hasFileSystemAccess = () => typeof window.showSaveFilePicker === "function";

// Reads a file chosen in a file input: { name, bytes, handle } or null when cancelled.
export function pickWithInput(input) {
  return new Promise((resolve) => {
    input.value = "";
    const done = async () => {
      input.removeEventListener("change", done);
      input.removeEventListener("cancel", cancelled);
      const file = input.files[0];
      if (!file) return resolve(null);
      try {
        resolve({ name: file.name, bytes: new Uint8Array(await file.arrayBuffer()), handle: null });
      } catch {
        resolve({ name: file.name, bytes: null, handle: null });
      }
    };
    const cancelled = () => done();
    input.addEventListener("change", done);
    input.addEventListener("cancel", cancelled);
    input.click();
  });
}

// The same through the browser's own open picker, which also gives a handle to
// write back to.
export async function pickWithHandle(types) {
  let handle;
  try {
    [handle] = await window.showOpenFilePicker({ types, multiple: false });
  } catch {
    return null;  // cancelled
  }
  try {
    const file = await handle.getFile();
    return { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()), handle };
  } catch {
    return { name: handle.name, bytes: null, handle };
  }
}

// A handle chosen in the browser's save picker, or null when cancelled.
export async function chooseSaveHandle(suggestedName, types) {
  try {
    return await window.showSaveFilePicker({ suggestedName, types });
  } catch {
    return null;
  }
}

// Writes bytes through a handle; false when the browser refused.
export async function writeHandle(handle, bytes) {
  try {
    const stream = await handle.createWritable();
    await stream.write(bytes);
    await stream.close();
    return true;
  } catch {
    return false;
  }
}

export function download(name, bytes, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const link = document.createElement("a");
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// A name typed without an extension gets the default one.
export function withExtension(name, extension) {
  return /\.[^./\\]*$/.test(name) ? name : `${name}.${extension}`;
}
