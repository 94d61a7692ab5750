// The class report off the page's thread: each file a teacher hands in runs in
// a fresh session of this worker's own module, within kurovel-class's limits,
// so that no endless loop holds up the page; the browser encodes each drawing
// as PNG, and the module builds the report from the rows.
//
// In:  { folder, exercise (0: no check), files: [File] }
// Out: { progress, total } after each file, then { summary, html, csv } (csv as
//      UTF-8 bytes), or { failed: reason }.
import KurovelModule from "../kurovel.js";
import { createHeap } from "./module_heap.js";

const loaded = KurovelModule();

// The first bytes of a file, one more than any program has, or null when the
// file cannot be read.
async function firstBytes(file, maxBytes) {
  try {
    return new Uint8Array(await file.slice(0, maxBytes + 1).arrayBuffer());
  } catch {
    return null;
  }
}

async function drawingAsPng(kv, heap) {
  const width = kv._kv_class_drawing_width();
  const height = kv._kv_class_drawing_height();
  const rgba = new Uint8ClampedArray(heap.bytesAt(kv._kv_class_drawing_rgba(), width * height * 4).buffer);
  const canvas = new OffscreenCanvas(width, height);
  canvas.getContext("2d").putImageData(new ImageData(rgba, width, height), 0, 0);
  const blob = await canvas.convertToBlob({ type: "image/png" });
  return new Uint8Array(await blob.arrayBuffer());
}

async function report({ folder, exercise, files }) {
  const kv = await loaded;
  const heap = createHeap(kv);
  if (heap.withStrings([folder], (name) => kv._kv_class_begin(name, exercise)) !== 0) {
    throw new RangeError(`no exercise ${exercise}`);
  }
  const maxBytes = kv._kv_class_max_file_bytes();
  for (const [index, file] of files.entries()) {
    const bytes = await firstBytes(file, maxBytes);
    const drew = heap.withStrings([file.name], (name) => heap.withBytes(bytes, (b, n) => kv._kv_class_add(name, b, n)));
    if (drew) {
      const png = await drawingAsPng(kv, heap);
      heap.withBytes(png, (b, n) => kv._kv_class_set_png(b, n));
    }
    self.postMessage({ progress: index + 1, total: files.length });
  }
  const text = (pointer) => heap.textAt(pointer, kv._kv_class_text_size());
  const summary = text(kv._kv_class_summary());
  const html = text(kv._kv_class_html());
  const csvAt = kv._kv_class_csv();
  return { summary, html, csv: heap.bytesAt(csvAt, kv._kv_class_text_size()) };
}

self.addEventListener("message", async ({ data }) => {
  try {
    const done = await report(data);
    self.postMessage(done, [done.csv.buffer]);
  } catch (error) {
    self.postMessage({ failed: String(error?.message ?? error) });
  }
});
