// Keeps one build of the site so the page works without a network once opened.
// A newer build is installed in one step: every file fetched afresh (never from
// the HTTP cache) and checked against the digest the build recorded, into a cache
// of its own. A file of another build fails the install, and the build in use
// stays. The newer build serves pages once the pupil accepts the page's offer to
// reload, or once no page of the older build is open.

// The build (web/build.sh, web/stamp_site.mjs) writes the next line: the cache's
// name, made from the files' contents, and each file with its SHA-256.
const BUILD = { cache: "kurovel-unstamped", files: {} };
const CACHE_PREFIX = "kurovel-";
// The caches of the workers before these stamps, which refreshed each file on its
// own and so could mix two builds: a worker that finds one takes over at once.
const MIXING_CACHE = /^kurovel-v\d+$/;

const hex = (digest) => [...new Uint8Array(digest)].map((byte) => byte.toString(16).padStart(2, "0")).join("");

async function fetchChecked(name, sha256) {
  const response = await fetch(new Request(name, { cache: "reload" }));
  if (!response.ok) throw new Error(`${name}: ${response.status}`);
  if (hex(await crypto.subtle.digest("SHA-256", await response.clone().arrayBuffer())) !== sha256) {
    throw new Error(`${name} belongs to another build`);
  }
  return [name, response];
}

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const fetched = await Promise.all(Object.entries(BUILD.files).map(([name, sha256]) => fetchChecked(name, sha256)));
    const cache = await caches.open(BUILD.cache);
    await Promise.all(fetched.map(([name, response]) => cache.put(name, response)));
    if ((await caches.keys()).some((name) => MIXING_CACHE.test(name))) await self.skipWaiting();
  })());
});

// The page's reload offer, accepted.
self.addEventListener("message", (event) => {
  if (event.data === "activate") self.skipWaiting();
});

self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith(CACHE_PREFIX) && name !== BUILD.cache) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

// Only this build's files, never a newer copy of one of them.
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET" || new URL(event.request.url).origin !== location.origin) return;
  event.respondWith((async () => {
    const cached = await caches.match(event.request, { cacheName: BUILD.cache, ignoreSearch: true });
    return cached ?? fetch(event.request);
  })());
});
