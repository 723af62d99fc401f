#pragma once
// What a call prints through the caller's print callback, one line per call, without a line
// end, in the caller's code page; and the result the call ends with. On failure the last line
// printed always says why.
//
// Message levels: 0 prints everything, 1 leaves out the lines about single members (summary and
// errors only), 2 and above print errors only.

#include <string>
#include <string_view>

#include "unziplib/tarvik_unzip.h"

namespace tarvik::unziplib {

class Reporter {
 public:
  Reporter(TarvikPrintCallback print, int32_t level);

  // A line about one member or folder ("  inflating: texture/a.bmp").
  void member(std::string_view line);
  // A summary line ("511 files extracted").
  void summary(std::string_view line);
  // Lines asked for by a switch (the detailed listing, the archive comment), printed at any
  // level; UTF-8 like every other line.
  void output(std::string_view line);
  // Member data, handed to the print callback unchanged.
  void raw(std::string_view bytes);

  // A member went wrong: prints "error: " and the message; the call's result becomes code,
  // unless an earlier failure already set one. TARVIK_UNZIP_WARNING is the weakest result and
  // gives way to any later error.
  void failure(int code, std::string_view message);
  // The run stopped: the result is code whatever happened before.
  void stopped(int code, std::string_view message);

  int result() const { return result_; }
  int failures() const { return failures_; }
  // Ends the call: prints the reason of a failed call once more as the last line, then
  // returns the result.
  int finish();

 private:
  void print(std::string_view utf8);

  TarvikPrintCallback print_;
  int32_t level_;
  int result_ = TARVIK_UNZIP_OK;
  int failures_ = 0;
  std::string reason_;
  bool reasonIsLast_ = false;
};

}  // namespace tarvik::unziplib
