#include "controllers/picture_controller.h"

#include <exception>

#include "files/bitmap_file.h"
#include "language/errors.h"

namespace kurovel {

Request Attempt(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& error) {
    return ShowError(ErrorMessageOf(error));
  }
  return {};
}

void PictureController::Repaint(std::int32_t painted_width, std::int32_t painted_height) {
  session_.Repaint(painted_width, painted_height);
  LayRememberedBackground(session_.turtle, pictures_);
}

void PictureController::ClearScreen() { ClearWithBackground(session_.turtle, pictures_); }

Flow<> PictureController::LoadBackground() {
  const Reply chosen =
      co_await ChooseFile(FileDialogKind::kOpenPicture, pictures_.background_file_name, kOpenPictureFilter, {});
  if (chosen.answer != Answer::kDone || chosen.text.empty()) co_return;
  UseBackground(session_.turtle, pictures_, chosen.text);
}

Flow<> PictureController::SavePicture() {
  const Picture snapshot = TakeDrawingSnapshot(session_.turtle.Surface());
  const Reply chosen = co_await ChooseFile(FileDialogKind::kSavePicture, last_picture_name_,
                                           SavePictureFilter(pictures_), kSavePictureDefaultExtension);
  if (chosen.answer != Answer::kDone || chosen.text.empty()) co_return;
  last_picture_name_ = chosen.text;
  // The dialog offers the later filter from now on, whether or not the file is written.
  pictures_.picture_saved_before = true;
  const Reply written = co_await WriteFile(chosen.text, EncodeBitmap(snapshot));
  if (written.answer != Answer::kDone) throw KurovelError(CannotCreateMessage(chosen.text));
}

}  // namespace kurovel
