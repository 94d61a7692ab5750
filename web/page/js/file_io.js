// Files on the user's device: picking one to read, and writing one through the
// File System Access API where the browser has it, else as a download.

export const hasFileSystemAccess = () => typeof window.showSaveFilePicker === "function";

// The picker types of a dialog filter ("text|patterns|text|patterns", patterns
// such as "*.bmp;*.ico" separated by ";"); rows for all files are left out, as
// the browser's pickers offer all files themselves.
export function filterTypes(filter) {
  const parts = filter.split("|");
  const types = [];
  for (let i = 0; i + 1 < parts.length; i += 2) {
    const extensions = parts[i + 1].split(";").map((pattern) => pattern.trim().replace(/^\*/, ""))
                                         .filter((extension) => /^\.[^.*]+$/.test(extension));
    if (extensions.length > 0) types.push({ description: parts[i], accept: { "application/octet-stream": extensions } });
  }
  return types;
}

// A file chosen in a file input, or null when cancelled.
export function pickWithInput(input, types) {
  return new Promise((resolve) => {
    input.accept = types.flatMap((type) => Object.values(type.accept).flat()).join(",");
    input.value = "";
    const done = () => {
      input.removeEventListener("change", done);
      input.removeEventListener("cancel", done);
      resolve(input.files[0] ?? null);
    };
    input.addEventListener("change", done);
    input.addEventListener("cancel", done);
    input.click();
  });
}

// The same through the browser's own open picker, which also gives a handle to
// write back to: { file, handle }, file null when it cannot be read, or null when
// cancelled.
export async function pickWithHandle(types) {
  let handle;
  try {
    [handle] = await window.showOpenFilePicker({ types, multiple: false });
  } catch {
    return null;  // cancelled
  }
  try {
    return { file: await handle.getFile(), handle };
  } catch {
    return { file: null, handle };
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
  return extension === "" || /\.[^./\\]*$/.test(name) ? name : `${name}.${extension}`;
}
