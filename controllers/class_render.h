#pragma once
// One pupil's program of the class report, run from its file's bytes on a fresh
// surface and session within the report's limits, as every front end renders it:
// kurovel-class on every core, the page in a worker.

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "controllers/class_report.h"
#include "engine/limits.h"
#include "engine/picture.h"

namespace kurovel {

// How the programs of a class are run: the surface, the limits, the check.
struct ClassSettings {
  std::int32_t width = kDefaultSurfaceWidth;
  std::int32_t height = kDefaultSurfaceHeight;
  std::uint64_t max_commands = kClassMaxCommands;
  double timeout_seconds = kClassTimeoutSeconds;
  const Exercise* exercise = nullptr;  // the check, if any
};

// What a front end does with a program's final drawing: kurovel-class encodes it
// as the row's PNG, the page hands it to the browser. It is called while the
// run's surface still exists; handing the drawing out after the surface was freed
// made the allocator give back and take again the memory of both for each file
// (kurovel-class spent ten times as long in the system).
using KeepDrawing = std::function<void(const Picture& drawing, ClassReportRow& row)>;

// Runs the bytes of a program file as the Run button does, from the start state,
// and gives the final drawing to keep_drawing. Never throws: bytes over
// kMaxProgramFileBytes (a front end reads at most one byte more), bytes that are
// no program text and a failure inside Kurovel (keep_drawing's included) give the
// row with the reason, and no drawing.
ClassReportRow RenderProgramBytes(std::string file_name, std::string bytes, const ClassSettings& settings,
                                  const KeepDrawing& keep_drawing);

// The row of a file that could not be read.
ClassReportRow UnreadableProgramRow(std::string file_name);
// The row of a file whose rendering failed inside Kurovel (such as out of memory).
ClassReportRow CrashedProgramRow(std::string file_name, const std::exception& error);

}  // namespace kurovel
