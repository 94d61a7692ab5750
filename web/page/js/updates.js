// Registers the service worker that keeps the site for offline use (sw.js) and
// offers a reload once a newer build is installed. The newer build takes over
// only when the pupil accepts (or every page of the old one has closed), so a
// page never runs on files of two builds.

// offerReload(apply) is called once a newer build waits; apply switches to it
// and reloads the page.
export function watchForUpdates(workerUrl, offerReload) {
  if (!("serviceWorker" in navigator) || location.protocol === "file:") return;
  const workers = navigator.serviceWorker;
  let offered = false;
  function waiting(worker) {
    // The first install is no update: the page already is what it keeps.
    if (offered || !workers.controller) return;
    offered = true;
    offerReload(() => {
      if (worker.state !== "installed") {
        location.reload();  // another page switched already
        return;
      }
      workers.addEventListener("controllerchange", () => location.reload(), { once: true });
      worker.postMessage("activate");
    });
  }
  const installing = (worker) => worker?.addEventListener("statechange", () => {
    if (worker.state === "installed") waiting(worker);
  });
  workers.register(workerUrl, { updateViaCache: "none" }).then((registration) => {
    // The browser may have begun the update before the page registered.
    if (registration.waiting) waiting(registration.waiting);
    installing(registration.installing);
    registration.addEventListener("updatefound", () => installing(registration.installing));
    // Looks for a newer build now rather than when the browser gets round to it.
    registration.update().catch(() => { /* offline */ });
  }).catch(() => { /* the page works as well without offline use */ });
}
