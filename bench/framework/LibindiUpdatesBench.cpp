// The peer of NumberUpdatesApplied: the same stream read by libindi's XML parser (LilXML) and
// applied to a number vector with libindi's item look-up, state and number readers.
#include "UpdateStream.h"

#include <indibase.h>
#include <indicom.h>
#include <indidevapi.h>
#include <lilxml.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Applies a setNumberVector of the vector; false for any other element.
bool apply(XMLEle *root, INumberVectorProperty &vector) {
  if (std::strcmp(tagXMLEle(root), "setNumberVector") != 0 ||
      std::strcmp(findXMLAttValu(root, "device"), vector.device) != 0 ||
      std::strcmp(findXMLAttValu(root, "name"), vector.name) != 0)
    return false;
  crackIPState(findXMLAttValu(root, "state"), &vector.s);
  vector.timeout = std::atof(findXMLAttValu(root, "timeout"));
  for (XMLEle *item = nextXMLEle(root, 1); item; item = nextXMLEle(root, 0))
    if (INumber *number = IUFindNumber(&vector, findXMLAttValu(item, "name")))
      f_scansexa(pcdataXMLEle(item), &number->value);
  return true;
}

void LibindiNumberUpdatesApplied(benchmark::State &state) {
  INumber numbers[2];
  IUFillNumber(&numbers[0], "RA", "RA (hh:mm:ss)", "%010.6m", 0, 24, 0, 0);
  IUFillNumber(&numbers[1], "DEC", "DEC (dd:mm:ss)", "%010.6m", -90, 90, 0, 0);
  INumberVectorProperty vector;
  IUFillNumberVector(&vector, numbers, 2, bench::UPDATED_DEVICE, bench::UPDATED_PROPERTY, "Eq. Coordinates",
                     "Main Control", IP_RW, 60, IPS_IDLE);
  std::string stream = bench::updates(bench::UPDATES_PER_ROUND);
  LilXML *parser = newLilXML();
  char error[MAXRBUF] = "";
  int64_t applied = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < stream.size(); i += 65536) {
      XMLEle **elements =
          parseXMLChunk(parser, stream.data() + i, int(std::min<size_t>(65536, stream.size() - i)), error);
      if (!elements) return state.SkipWithError(error);
      for (XMLEle **element = elements; *element; ++element) {
        applied += apply(*element, vector);
        delXMLEle(*element);
      }
      std::free(elements);
    }
  }
  delLilXML(parser);
  if (applied != state.iterations() * bench::UPDATES_PER_ROUND) state.SkipWithError("updates not applied");
  state.SetItemsProcessed(applied);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
}
BENCHMARK(LibindiNumberUpdatesApplied)->Unit(benchmark::kMillisecond);

}  // namespace
