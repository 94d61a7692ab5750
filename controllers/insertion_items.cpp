// The item table of PopupMenu1.

#include "controllers/insertion_items.h"

#include <array>

namespace kurovel {
namespace {

using enum MenuItemKind;

constexpr std::array<PopupMenuItem, 28> kItems = {{
    {"N3", "前へ", kInsert, false, "前へ\u3000"},
    {"N4", "後ろへ", kInsert, false, "後ろへ\u3000"},
    {"N5", "右へ", kInsert, false, "右へ\u3000"},
    {"N6", "左へ", kInsert, false, "左へ\u3000"},
    {"N7", "ペンをあげる", kInsert, false, "ペンをあげる\u3000"},
    {"N8", "ぺんをさげる", kInsert, false, "ぺんをさげる"},
    {"N9", "くりかえし", kInsert, false, "くりかえし\u3000"},
    {"N10", "ここまで", kInsert, false, "ここまで"},
    {"N11", "けす", kInsert, false, "けす"},
    {"N12", "もとのむき", kInsert, false, "もとのむき"},
    {"N13", "もとのいち", kInsert, false, "もとのいち"},
    {"N29", "いどう", kInsert, false, "いどう\u3000"},
    {"N14", "やじるし", kInsert, false, "やじるし"},
    {"N16", "変数", kSubMenu, false, {}},
    {"N25", "ふやす", kInsert, true, "ふやす\u3000"},
    {"N26", "へらす", kInsert, true, "へらす\u3000"},
    {"N27", "かける", kInsert, true, "かける\u3000"},
    {"N28", "わる", kInsert, true, "わる\u3000"},
    {"N17", "変数１", kInsert, true, "変数１"},
    {"N18", "変数２", kInsert, true, "変数２"},
    {"N19", "変数３", kInsert, true, "変数３"},
    {"N20", "変数４", kInsert, true, "変数４"},
    {"N21", "変数５", kInsert, true, "変数５"},
    {"N22", "変数６", kInsert, true, "変数６"},
    {"N23", "変数７", kInsert, true, "変数７"},
    {"N24", "変数８", kInsert, true, "変数８"},
    {"copy1", "コピー", kCopy, false, {}},
    {"Paste1", "貼り付け", kPaste, false, {}},
}};

}  // namespace

std::span<const PopupMenuItem> PopupMenuItems() { return kItems; }

}  // namespace kurovel
