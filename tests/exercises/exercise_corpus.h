#pragma once
// The pupil-like programs of every exercise (this folder) and the verdict each one
// gets (verdicts.tsv: file, exercise, pass or fail, message), for the tests of the
// checks, of kurovel-run and of the desktop window.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace kurovel::testing {

inline const std::filesystem::path kExercisesDir = KUROVEL_EXERCISES_DIR;

struct CorpusRow {
  std::string file;  // relative to kExercisesDir
  int exercise = 0;
  bool passed = false;
  std::string message;
};

inline std::vector<CorpusRow> ReadCorpus() {
  std::vector<CorpusRow> rows;
  std::ifstream in(kExercisesDir / "verdicts.tsv");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    CorpusRow row;
    std::string exercise, verdict;
    std::getline(fields, row.file, '\t');
    std::getline(fields, exercise, '\t');
    std::getline(fields, verdict, '\t');
    std::getline(fields, row.message);
    row.exercise = std::stoi(exercise);
    row.passed = verdict == "pass";
    rows.push_back(row);
  }
  return rows;
}

// The file's bytes, or "" when it cannot be read.
inline std::string ReadCorpusFile(const CorpusRow& row) {
  std::ifstream in(kExercisesDir / row.file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace kurovel::testing
