// The page's own texts for what only the browser has: the kept drafts, the
// offline copy's updates. (The desktop's texts come from texts.json; the start's
// failures are in boot.js, which must say them when nothing else loads.)
import { DRAFT_LIFETIME_DAYS } from "./drafts.js";

const dateTime = new Intl.DateTimeFormat("ja-JP", { month: "numeric", day: "numeric", hour: "2-digit",
                                                    minute: "2-digit" });

// Why a draft could not be kept, by the error's name.
const NOT_KEPT_REASONS = [
  [["QuotaExceededError"], "ブラウザーに保存できる量を超えました"],
  [["SecurityError", "InvalidStateError", "NotFoundError", "UnknownError", "ReferenceError", "TypeError"],
   "このブラウザーの設定（プライベート ブラウズなど）では、ページのデータを残せません"],
];
const NOT_KEPT_OTHERWISE = "ブラウザーが保存を受け付けませんでした";

export const PageTexts = Object.freeze({
  save: "保存",
  close: "閉じる",

  draftsCaption: "保存されていないプログラム",
  draftsIntro: "前に開いていたページに、保存されていないプログラムが残っています。続きを書くものを選んでください。" +
               `選ばなかったものは、最後の変更から${DRAFT_LIFETIME_DAYS}日で消えます。`,
  startWithout: "選ばずに始める",
  // One draft in the list: when, under which name, how long, how it starts.
  draftChoice: ({ savedAt, fileName, lines, firstLine }) =>
    `${dateTime.format(savedAt)}　${fileName || "名前なし"}（${lines}行）　${firstLine}`,

  draftNotKept: (error) => {
    const reason = NOT_KEPT_REASONS.find(([names]) => names.includes(error?.name))?.[1] ?? NOT_KEPT_OTHERWISE;
    return `このプログラムの下書きをブラウザーに残せません（${reason}）。` +
           "ページを閉じたり読み込み直したりすると変更が失われるので、保存してください。";
  },

  updateReady: "Kurovel の新しい版を使う準備ができました。読み込み直すと新しい版になります。",

  shareCaption: "リンクで共有",
  shareIntro: "このリンクを開くと、今のプログラムがエディターに入ります（実行はされません）。" +
              "リンクをコピーして渡すか、QR コードをタブレットで読み取ってください。",
  shareLink: "リンク",
  copyLink: "リンクをコピー",
  linkCopied: "リンクをコピーしました。",
  copyByHand: "コピーできませんでした。選ばれたリンクを長押しするか Ctrl+C でコピーしてください。",
  shareCode: "リンクの QR コード",
  noCode: "このリンクは長いため、QR コードにできません。リンクをコピーして渡してください。",
  linkTooLong: (maxLinkChars) => `このプログラムは長すぎるため、リンクにできません（リンクは ${maxLinkChars.toLocaleString("ja-JP")} 文字まで）。` +
                                 "ファイルに保存して渡してください。",
  reload: "読み込み直す",
});
