#pragma once
// The drawing area's pictures: every repaint and clear screen, the background
// picture laid under the drawing, and the drawing saved as a picture.

#include <functional>
#include <string>

#include "controllers/flow.h"
#include "files/pictures.h"
#include "language/session.h"

namespace kurovel {

// Runs action; an error it throws becomes the error box's request, else kNone.
// For the handlers that are no flow: they run at once, whatever a flow waits for.
Request Attempt(const std::function<void()>& action);

class PictureController {
 public:
  PictureController(Session& session, PictureState& pictures) : session_(session), pictures_(pictures) {}

  // Every repaint: the painted area white, the turtle at the centre, the
  // remembered background laid. Throws KurovelError when the background can no
  // longer be read (it is forgotten then, so the next repaint is quiet).
  void Repaint(std::int32_t painted_width, std::int32_t painted_height);
  // 画面消去: as a repaint, on the surface alone.
  void ClearScreen();

  // 背景を読み込む: the picture dialog, then the picture under the drawing.
  Flow<> LoadBackground();
  // 名前を付けて作品を保存: what is drawn now (before the dialog covers anything),
  // then the save dialog and the file.
  Flow<> SavePicture();

 private:
  Session& session_;
  PictureState& pictures_;
  std::string last_picture_name_;  // the name last chosen in the save dialog
};

}  // namespace kurovel
