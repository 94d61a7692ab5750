// The drafts of every tab in the browser's IndexedDB (local storage's few
// megabytes do not hold a large program): per tab a short summary for the list
// of drafts, and the text apart, read only when it is restored.

const DATABASE = "kurovel-drafts";
const SUMMARIES = "summaries";  // { tab, fileName, savedAt, firstLine, lines }
const TEXTS = "texts";          // { tab, text }
const FIRST_LINE_CHARACTERS = 40;

const result = (request) => new Promise((resolve, reject) => {
  request.onsuccess = () => resolve(request.result);
  request.onerror = () => reject(request.error);
});

// Settles when the transaction has committed; a failure (the quota, a full disk)
// rejects with the transaction's error.
const committed = (transaction) => new Promise((resolve, reject) => {
  transaction.oncomplete = () => resolve();
  transaction.onabort = transaction.onerror = () => reject(transaction.error ?? new DOMException("aborted", "AbortError"));
});

function summaryOf(tab, { text, fileName }, savedAt) {
  let lines = 1;
  for (let at = text.indexOf("\n"); at >= 0; at = text.indexOf("\n", at + 1)) lines += 1;
  const firstLine = (text.split("\n", 64).find((line) => line.trim() !== "") ?? "").trim();
  return { tab, fileName, savedAt, firstLine: firstLine.slice(0, FIRST_LINE_CHARACTERS), lines };
}

// Rejects when the browser keeps no data for the page (storage blocked, some
// private modes, no IndexedDB).
export async function openDraftStore() {
  const request = indexedDB.open(DATABASE, 1);
  request.onupgradeneeded = () => {
    request.result.createObjectStore(SUMMARIES, { keyPath: "tab" });
    request.result.createObjectStore(TEXTS, { keyPath: "tab" });
  };
  const db = await result(request);

  // Runs work(summaries, texts) in one transaction; resolves with what work
  // returned once the transaction has committed.
  async function change(work) {
    const transaction = db.transaction([SUMMARIES, TEXTS], "readwrite");
    const done = committed(transaction);
    let value;
    try {
      value = work(transaction.objectStore(SUMMARIES), transaction.objectStore(TEXTS));
    } catch (error) {
      // Half a draft is never kept: a summary without its text, or the reverse.
      done.catch(() => undefined);
      transaction.abort();
      throw error;
    }
    transaction.commit?.();
    await done;
    return value;
  }

  return {
    // Keeps draft ({ text, fileName }) as the tab's.
    put: (tab, draft) => change((summaries, texts) => {
      summaries.put(summaryOf(tab, draft, Date.now()));
      texts.put({ tab, text: draft.text });
    }),
    remove: (tabs) => change((summaries, texts) => {
      for (const tab of tabs) {
        summaries.delete(tab);
        texts.delete(tab);
      }
    }),
    // Every tab's summary.
    summaries: () => result(db.transaction(SUMMARIES).objectStore(SUMMARIES).getAll()),
    // The tab's draft { text, fileName }, or null.
    async draft(tab) {
      const transaction = db.transaction([SUMMARIES, TEXTS]);
      const [summary, text] = await Promise.all([result(transaction.objectStore(SUMMARIES).get(tab)),
                                                 result(transaction.objectStore(TEXTS).get(tab))]);
      return summary && text ? { text: text.text, fileName: summary.fileName } : null;
    },
    // Makes the draft of tab `from` the draft of tab `to`, in one step; the
    // draft, or null when there was none.
    async move(from, to) {
      const draft = await this.draft(from);
      if (!draft) return null;
      await change((summaries, texts) => {
        summaries.put(summaryOf(to, draft, Date.now()));
        texts.put({ tab: to, text: draft.text });
        summaries.delete(from);
        texts.delete(from);
      });
      return draft;
    },
  };
}
