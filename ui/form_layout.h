#pragma once
// How the main window's controls follow its size. The rules are stated in terms
// of the window's outer size (frame, caption and menu bar included), which is
// why the drawing area can reach a few pixels under the panel that covers it.

namespace kurovel {

struct FormLayout {
  int drawing_area_width = 0;  // the drawing area, docked left
  int editor_width = 0;     // the program editor
  int editor_height = 0;
  int first_row_top = 0;    // 画面消去, 呼出, 終了
  int second_row_top = 0;   // 使い方, 保存
};

inline constexpr int kPanelWidth = 250;

// Never negative: a window smaller than the rules assume gives empty controls
// rather than sizes the toolkit would reject.
FormLayout ComputeFormLayout(int outer_width, int outer_height, int panel_width = kPanelWidth);

}  // namespace kurovel
