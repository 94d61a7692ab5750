// The editor's text kept in the browser, so a reload or a closed tab loses nothing.

const KEY = "kurovel.draft";

export function saveDraft(draft) {
  try { localStorage.setItem(KEY, JSON.stringify(draft)); } catch { /* storage full or disabled */ }
}

// { text, fileName, modified } or null.
export function loadDraft() {
  try {
    const draft = JSON.parse(localStorage.getItem(KEY));
    return typeof draft?.text === "string" ? draft : null;
  } catch {
    return null;
  }
}
