// The player's entry point; the run modes live beside it in app/.
#include "app/RunModes.h"

int main(int argc, char** argv) { return tp::RunMain(argc, argv); }
