// Links that carry a program: the page's address with "#kv1=" and the program's
// UTF-8 text, compressed with zlib's deflate (CompressionStream "deflate": its
// Adler-32 check tells a damaged link from a program) and written in base64url.
// The fragment never reaches the server, and nothing but the text is read from it.

const PREFIX = "kv1=";
const FORMAT = "deflate";
const CHUNK = 0x8000;  // bytes turned into a string at a time (call arguments are limited)

async function compress(bytes) {
  const stream = new Blob([bytes]).stream().pipeThrough(new CompressionStream(FORMAT));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

// The unpacked bytes, "damaged" when they cannot be unpacked, or "tooLong" as soon
// as they pass maxBytes (a small link may unpack to gigabytes).
async function decompress(bytes, maxBytes) {
  const reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream(FORMAT)).getReader();
  const chunks = [];
  let size = 0;
  try {
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      size += value.length;
      if (size > maxBytes) {
        reader.cancel().catch(() => undefined);
        return "tooLong";
      }
      chunks.push(value);
    }
  } catch {
    return "damaged";  // not deflate, cut short, or a failed check
  }
  const joined = new Uint8Array(size);
  let at = 0;
  for (const chunk of chunks) {
    joined.set(chunk, at);
    at += chunk.length;
  }
  return joined;
}

function toBase64Url(bytes) {
  let binary = "";
  for (let i = 0; i < bytes.length; i += CHUNK) binary += String.fromCharCode(...bytes.subarray(i, i + CHUNK));
  return btoa(binary).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
}

// The bytes, or null when the text is no base64url.
function fromBase64Url(text) {
  if (!/^[A-Za-z0-9_-]*$/.test(text) || text.length % 4 === 1) return null;
  const binary = atob(text.replace(/-/g, "+").replace(/_/g, "/"));
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i += 1) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// The link that opens text on the page at pageUrl, or null when a link cannot hold
// it: longer than maxLinkChars, or a text of more than maxProgramBytes, which no
// page would open.
export async function makeLink(text, pageUrl, { maxLinkChars, maxProgramBytes }) {
  const bytes = new TextEncoder().encode(text);
  if (bytes.length > maxProgramBytes) return null;
  const url = new URL(pageUrl);
  url.hash = PREFIX + toBase64Url(await compress(bytes));
  return url.href.length <= maxLinkChars ? url.href : null;
}

// What an address carries: null when its fragment is no program link, else
// { outcome: "program", text }, { outcome: "damaged" } or { outcome: "tooLong" }.
export async function readLink(href, { maxLinkChars, maxProgramBytes }) {
  const hash = href.indexOf("#");
  if (hash < 0 || !href.startsWith(PREFIX, hash + 1)) return null;
  if (href.length > maxLinkChars) return { outcome: "tooLong" };
  const packed = fromBase64Url(href.slice(hash + 1 + PREFIX.length));
  if (!packed) return { outcome: "damaged" };
  const unpacked = await decompress(packed, maxProgramBytes);
  if (typeof unpacked === "string") return { outcome: unpacked };
  try {
    return { outcome: "program", text: new TextDecoder("utf-8", { fatal: true }).decode(unpacked) };
  } catch {
    return { outcome: "damaged" };
  }
}

// The address without its program link (a reload must not open the link again).
export function withoutLink(href) {
  const hash = href.indexOf("#");
  return hash < 0 ? href : href.slice(0, hash);
}
