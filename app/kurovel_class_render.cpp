#include "app/kurovel_class_render.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <exception>
#include <fstream>
#include <utility>
#include <optional>
#include <string>
#include <thread>

#include "app/png_encoder.h"
#include "language/cp932.h"
#include "language/text_encoding.h"

namespace kurovel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProgramExtension = ".kv";

bool IsProgramName(const fs::path& path) {
  const std::string extension = path.extension().string();
  return extension.size() == kProgramExtension.size() &&
         std::equal(extension.begin(), extension.end(), kProgramExtension.begin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// File names are bytes: UTF-8 on this system, but Shift-JIS when they come from
// a Windows computer.
std::string DisplayName(const fs::path& file) {
  const std::string name = file.filename().string();
  return DetectEncoding(name) == TextEncoding::kShiftJis ? Cp932ToUtf8(name) : name;
}

// The file's bytes, at most one more than any program has (so that a larger file
// is known as too large without reading all of it), or nothing when it cannot be read.
std::optional<std::string> ReadProgramBytes(const fs::path& file) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  std::ifstream in(file, std::ios::binary);
  if (error || !in) return std::nullopt;
  std::string bytes(std::min<std::uintmax_t>(size, static_cast<std::uintmax_t>(kMaxProgramFileBytes) + 1), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return std::nullopt;
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

}  // namespace

std::vector<fs::path> ProgramFilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    std::error_code error;
    // A link that leads nowhere is listed too, and gets its row as unreadable.
    const bool file = entry.is_regular_file(error) || (entry.is_symlink(error) && !entry.exists(error));
    if (file && IsProgramName(entry.path())) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

ClassReportRow RenderProgramFile(const fs::path& file, const ClassSettings& settings) {
  std::string name = DisplayName(file);
  try {
    std::optional<std::string> bytes = ReadProgramBytes(file);
    if (!bytes) return UnreadableProgramRow(std::move(name));
    return RenderProgramBytes(name, std::move(*bytes), settings,
                              [](const Picture& drawing, ClassReportRow& row) { row.png = EncodePng(drawing); });
  } catch (const std::exception& error) {
    return CrashedProgramRow(std::move(name), error);
  }
}

std::vector<ClassReportRow> RenderProgramFiles(const std::vector<fs::path>& files, const ClassSettings& settings,
                                               unsigned threads) {
  std::vector<ClassReportRow> rows(files.size());
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < files.size(); i = next++) rows[i] = RenderProgramFile(files[i], settings);
  };
  std::vector<std::jthread> workers;
  for (unsigned t = 1; t < std::max(1u, threads); ++t) workers.emplace_back(work);
  work();
  return rows;
}

}  // namespace kurovel
