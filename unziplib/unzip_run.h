#pragma once
// One call of the library from start to end: open the archive, read its directory, choose the
// members, then list, test, print or extract them, and report.

#include "unziplib/run_request.h"
#include "unziplib/tarvik_unzip.h"

namespace tarvik::unziplib {

// Returns TARVIK_UNZIP_OK or the result of the failure; never raises.
int runUnzip(const RunRequest& request, USERFUNCTIONS& callbacks);

}  // namespace tarvik::unziplib
