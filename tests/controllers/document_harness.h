#pragma once
// A program document on a session, driven by a fake front end with files in memory.

#include <string>

#include "controllers/document_controller.h"
#include "engine/limits.h"
#include "engine/raster_surface.h"
#include "fake_front_end.h"
#include "language/session.h"

namespace kurovel::testing {

constexpr const char* kTitle = "Kurovel Ver1.60 Taverin";
constexpr const char* kDiscard = "プログラムが変更されています。よろしいですか？";
constexpr const char* kSaveQuestion = "プログラムが変更されています。保存しますか？";
// "まえに　１００" CR LF "rt 90" in Shift-JIS, and as the editor shows it.
inline const std::string kSquareBytes = "\x82\xDC\x82\xA6\x82\xC9\x81\x40\x82\x50\x82\x4F\x82\x4F\r\nrt 90";
constexpr const char* kSquareText = "まえに　１００\nrt 90";

inline std::string Caption(const std::string& file) { return file.empty() ? kTitle : std::string(kTitle) + " " + file; }

// A document on a session, driven by a fake front end.
struct DocumentHarness {
  DocumentHarness() {
    front.files = {{"/p/a.kv", kSquareBytes}, {"/p/b.kv", "fd 5"}, {"/p/a.KV", "fd 7"}};
    front.caption = kTitle;
  }
  void Drive(Flow<> flow) { front.Drive(flows, flows.Start(std::move(flow))); }
  // The editor shows /p/b.kv, and then the user's change, if any.
  void OpenB(const char* typed) {
    front.script = {Pick("/p/b.kv")};
    Drive(document.Open());
    if (*typed != '\0') Type(typed);
  }
  void Type(const std::string& text) {
    front.editor += text;
    document.EditorChanged();
  }

  RasterSurface surface{kDefaultSurfaceWidth, kDefaultSurfaceHeight};
  Session session{surface};
  PictureState pictures;
  bool close_hook_ran = false;
  DocumentController document{session.turtle, pictures, [this] { close_hook_ran = true; }};
  FlowRunner flows;
  FakeFrontEnd front;
};

}  // namespace kurovel::testing
