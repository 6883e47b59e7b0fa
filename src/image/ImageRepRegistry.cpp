#include "image/ImageRepRegistry.h"

#include "image/FITSImageRep.h"
#include "image/RawImageRep.h"
#include "image/XISFImageRep.h"

#include <cstring>
#include <mutex>

namespace {

struct Registry {
  std::mutex mutex;
  std::vector<ImageRepClass> classes;
};

Registry &registry() {
  // Never destroyed: pool threads may still be decoding while the program exits.
  static Registry *instance = new Registry;
  return *instance;
}

}  // namespace

namespace ImageRepRegistry {

void registerImageRepClass(const ImageRepClass &repClass) {
  Registry &r = registry();
  std::lock_guard lock(r.mutex);
  for (const ImageRepClass &known : r.classes) {
    if (std::strcmp(known.name, repClass.name) == 0) return;
  }
  r.classes.push_back(repClass);
}

void registerImageRepClasses() {
  registerImageRepClass(RawImageRep::imageRepClass());
  registerImageRepClass(FITSImageRep::imageRepClass());
  registerImageRepClass(XISFImageRep::imageRepClass());
}

std::vector<ImageRepClass> registeredClasses() {
  Registry &r = registry();
  std::lock_guard lock(r.mutex);
  return r.classes;
}

std::optional<ImageRepClass> claimant(QByteArrayView data) {
  for (const ImageRepClass &repClass : registeredClasses()) {
    if (repClass.canInitWithData(data)) return repClass;
  }
  return std::nullopt;
}

}  // namespace ImageRepRegistry
