// --list-effects: the effect numbers and names, one a line, for the "TransitionEffects"
// setting.
#include <cstdio>
#include <string>
#include <vector>

#include "effects/EffectCatalogue.h"
#include "tidepool-render/RenderCommand.h"

namespace tp::render {
namespace {

int RunList(const std::vector<std::string>&) {
  for (const EffectEntry& e : EffectCatalogue()) std::printf("%3d %s\n", e.number, e.name);
  return 0;
}

const RenderCommandRegistrar kList("--list-effects", "--list-effects", RunList);

}  // namespace
}  // namespace tp::render
