#pragma once
// A front end for the controllers' tests: an editor, a caption and files in memory,
// and a script that answers the questions and file dialogs in the order they come.
// Every request is recorded.

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "controllers/flow.h"

namespace kurovel::testing {

// An answer to a question box or a file dialog: a button, or a chosen path.
struct Choice {
  Answer answer = Answer::kDone;
  std::string path;
};
inline Choice Pick(std::string path) { return {Answer::kDone, std::move(path)}; }
inline const Choice kOk{Answer::kOk, {}};
inline const Choice kCancel{Answer::kCancel, {}};
inline const Choice kYes{Answer::kYes, {}};
inline const Choice kNo{Answer::kNo, {}};

class FakeFrontEnd {
 public:
  // Drives a flow to its end.
  void Drive(FlowRunner& runner, Request request) {
    while (request) request = runner.Answer(Perform(request));
  }
  // Answers one request as this front end does.
  Reply Perform(const Request& request) {
    requests.push_back(request.kind);
    Reply reply;
    switch (request.kind) {
      case RequestKind::kAsk:
        questions.push_back(request.text);
        reply.answer = NextChoice().answer;
        break;
      case RequestKind::kChooseFile: {
        dialogs.push_back(request.text);  // the name the dialog starts with
        const Choice choice = NextChoice();
        reply.answer = choice.answer == Answer::kDone ? Answer::kDone : Answer::kCancel;
        reply.text = choice.path;
        break;
      }
      case RequestKind::kShowMessage:
        messages.push_back(request.text);
        break;
      case RequestKind::kReadFile:
        if (unreadable.count(request.text) || !files.count(request.text)) {
          reply.answer = Answer::kFailed;
        } else {
          const std::string& bytes = files[request.text];
          reply.bytes = bytes.substr(0, static_cast<std::size_t>(request.max_bytes) + 1);
        }
        break;
      case RequestKind::kWriteFile:
        if (unwritable.count(request.text)) {
          reply.answer = Answer::kFailed;
        } else {
          files[request.text] = request.bytes;
          if (on_write) on_write();
        }
        break;
      case RequestKind::kGetEditorText:
        reply.text = editor;
        break;
      case RequestKind::kSetEditorText:
        if (fill_answer == Answer::kDone) editor = request.text;
        reply.answer = fill_answer;
        break;
      case RequestKind::kShowCaption:
        caption = request.text;
        break;
      case RequestKind::kBeginProgress:
        ++progress_depth;
        break;
      case RequestKind::kEndProgress:
        --progress_depth;
        break;
      case RequestKind::kBringToFront:
        ++brought_to_front;
        break;
      case RequestKind::kCloseWindow:
        closed = true;
        break;
      case RequestKind::kNone:
        break;
    }
    return reply;
  }

  std::deque<Choice> script;
  std::string editor;
  std::string caption;
  std::map<std::string, std::string> files;
  std::set<std::string> unreadable;
  std::set<std::string> unwritable;
  Answer fill_answer = Answer::kDone;  // how setting the editor's text ends
  std::function<void()> on_write;      // runs while a file is written

  std::vector<RequestKind> requests;
  std::vector<std::string> questions;
  std::vector<std::string> dialogs;
  std::vector<std::string> messages;
  int progress_depth = 0;
  int brought_to_front = 0;
  bool closed = false;

 private:
  Choice NextChoice() {
    // A box the script did not expect is cancelled, and the test says so.
    if (script.empty()) {
      ADD_FAILURE() << "unexpected question or dialog";
      return kCancel;
    }
    Choice choice = script.front();
    script.pop_front();
    return choice;
  }
};

}  // namespace kurovel::testing
