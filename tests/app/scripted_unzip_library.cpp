#include "tests/app/scripted_unzip_library.h"

#include "unzip/unzip_binding.h"
#include "unziplib/tarvik_unzip.h"

namespace tarvik::testing {
namespace {

ScriptedUnzipLibrary* active = nullptr;
std::vector<std::string>* activeEvents = nullptr;

std::string eventOf(const RecordedCall& call) {
  if (call.test) return "test " + call.archive;
  std::string event = "unzip " + call.archive + " -> " + call.folder;
  if (call.includeNames.size() == 1) event += " [" + call.includeNames[0] + "]";
  if (call.includeNames.size() > 1)
    event += " [" + std::to_string(call.includeNames.size()) + " names]";
  return event;
}

int scriptedListing(const DCL& dcl, USERFUNCTIONS& callbacks) {
  activeEvents->push_back(std::string("list ") + dcl.lpszZipFN);
  for (ScriptedUnzipLibrary::Member member : active->listing) {
    char method[] = "Defl:N";
    callbacks.SendApplicationMessage(member.size, member.size / 2, 50, 1, 26, 2002, 9, 49, 0,
                                     member.name.data(), method, 0, ' ');
  }
  return 0;
}

int TARVIK_UNZIP_CALL scriptedUnzip(int includeCount, char** includeNames,
                                    int /*excludeCount*/, char** /*excludeNames*/, DCL* dcl,
                                    USERFUNCTIONS* callbacks) {
  if (dcl->nvflag != 0) return scriptedListing(*dcl, *callbacks);
  RecordedCall call;
  call.test = dcl->ntflag != 0;
  call.keepFolders = dcl->ndflag != 0;
  call.overwrite = dcl->noflag != 0;
  call.includeCount = includeCount;
  for (int i = 0; i < includeCount; ++i) call.includeNames.emplace_back(includeNames[i]);
  call.archive = dcl->lpszZipFN;
  call.folder = dcl->lpszExtractDir;
  active->calls.push_back(call);
  activeEvents->push_back(eventOf(call));

  ScriptedCall scripted;
  if (active->script.empty()) {
    scripted.printed = {"  inflating: " + std::to_string(active->calls.size())};
  } else {
    scripted = active->script.front();
    active->script.pop_front();
  }
  for (std::string text : scripted.printed)
    callbacks->print(text.data(), static_cast<uint32_t>(text.size()));
  return scripted.result;
}

class ScriptedLibrary : public DynamicLibrary {
 public:
  void* entryPoint(const std::string& name) override {
    return name == "Wiz_SingleEntryUnzip" ? reinterpret_cast<void*>(&scriptedUnzip) : nullptr;
  }
};

class ScriptedLoader : public LibraryLoader {
 public:
  std::unique_ptr<DynamicLibrary> load(const std::string&) override {
    return std::make_unique<ScriptedLibrary>();
  }
};

}  // namespace

ScriptedUnzipLibrary::ScriptedUnzipLibrary(std::vector<std::string>& events) {
  active = this;
  activeEvents = &events;
  mUnzip::UseLibraryLoader(std::make_shared<ScriptedLoader>());
}

ScriptedUnzipLibrary::~ScriptedUnzipLibrary() {
  mUnzip::UseLibraryLoader(nullptr);
  active = nullptr;
  activeEvents = nullptr;
}

}  // namespace tarvik::testing
