#include "project/RunContext.h"

namespace tp {

RunContext& CurrentRun() {
  static RunContext context;
  return context;
}

}  // namespace tp
