#pragma once
// The main window's fixed texts that the browser page shows too, as plain data
// (no Qt), so that both read them from one place.

namespace kurovel {

// Caption of the error box and of the notice.
inline constexpr const char* kApplicationTitle = "Kurovel";

inline constexpr const char* kWarningDiscard = "プログラムが変更されています。よろしいですか？";
inline constexpr const char* kWarningSave = "プログラムが変更されています。保存しますか？";
inline constexpr const char* kWarningCaptionFile = "警告!";
inline constexpr const char* kDropOneFile = "ドロップするファイルは1つにしてください。";
// The menu of the five run speeds (controllers/run_speed.h).
inline constexpr const char* kSpeedMenuCaption = "速度";
// After the caption while the editor shows a kept draft that was never saved.
inline constexpr const char* kUnsavedMark = "（未保存）";
// A program link that cannot be opened (the page's share links): nothing changes.
inline constexpr const char* kSharedLinkDamaged =
    "このリンクは壊れているため、プログラムを開けません。リンクが途中で切れていないか確かめてください。";
inline constexpr const char* kSharedLinkTooLong =
    "このリンクのプログラムは長すぎるため、開けません。プログラムはファイルで受け取ってください。";

}  // namespace kurovel
