#include "skymap/SkyPlaces.h"

#include <algorithm>
#include <array>
#include <thread>

#include "core/Dispatch.h"
#include "skymap/SkyModel.h"

namespace {

constexpr size_t MAX_THREADS = 4;
constexpr size_t MIN_OBJECTS_PER_THREAD = 4096;

// The places of the star-like objects (everything but the bodies), in one index space over the
// three lists.
void placeStarLike(const SkyModel &model, SkyPlaces &places, const kestor_site_context *site) {
  const std::array<const std::vector<SkyObject> *, 3> lists{&model.stars, &model.deepSky, &model.milkyWay};
  const std::array<std::vector<SkyPlace> *, 3> out{&places.stars, &places.deepSky, &places.milkyWay};
  size_t count = 0;
  for (size_t l = 0; l < 3; ++l) {
    out[l]->resize(lists[l]->size());
    count += lists[l]->size();
  }
  // The parts hold copies of what they read: no helper reads this thread's stack.
  auto placeRange = [lists, out, site](size_t begin, size_t end) {
    size_t offset = 0;
    for (size_t l = 0; l < 3; ++l) {
      const size_t size = lists[l]->size();
      for (size_t i = std::max(begin, offset); i < std::min(end, offset + size); ++i)
        (*out[l])[i - offset] = SkyPlace::ofStar((*lists[l])[i - offset], site);
      offset += size;
    }
  };
  const size_t parts =
      count < MIN_OBJECTS_PER_THREAD ? 1 : std::clamp<size_t>(std::thread::hardware_concurrency(), 1, MAX_THREADS);
  const size_t part = (count + parts - 1) / parts;
  concurrentPerform(parts, [placeRange, count, part](size_t k) {
    placeRange(std::min(count, k * part), std::min(count, (k + 1) * part));
  });
}

}  // namespace

std::shared_ptr<const SkyPlaces> SkyPlaces::compute(const SkyModel &model, double latitude, double longitude,
                                                    double elevation) {
  auto places = std::make_shared<SkyPlaces>();
  const SiteContext site(latitude, longitude, elevation);
  placeStarLike(model, *places, site.get());
  places->bodies.reserve(model.bodies.size());
  for (const SkyObject &body : model.bodies) places->bodies.push_back(SkyPlace::ofBody(body, site.get()));
  return places;
}
