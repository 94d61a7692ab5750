// Keeps the site's files so the page works without a network once opened:
// answers from the cache at once and refreshes the cache from the network.

const CACHE = "kurovel-v3";
const FILES = [
  "./", "index.html", "manifest.webmanifest", "texts.json", "kurovel.js", "kurovel.wasm",
  "css/kurovel.css",
  "js/boot.js", "js/main.js", "js/engine.js", "js/requests.js", "js/run_view.js", "js/editor_lines.js",
  "js/canvas_view.js", "js/dialogs.js", "js/menubar.js", "js/speed_menu.js", "js/help_window.js",
  "js/insertion_menu.js", "js/draft_store.js", "js/file_io.js",
  "js/dom.js", "js/module_heap.js", "js/exercise_tab.js", "js/class_report.js", "js/class_worker.js",
  "icons/kurovel-128.png", "icons/kurovel-256.png",
];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) if (name !== CACHE) await caches.delete(name);
    await self.clients.claim();
  })());
});

self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET" || new URL(event.request.url).origin !== location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const cached = await cache.match(event.request, { ignoreSearch: true });
    const refreshed = fetch(event.request).then((response) => {
      if (response.ok) cache.put(event.request, response.clone());
      return response;
    });
    if (cached) {
      event.waitUntil(refreshed.catch(() => undefined));
      return cached;
    }
    return refreshed;
  })());
});
