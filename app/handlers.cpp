#include "app/handlers.h"

#include <new>

#include "app/exit_codes.h"
#include "app/installer_texts.h"
#include "platform/runtime_error.h"

namespace tarvik {
namespace {

void reportAndEnd(WindowControls& controls, const RuntimeError& error) {
  controls.showWarning(runtimeErrorReport(error), std::string(kAppTitle));
  controls.endProgram(exit_code::kFolderFailed);
}

}  // namespace

void runHandler(WindowControls& controls, const std::function<void()>& handler) {
  try {
    handler();
  } catch (const RuntimeError& error) {
    reportAndEnd(controls, error);
  } catch (const std::bad_alloc&) {
    reportAndEnd(controls, RuntimeError(7, "Out of memory"));
  } catch (const std::exception& error) {
    reportAndEnd(controls, RuntimeError(51, std::string("Internal error: ") + error.what()));
  }
}

}  // namespace tarvik
