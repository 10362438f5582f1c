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

int ChooseNextPicture(int current, int count, int orderMode) {
  if (IsRandomOrder(orderMode)) {
    if (count < 2) return 0;
    int next = ProgramRandom::Random(count);
    while (next == current) next = ProgramRandom::Random(count);
    return next;
  }
  const int next = current + 1;
  return next < count ? next : 0;
}

}  // namespace tp
