// This tab's identity. It is kept in the tab's session storage, so a reload of
// the tab is the same tab, and held as a Web Lock while the page lives, so other
// tabs can tell which drafts belong to a tab that is still open. A duplicated
// tab inherits the session storage, finds the lock held and takes a new identity.

const KEY = "kurovel.tab";
const LOCK_PREFIX = "kurovel-tab:";
// How long a reloaded page waits for the page it replaces to let go of the lock.
const CLAIM_WAIT_MS = 1000;

function newId() {
  return [...crypto.getRandomValues(new Uint8Array(16))].map((byte) => byte.toString(16).padStart(2, "0")).join("");
}

// True once this page holds the identity's lock (until it goes), false when
// another open page holds it. Without Web Locks (pages not served over HTTPS or
// from localhost) every identity counts as free.
function hold(id) {
  if (!navigator.locks) return Promise.resolve(true);
  return new Promise((resolve) => {
    const giveUp = new AbortController();
    const timer = setTimeout(() => giveUp.abort(), CLAIM_WAIT_MS);
    navigator.locks.request(LOCK_PREFIX + id, { signal: giveUp.signal }, () => {
      clearTimeout(timer);
      resolve(true);
      return new Promise(() => {});  // released when the page goes
    }).catch(() => resolve(false));
  });
}

export async function claimTab() {
  let id = null;
  try { id = sessionStorage.getItem(KEY); } catch { /* storage blocked: a new identity at each load */ }
  if (id && await hold(id)) return id;
  id = newId();
  await hold(id);
  try { sessionStorage.setItem(KEY, id); } catch { /* as above */ }
  return id;
}

// The identities of the tabs open now, or null when the browser cannot tell.
export async function openTabs() {
  if (!navigator.locks) return null;
  const { held = [] } = await navigator.locks.query();
  return new Set(held.map(({ name }) => name).filter((name) => name?.startsWith(LOCK_PREFIX))
                     .map((name) => name.slice(LOCK_PREFIX.length)));
}
