// The tab's draft: the program's unsaved work, kept in the browser after every
// change so that a reload, a crash or a closed tab loses nothing. Each tab keeps
// its own (tab.js) and never writes another's. A tab that starts fresh is offered
// the drafts that no open tab owns, newest first.
import { openDraftStore } from "./draft_store.js";
import { claimTab, openTabs } from "./tab.js";

// A draft nobody has taken or changed for this long is removed.
export const DRAFT_LIFETIME_DAYS = 14;
const LIFETIME_MS = DRAFT_LIFETIME_DAYS * 24 * 60 * 60 * 1000;
// How many drafts a fresh tab offers at most.
const OFFERED_AT_MOST = 5;

// Where the page kept its one draft before drafts were kept per tab.
const SINGLE_DRAFT_KEY = "kurovel.draft";

const sameDraft = (a, b) => a === b || (a !== null && b !== null && a.text === b.text && a.fileName === b.fileName);

// The one draft of the page before, if unsaved, becomes a closed tab's draft, so
// a fresh tab offers it.
async function adoptSingleDraft(store) {
  let single = null;
  try {
    single = JSON.parse(localStorage.getItem(SINGLE_DRAFT_KEY));
  } catch {
    return;
  }
  if (typeof single?.text !== "string") return;
  if (single.modified) await store.put(`single-${Date.now()}`, { text: single.text, fileName: String(single.fileName ?? "") });
  localStorage.removeItem(SINGLE_DRAFT_KEY);
}

// onFailure(error) hears the first draft that could not be kept (once per page).
export async function openDrafts({ onFailure }) {
  const tab = await claimTab();
  let store = null;
  let storeFailure = null;
  try {
    store = await openDraftStore();
    await adoptSingleDraft(store).catch(() => undefined);
  } catch (error) {
    storeFailure = error;
  }

  let wanted = null;      // what the tab should keep: { text, fileName }, or null for nothing
  let writing = false;
  let reported = false;

  function failed(error) {
    if (reported) return;
    reported = true;
    onFailure(error);
  }

  // One write at a time; changes made meanwhile are written next, only the newest.
  async function write() {
    writing = true;
    try {
      let written;
      do {
        written = wanted;
        try {
          if (!store) {
            if (written) throw storeFailure;
          } else if (written) {
            await store.put(tab, written);
          } else {
            await store.remove([tab]);
          }
        } catch (error) {
          failed(error);
          return;
        }
      } while (!sameDraft(written, wanted));
    } finally {
      writing = false;
    }
  }

  return {
    // The draft this tab kept before it was reloaded, or null.
    async own() {
      try {
        wanted = store && await store.draft(tab);
      } catch {
        wanted = null;
      }
      return wanted;
    },
    // Summaries of the drafts of closed tabs, newest first; expired ones are removed.
    async offered() {
      if (!store) return [];
      try {
        const open = await openTabs();
        const now = Date.now();
        const others = (await store.summaries()).filter((summary) => summary.tab !== tab && !open?.has(summary.tab));
        const expired = others.filter((summary) => !(now - summary.savedAt <= LIFETIME_MS));
        if (expired.length > 0) await store.remove(expired.map((summary) => summary.tab));
        return others.filter((summary) => !expired.includes(summary))
                     .sort((a, b) => b.savedAt - a.savedAt).slice(0, OFFERED_AT_MOST);
      } catch {
        return [];
      }
    },
    // Makes a closed tab's draft this tab's own; the draft, or null when it is gone.
    async take(summary) {
      try {
        const draft = await store.move(summary.tab, tab);
        if (draft) wanted = draft;
        return draft;
      } catch {
        return null;
      }
    },
    // Keeps draft ({ text, fileName }) as the tab's, or with null keeps nothing
    // (the program was saved or its changes given up).
    keep(draft) {
      if (sameDraft(draft, wanted)) return;
      wanted = draft;
      if (!writing) write();
    },
  };
}
