#pragma once
// The items of PopupMenu1, the editor's pop-up menu, as plain data (no Qt), so
// that the desktop menu and the browser page's generated texts share one table.

#include <span>
#include <string_view>

namespace kurovel {

inline constexpr std::string_view kClipboardUnavailable = "クリップボードを開くことができません";

enum class MenuItemKind { kInsert, kSubMenu, kCopy, kPaste };

// One entry of PopupMenu1, in menu order. Entries marked in_variables belong to
// the sub-menu "変数" (N16), which the table lists before them.
struct PopupMenuItem {
  std::string_view name;     // object name of the action (or of the sub-menu)
  std::string_view caption;  // UTF-8
  MenuItemKind kind = MenuItemKind::kInsert;
  bool in_variables = false;
  std::string_view text;  // inserted text (UTF-8), for kInsert
};
std::span<const PopupMenuItem> PopupMenuItems();

}  // namespace kurovel
