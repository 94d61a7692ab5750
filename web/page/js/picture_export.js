// The drawing for people: saved as a PNG picture, which every tablet opens (the
// canvas's own encoder; the BMP of 名前を付けて作品を保存 stays), and printed
// through the browser (the stylesheet's print rules put the drawing alone on the
// page, scaled to fit).
import * as files from "./file_io.js";

const PNG_TYPES = [{ description: "PNG", accept: { "image/png": [".png"] } }];
const PNG_EXTENSION = "png";

export function createPictureExport({ canvas, dialogs, texts }) {
  let lastName = "";  // the name last chosen, offered the next time

  // The file's name and, where the browser has a save dialog of its own, a handle
  // to write through; null when cancelled.
  async function chooseName() {
    if (files.hasFileSystemAccess()) {
      const handle = await files.chooseSaveHandle(lastName || undefined, PNG_TYPES);
      return handle && { name: handle.name, handle };
    }
    const typed = await dialogs.fileName(texts.applicationTitle, lastName);
    return typed && { name: files.withExtension(typed, PNG_EXTENSION), handle: null };
  }

  return {
    // What is drawn now (before the dialog covers anything), then its file.
    async savePng() {
      const picture = await new Promise((resolve) => canvas.toBlob(resolve, "image/png"));
      const chosen = await chooseName();
      if (!chosen) return;
      lastName = chosen.name;
      const bytes = picture && new Uint8Array(await picture.arrayBuffer());
      const written = bytes && (chosen.handle ? await files.writeHandle(chosen.handle, bytes)
                                              : (files.download(chosen.name, bytes, "image/png"), true));
      if (!written) await dialogs.error(texts.cannotCreate.join(chosen.name));
    },
    print: () => window.print(),
  };
}
