// The share dialog: the link that carries the program, a button that copies it,
// and its QR code for a class to scan from a projector. The QR encoder (qr, pinned
// in web/package-lock.json) is copied into the site by web/build.sh and loaded
// only when a dialog needs it.
import { showModalBox } from "./dialogs.js";
import { make } from "./dom.js";
import { PageTexts } from "./page_texts.js";

// Modules of white around the code, as scanners expect.
const QUIET_ZONE = 4;
// Medium error correction where the link fits, else the most the code holds.
const CORRECTION_LEVELS = ["medium", "low"];

function button(caption, onClick) {
  const node = make("button", { type: "button" }, caption);
  node.addEventListener("click", onClick);
  return node;
}

// The code's modules with its quiet zone (rows of booleans, true dark), or null
// when the link is too long for a code.
async function qrModules(link) {
  const { default: encodeQR } = await import("./vendor/qr.js");
  for (const ecc of CORRECTION_LEVELS) {
    try {
      return encodeQR(link, "raw", { ecc, border: QUIET_ZONE });
    } catch { /* too long at this level */ }
  }
  return null;
}

// One canvas pixel per module; the stylesheet scales it up without smoothing.
function drawCode(modules) {
  const size = modules.length;
  const canvas = make("canvas", { class: "share-code" });
  canvas.width = size;
  canvas.height = size;
  canvas.setAttribute("role", "img");
  canvas.setAttribute("aria-label", PageTexts.shareCode);
  const context = canvas.getContext("2d");
  context.fillStyle = "#fff";
  context.fillRect(0, 0, size, size);
  context.fillStyle = "#000";
  modules.forEach((row, y) => row.forEach((dark, x) => {
    if (dark) context.fillRect(x, y, 1, 1);
  }));
  return canvas;
}

async function copy(field, said) {
  try {
    await navigator.clipboard.writeText(field.value);
    said.textContent = PageTexts.linkCopied;
  } catch {
    field.focus();
    field.select();
    said.textContent = document.execCommand("copy") ? PageTexts.linkCopied : PageTexts.copyByHand;
  }
}

// Shows the dialog for link (null: the program is too long for a link); resolves
// once it is closed.
export async function showShareDialog(link, { maxLinkChars }) {
  const dialog = make("dialog", { class: "box share" });
  dialog.setAttribute("aria-label", PageTexts.shareCaption);
  const body = make("div", { class: "share-body" });
  const close = button(PageTexts.close, () => dialog.close());
  let first = close;
  if (link === null) {
    body.append(make("p", {}, PageTexts.linkTooLong(maxLinkChars)));
  } else {
    const field = make("input");
    field.type = "text";
    field.readOnly = true;
    field.value = link;
    field.setAttribute("aria-label", PageTexts.shareLink);
    const said = make("p", { class: "share-copied" });
    said.setAttribute("role", "status");
    first = button(PageTexts.copyLink, () => copy(field, said));
    const row = make("div", { class: "share-link" });
    row.append(field, first);
    const modules = await qrModules(link);
    body.append(make("p", {}, PageTexts.shareIntro), row, said,
                modules ? drawCode(modules) : make("p", {}, PageTexts.noCode));
  }
  const buttons = make("div", { class: "box-buttons" });
  buttons.append(close);
  dialog.append(make("div", { class: "box-caption" }, PageTexts.shareCaption), body, buttons);
  const closed = new Promise((resolve) => dialog.addEventListener("close", resolve, { once: true }));
  showModalBox(dialog);
  first.focus();
  return closed;
}
