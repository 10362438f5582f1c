// The player's entry point; the run modes live beside it in app/.
#include "app/RunModes.h"
#include "platform/TerminationSignals.h"

int main(int argc, char** argv) {
  // Before anything else, so that a signal at any later moment ends the run with its
  // clean-up rather than killing it.
  tp::InstallTerminationSignals();
  return tp::RunMain(argc, argv);
}
