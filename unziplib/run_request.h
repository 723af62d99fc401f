#pragma once
// One call of the library as the core sees it: the switches of the option record, the archive
// and folder as UTF-8, and the include and exclude names.

#include <string>
#include <vector>

namespace tarvik::unziplib {

struct RunRequest {
  bool extractOnlyNewer = false;
  bool spaceToUnderscore = false;
  bool promptToOverwrite = false;
  int quietLevel = 0;
  bool toPrint = false;         // members' data to the print callback instead of files
  bool test = false;
  bool list = false;
  bool freshen = false;
  bool showComment = false;
  bool keepFolders = false;
  bool overwrite = false;
  bool convertLineEnds = false;
  bool detailedList = false;
  bool caseSensitive = false;
  std::string archive;
  std::string folder;
  std::vector<std::string> includes;
  std::vector<std::string> excludes;
};

}  // namespace tarvik::unziplib
