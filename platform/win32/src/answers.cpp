// Answer files: scripts of what the user does in each modal loop.
#include <win32/answers.h>

#include "core.h"

#include <fstream>
#include <memory>
#include <sstream>

using namespace win32::detail;

namespace win32 {
namespace desktop {

namespace {

struct Step {
  std::string verb;
  Control control;
  bool hasControl = false;
  std::wstring argument;
  int index = -1;
};

struct Answer {
  ModalKind kind = ModalKind::Dialog;
  std::wstring title;  // empty: any
  std::vector<Step> steps;
};

class LineReader {
 public:
  explicit LineReader(const std::string& line) : line_(line) {}

  void skipSpaces() {
    while (at_ < line_.size() && (line_[at_] == ' ' || line_[at_] == '\t')) ++at_;
  }
  bool done() {
    skipSpaces();
    return at_ >= line_.size();
  }
  std::string word() {
    skipSpaces();
    size_t start = at_;
    while (at_ < line_.size() && line_[at_] != ' ' && line_[at_] != '\t') ++at_;
    return line_.substr(start, at_ - start);
  }
  // A quoted string with \" and \\ escapes, or the rest of the line.
  bool text(std::string& out, std::string& error) {
    skipSpaces();
    if (at_ < line_.size() && line_[at_] == '"') return quoted(out, error);
    out = line_.substr(at_);
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t' || out.back() == '\r')) out.pop_back();
    at_ = line_.size();
    return true;
  }
  bool quoted(std::string& out, std::string& error) {
    ++at_;
    out.clear();
    while (at_ < line_.size() && line_[at_] != '"') {
      if (line_[at_] == '\\' && at_ + 1 < line_.size()) ++at_;
      out += line_[at_++];
    }
    if (at_ >= line_.size()) {
      error = "unterminated quoted text";
      return false;
    }
    ++at_;
    return true;
  }
  bool control(Control& out, std::string& error) {
    skipSpaces();
    if (at_ >= line_.size()) {
      error = "a control is missing";
      return false;
    }
    if (line_[at_] == '"') {
      std::string text;
      if (!quoted(text, error)) return false;
      out = Control::byText(toWide(text));
      return true;
    }
    std::string token = word();
    if (token[0] == '#') {
      try {
        out = Control::byId(std::stoi(token.substr(1)));
      } catch (const std::exception&) {
        error = "bad control id " + token;
        return false;
      }
      return true;
    }
    size_t open = token.find('[');
    int index = 0;
    if (open != std::string::npos) {
      if (token.back() != ']') {
        error = "bad control " + token;
        return false;
      }
      try {
        index = std::stoi(token.substr(open + 1, token.size() - open - 2));
      } catch (const std::exception&) {
        error = "bad control index in " + token;
        return false;
      }
      token = token.substr(0, open);
    }
    out = Control::byClass(toWide(token), index);
    return true;
  }

 private:
  const std::string& line_;
  size_t at_ = 0;
};

int keyNamed(const std::string& name) {
  if (name == "enter" || name == "return") return VK_RETURN;
  if (name == "escape" || name == "esc") return VK_ESCAPE;
  if (name == "tab") return VK_TAB;
  if (name == "space") return VK_SPACE;
  try {
    int value = std::stoi(name);
    return value > 0 && value < 256 ? value : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

void perform(User& user, const Step& step) {
  const std::string& verb = step.verb;
  if (verb == "type") {
    user.type(step.control, step.argument);
  } else if (verb == "clear") {
    user.clear(step.control);
  } else if (verb == "check" || verb == "uncheck") {
    user.check(step.control, verb == "check");
  } else if (verb == "select") {
    if (step.index >= 0)
      user.select(step.control, step.index);
    else
      user.select(step.control, step.argument);
  } else if (verb == "click") {
    user.click(step.control);
  } else if (verb == "key") {
    user.press(step.index);
  } else if (verb == "close") {
    user.close();
  } else if (verb == "choose") {
    user.choose(step.argument);
  } else if (verb == "cancel") {
    user.cancel();
  }
}

Handler handlerFor(std::shared_ptr<Answer> answer) {
  return [answer](User& user) {
    if (user.kind() != answer->kind || (!answer->title.empty() && user.title() != answer->title)) {
      record("answer.mismatch", toUtf8(user.title()));
      return;
    }
    for (const auto& step : answer->steps) {
      if (!user.isOpen()) break;
      perform(user, step);
    }
  };
}

bool parseStep(LineReader& reader, const std::string& verb, Step& step, std::string& error) {
  step.verb = verb;
  if (verb == "type" || verb == "select") {
    if (!reader.control(step.control, error)) return false;
    step.hasControl = true;
    std::string text;
    if (!reader.text(text, error)) return false;
    if (verb == "select" && text.size() > 1 && text[0] == '#') {
      try {
        step.index = std::stoi(text.substr(1));
        return true;
      } catch (const std::exception&) {
      }
    }
    step.argument = toWide(text);
    return true;
  }
  if (verb == "clear" || verb == "check" || verb == "uncheck" || verb == "click") {
    step.hasControl = true;
    return reader.control(step.control, error);
  }
  if (verb == "key") {
    step.index = keyNamed(reader.word());
    if (!step.index) error = "unknown key";
    return step.index != 0;
  }
  if (verb == "choose") {
    std::string text;
    if (!reader.text(text, error)) return false;
    step.argument = toWide(text);
    return true;
  }
  if (verb == "close" || verb == "cancel") return true;
  error = "unknown action " + verb;
  return false;
}

}  // namespace

std::vector<Handler> parseAnswers(std::istream& in, AnswerFileError* error) {
  std::vector<std::shared_ptr<Answer>> answers;
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& message) {
    if (error) {
      error->line = number;
      error->message = message;
    }
    return std::vector<Handler>();
  };
  while (std::getline(in, line)) {
    ++number;
    LineReader reader(line);
    if (reader.done()) continue;
    std::string verb = reader.word();
    if (verb[0] == '#') continue;
    if (verb == "dialog" || verb == "open" || verb == "save" || verb == "folder") {
      auto answer = std::make_shared<Answer>();
      answer->kind = verb == "dialog" ? ModalKind::Dialog
                     : verb == "open" ? ModalKind::OpenFile
                     : verb == "save" ? ModalKind::SaveFile
                                      : ModalKind::Folder;
      std::string title, message;
      if (!reader.text(title, message)) return fail(message);
      answer->title = toWide(title);
      answers.push_back(answer);
      continue;
    }
    if (answers.empty()) return fail("an action before any dialog, open, save or folder line");
    Step step;
    std::string message;
    if (!parseStep(reader, verb, step, message)) return fail(message);
    answers.back()->steps.push_back(step);
  }
  std::vector<Handler> handlers;
  for (auto& answer : answers) handlers.push_back(handlerFor(answer));
  return handlers;
}

bool loadAnswerFile(const std::string& path, AnswerFileError* error) {
  std::ifstream in(path);
  if (!in) {
    if (error) {
      error->line = 0;
      error->message = "cannot read " + path;
    }
    return false;
  }
  AnswerFileError local;
  auto handlers = parseAnswers(in, &local);
  if (!local.message.empty()) {
    if (error) *error = local;
    return false;
  }
  for (auto& handler : handlers) queueAnswer(handler);
  return true;
}

}  // namespace desktop
}  // namespace win32
