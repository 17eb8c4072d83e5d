// Answer files: a host tool's script of what the user does in each modal loop.
//
// One answer per modal loop, in order. Lines:
//   # comment                      blank lines are ignored too
//   dialog [title]                 starts an answer for a dialog (title, when given, must
//                                  equal the dialog's title, else the loop is cancelled)
//   open [title] | save [title] | folder [title]
//                                  starts an answer for a file or folder chooser
//   type <control> <text>          type into a field
//   clear <control>
//   check <control> | uncheck <control>
//   select <control> <item>        combo entry, list item or tree path (a\b)
//   select <control> #<n>          by index
//   click <control>
//   key enter|escape|tab|<number>  press a key
//   close                          the title bar's close button
//   choose <path>                  a chooser's answer
//   cancel                         cancel a chooser (or press Escape in a dialog)
// <control> is #<id>, "<text>", or CLASS[<n>] (the n-th control of that class, from 0).
// Texts and paths are the rest of the line, or a "quoted" string with \" and \\ escapes.
// Titles, texts and paths are UTF-8.
#pragma once

#include <win32/desktop.h>

#include <istream>
#include <string>
#include <vector>

namespace win32 {
namespace desktop {

struct AnswerFileError {
  int line = 0;
  std::string message;
};

// Parses the script into answers; on a syntax error answers nothing and fills error.
std::vector<Handler> parseAnswers(std::istream& in, AnswerFileError* error);
// Parses the file and queues its answers; false (nothing queued) when it cannot be read or
// parsed.
bool loadAnswerFile(const std::string& path, AnswerFileError* error);

}  // namespace desktop
}  // namespace win32
