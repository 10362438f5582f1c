#include "saver/Sequencer.h"

#include "core/ProgramRandom.h"

namespace tp {

std::vector<std::string> BuildPictureList(const std::vector<std::string>& pictures,
                                          const std::vector<std::string>& selected) {
  std::vector<std::string> list;
  for (size_t i = 0; i < pictures.size() && i < selected.size(); ++i)
    if (selected[i] == "TRUE") list.push_back(pictures[i]);
  return list;
}

bool IsRandomOrder(int orderMode) { return orderMode == 0 || orderMode == 2; }

namespace {

template <typename Draw>
int NextPicture(int current, int count, int orderMode, Draw draw) {
  if (IsRandomOrder(orderMode)) {
    if (count < 2) return 0;
    int next = draw(count);
    while (next == current) next = draw(count);
    return next;
  }
  const int next = current + 1;
  return next < count ? next : 0;
}

}  // namespace

int ChooseNextPicture(int current, int count, int orderMode) {
  return NextPicture(current, count, orderMode, [](int n) { return ProgramRandom::Random(n); });
}

int PredictNextPicture(uint32_t seed, int current, int count, int orderMode) {
  return NextPicture(current, count, orderMode, [&seed](int n) { return ProgramRandom::RandomFrom(seed, n); });
}

}  // namespace tp
